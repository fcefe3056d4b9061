#include "app/aboutdlg.h"

#include "res/bitmaps.h"
#include "res/resource.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace nuv {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QString::number(IDD_ABOUTBOX));
    setWindowTitle(QStringLiteral("关于 NUV"));
    auto* box = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    auto* icon = new QLabel(this);
    icon->setPixmap(AppIcon().pixmap(48, 48));
    row->addWidget(icon);
    QString version = QCoreApplication::applicationVersion();
    if (version.isEmpty())
        version = QStringLiteral("1.0");
    auto* text = new QLabel(QStringLiteral("NUV %1 版\nMDQ4170 产品演示系统").arg(version), this);
    text->setObjectName(QStringLiteral("nameVersion"));
    row->addWidget(text, 1);
    box->addLayout(row);
    auto* ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setObjectName(QStringLiteral("1"));
    ok->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    box->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

} // namespace nuv

#include "app/aibars.h"

#include "framework/backdrop.h"
#include "res/resource.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextLayout>

namespace nuv {

QString WrapToolTipText(const QString& text, const QFont& font, int width)
{
    QStringList lines;
    for (const QString& para : text.split(QLatin1Char('\n'))) {
        QTextLayout layout(para, font);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            QString piece = para.mid(line.textStart(), line.textLength());
            while (piece.endsWith(QLatin1Char(' ')))
                piece.chop(1);
            lines << piece;
        }
        layout.endLayout();
    }
    return lines.join(QLatin1Char('\n'));
}

namespace {
QLabel* HiddenLabel(const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->hide();
    return l;
}
} // namespace

COperateBar::COperateBar(QWidget* parent) : QToolBar(parent)
{
    setObjectName(QString::number(IDW_OPERATEBAR));
    setWindowTitle(QStringLiteral("操作栏"));
    setAllowedAreas(Qt::TopToolBarArea | Qt::BottomToolBarArea);
    setFloatable(true);
    setMovable(true);

    auto* body = new QWidget(this);
    body->setObjectName(QString::number(IDD_OPERATEBAR));
    auto* box = new QHBoxLayout(body);
    box->setContentsMargins(6, 2, 6, 2);
    box->setSpacing(8);

    m_pStart = new QPushButton(QStringLiteral("开始采集任务"), body);
    m_pStart->setObjectName(QString::number(ID_START_ACQ));
    m_pStop = new QPushButton(QStringLiteral("停止采集任务"), body);
    m_pStop->setObjectName(QString::number(ID_STOP_ACQ));
    m_pStop->setToolTip(QStringLiteral("点击此按钮，即可终止采集任务"));
    box->addWidget(m_pStart);
    box->addWidget(m_pStop);

    // Read time-out and X zoom: kept, never shown, read by nobody.
    box->addWidget(HiddenLabel(QStringLiteral("读数超时"), body));
    auto* timeout = new QLineEdit(body);
    timeout->setObjectName(QString::number(IDC_READ_TIMEOUT));
    timeout->hide();
    box->addWidget(timeout);
    box->addWidget(HiddenLabel(QStringLiteral("秒"), body));
    box->addWidget(HiddenLabel(QStringLiteral("X轴横向缩放"), body));
    m_pZoom = new QComboBox(body);
    m_pZoom->setObjectName(QString::number(IDC_XZOOM));
    m_pZoom->addItem(QStringLiteral("1:1显示"), 1);
    m_pZoom->setCurrentIndex(0);
    m_pZoom->setToolTip(QStringLiteral(
        "横向X轴缩放比例, 如果为大于1的自然数n, 则表示每n个采样数据压缩成1个结果数据(即压缩), "
        "如果为小于1的小数,且为1的n分之一,则表示每1个采样数据扩展成n个结果数据(即放大)"));
    m_pZoom->hide();
    box->addWidget(m_pZoom);
    box->addStretch(1);
    addWidget(body);

    connect(m_pStart, &QPushButton::clicked, this, [this] { emit command(ID_START_ACQ); });
    connect(m_pStop, &QPushButton::clicked, this, [this] { emit command(ID_STOP_ACQ); });
}

QPushButton* COperateBar::Button(int id) const
{
    if (id == ID_START_ACQ)
        return m_pStart;
    if (id == ID_STOP_ACQ)
        return m_pStop;
    return nullptr;
}

CStatusInfoBar::CStatusInfoBar(QWidget* parent) : QToolBar(parent)
{
    setObjectName(QString::number(IDD_STATUSINFO));
    setWindowTitle(QStringLiteral("状态信息栏"));
    setAllowedAreas(Qt::TopToolBarArea | Qt::BottomToolBarArea);
    setFloatable(true);
    setMovable(true);

    // One item per label and field: in a narrow window the bar moves the pairs that do not
    // fit behind its extension button instead of squeezing a label over its field.
    const struct {
        const char* label;
        int id;
        int width;
    } fields[] = {{"文件名", IDC_STATUS_FILENAME, 200},
                  {"磁盘可用空间", IDC_STATUS_FREESPACE, 110},
                  {"存储数据大小", IDC_STATUS_STORED, 110},
                  {"采样次数", IDC_STATUS_COUNT, 90}};
    for (const auto& f : fields) {
        auto* pair = new QWidget(this);
        auto* box = new QHBoxLayout(pair);
        box->setContentsMargins(6, 1, 6, 1);
        box->setSpacing(6);
        auto* label = new QLabel(QString::fromUtf8(f.label), pair);
        label->setMinimumWidth(label->sizeHint().width());
        box->addWidget(label);
        auto* value = new QLineEdit(pair);
        value->setObjectName(QString::number(f.id));
        value->setReadOnly(true);
        value->setMinimumWidth(f.width);
        box->addWidget(new CBackdrop(value, pair), 1);   // the count changes at every reading
        if (f.id == IDC_STATUS_FILENAME)
            pair->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
        addWidget(pair);
    }
}

void CStatusInfoBar::SetField(int id, const QString& text)
{
    if (auto* e = findChild<QLineEdit*>(QString::number(id)))
        e->setText(text);
}

QString CStatusInfoBar::Field(int id) const
{
    auto* e = findChild<QLineEdit*>(QString::number(id));
    return e != nullptr ? e->text() : QString();
}

} // namespace nuv

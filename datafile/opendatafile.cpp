#include "opendatafile.h"

#include <QFileDialog>

namespace nuv {

namespace {
OpenDataFileDialog& Installed()
{
    static OpenDataFileDialog dialog;
    return dialog;
}
} // namespace

QString DataFileFilter()
{
    return QStringLiteral("二进制原码数据文件 (*.bin);;所有文件 (*.*)");
}

OpenDataFileDialog SetOpenDataFileDialog(OpenDataFileDialog dialog)
{
    OpenDataFileDialog old = std::move(Installed());
    Installed() = std::move(dialog);
    return old;
}

QString GetOpenDataFileName(QWidget* parent, const QString& title)
{
    if (Installed())
        return Installed()(parent, title, DataFileFilter());
    return QFileDialog::getOpenFileName(parent, title, QString(), DataFileFilter());
}

} // namespace nuv

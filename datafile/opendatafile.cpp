#include "datafile/opendatafile.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QSettings>

namespace nuv {

namespace {
OpenDataFileDialog& Installed()
{
    static OpenDataFileDialog dialog;
    return dialog;
}
} // namespace

QString LastDataFolder()
{
    const QSettings settings(QStringLiteral("NUV"), QStringLiteral("NUV"));
    const QString dir = settings.value(QStringLiteral("Files/LastDataFolder")).toString();
    if (!dir.isEmpty() && QFileInfo(dir).isDir())
        return dir;
    return QDir::homePath();
}

void RememberDataFolder(const QString& filePath)
{
    if (filePath.isEmpty())
        return;
    QSettings settings(QStringLiteral("NUV"), QStringLiteral("NUV"));
    settings.setValue(QStringLiteral("Files/LastDataFolder"), QFileInfo(filePath).absolutePath());
}

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
    const QString path = QFileDialog::getOpenFileName(parent, title, LastDataFolder(), DataFileFilter());
    RememberDataFolder(path);
    return path;
}

} // namespace nuv

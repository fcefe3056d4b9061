// The open-file dialog for data files, shared by every route that lets the operator pick
// a recording. Tests replace the dialog with a function that answers at once.
#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace nuv {

// Returns the chosen path, or an empty string when the operator cancelled.
using OpenDataFileDialog = std::function<QString(QWidget* parent, const QString& title, const QString& filter)>;

// "二进制原码数据文件 (*.bin)" and "所有文件 (*.*)".
QString DataFileFilter();

// Installs `dialog` (an empty function restores the platform dialog); returns the previous one.
OpenDataFileDialog SetOpenDataFileDialog(OpenDataFileDialog dialog);

// The folder in which the operator last opened or created a data file (kept between runs);
// the home folder when none was used yet or it is gone.
QString LastDataFolder();
// Remembers the folder holding `filePath` as the one last used for data files.
void RememberDataFolder(const QString& filePath);

// Asks for a data file to open, titled `title`; the dialog starts in LastDataFolder().
QString GetOpenDataFileName(QWidget* parent, const QString& title = QStringLiteral("打开历史数据文件"));

} // namespace nuv

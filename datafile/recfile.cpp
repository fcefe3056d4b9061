#include "datafile/recfile.h"

#include <QFile>

namespace nuv {

QString FileLibraryReason()
{
    switch (MDQ4170_GetLastError()) {
    case MDQ4170_ERROR_FILE_NOT_FOUND: return QStringLiteral("file not found");
    case MDQ4170_ERROR_ACCESS_DENIED: return QStringLiteral("access denied or not a regular file");
    case MDQ4170_ERROR_READ_FAULT: return QStringLiteral("read fault");
    case MDQ4170_ERROR_INVALID_PARAMETER: return QStringLiteral("invalid position");
    default: return QStringLiteral("device library error %1").arg(MDQ4170_GetLastError());
    }
}

RecordingHandle::RecordingHandle(const QString& path) { Open(path); }

RecordingHandle::~RecordingHandle()
{
    if (m_h != MDQ4170_INVALID_HANDLE)
        MDQ4170_FILE_Release(m_h);
}

bool RecordingHandle::Open(const QString& path)
{
    if (m_h != MDQ4170_INVALID_HANDLE)
        MDQ4170_FILE_Release(m_h);
    m_h = MDQ4170_FILE_Create(QFile::encodeName(path).constData(), MDQ4170_FILE_MODE_READ);
    return m_h != MDQ4170_INVALID_HANDLE;
}

} // namespace nuv

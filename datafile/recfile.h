// A recording opened for reading through the device library, released when it goes, and
// the library's last file error in words. Shared by the passes that stream a whole
// recording (CSV export, whole-file statistics).
#pragma once

#include "device/mdq4170.h"

#include <QString>

namespace nuv {

// The device library's last error of a file call, in words for a message's detail.
QString FileLibraryReason();

class RecordingHandle {
public:
    explicit RecordingHandle(const QString& path);
    RecordingHandle() = default;
    ~RecordingHandle();
    RecordingHandle(const RecordingHandle&) = delete;
    RecordingHandle& operator=(const RecordingHandle&) = delete;

    // Opens `path` for reading (a handle held before is released); false when the library
    // refuses it (FileLibraryReason() tells why).
    bool Open(const QString& path);
    bool IsOpen() const { return m_h != MDQ4170_INVALID_HANDLE; }
    MDQ4170_FILE h() const { return m_h; }

private:
    MDQ4170_FILE m_h = MDQ4170_INVALID_HANDLE;
};

} // namespace nuv

// Data files: plain POSIX files with 64-bit offsets behind 32-bit handles of their own.
#include "device/mdq4170_sim.h"
#include "device/sim/simcore.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <unordered_map>

using namespace mdqsim;

namespace {
constexpr int32_t kFileHandleBase = 0x46000000;   // never equal to a module handle

struct OpenFile {
    std::mutex mutex;
    int fd = -1;
    std::string path;
    int64_t sizeLimit = -1;   // the file cannot grow beyond this many bytes (simulated full disk)
    bool writable = false;    // created for writing (mode 2)
};

struct FileTable {
    std::mutex mutex;
    std::unordered_map<int32_t, std::shared_ptr<OpenFile>> files;
    uint32_t next = 1;
};

FileTable& table()
{
    static FileTable t;
    return t;
}

std::shared_ptr<OpenFile> lookup(MDQ4170_FILE f)
{
    FileTable& t = table();
    std::lock_guard lock(t.mutex);
    auto it = t.files.find(f);
    return it == t.files.end() ? nullptr : it->second;
}

uint32_t errnoToError(int e)
{
    switch (e) {
    case ENOENT: case ENOTDIR: return MDQ4170_ERROR_FILE_NOT_FOUND;
    case EACCES: case EPERM: case EROFS: case EISDIR: return MDQ4170_ERROR_ACCESS_DENIED;
    case ENOSPC: case EDQUOT: case EFBIG: return MDQ4170_ERROR_DISK_FULL;
    case EBADF: return MDQ4170_ERROR_INVALID_HANDLE;
    case EINVAL: return MDQ4170_ERROR_INVALID_PARAMETER;
    default: return MDQ4170_ERROR_WRITE_FAULT;
    }
}

std::string handleText(MDQ4170_FILE f)
{
    char text[64];
    std::snprintf(text, sizeof text, "handle 0x%08X is not an open file", unsigned(f));
    return text;
}
} // namespace

namespace mdqsim {
void closeAllFiles()
{
    FileTable& t = table();
    std::unordered_map<int32_t, std::shared_ptr<OpenFile>> files;
    {
        std::lock_guard lock(t.mutex);
        files.swap(t.files);
    }
    for (auto& [h, file] : files) {
        std::lock_guard lock(file->mutex);
        if (file->fd >= 0)
            ::close(file->fd);
        file->fd = -1;
    }
}
} // namespace mdqsim

extern "C" {

MDQ4170_API MDQ4170_FILE MDQ4170_FILE_Create(const char* path, int32_t mode)
{
    static const char* const call = "MDQ4170_FILE_Create";
    setLastError(MDQ4170_ERROR_SUCCESS);
    if (!path || !*path) {
        fail(call, MDQ4170_ERROR_INVALID_PARAMETER, "no path given");
        return MDQ4170_INVALID_HANDLE;
    }
    int flags;
    if (mode == MDQ4170_FILE_MODE_WRITE)
        flags = O_RDWR | O_CREAT | O_TRUNC;
    else if (mode == MDQ4170_FILE_MODE_READ)
        flags = O_RDONLY;
    else {
        fail(call, MDQ4170_ERROR_INVALID_PARAMETER, std::string(path) + ": mode " + std::to_string(mode) + " is not 2 or 3");
        return MDQ4170_INVALID_HANDLE;
    }
    // Without blocking: a FIFO would otherwise wait for its other end. Only regular files
    // are data files; a FIFO, device, socket or folder is refused before anything is read
    // or written (O_TRUNC leaves such files alone).
    const int fd = ::open(path, flags | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0644);
    if (fd < 0) {
        const int e = errno;
        fail(call, e == ENXIO ? MDQ4170_ERROR_ACCESS_DENIED : errnoToError(e), std::string(path) + ": " + std::strerror(e));
        return MDQ4170_INVALID_HANDLE;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        fail(call, MDQ4170_ERROR_ACCESS_DENIED, std::string(path) + ": not a regular file");
        return MDQ4170_INVALID_HANDLE;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    auto file = std::make_shared<OpenFile>();
    file->fd = fd;
    file->path = path;
    file->writable = mode == MDQ4170_FILE_MODE_WRITE;
    if (file->writable)
        file->sizeLimit = fileWriteLimit();

    FileTable& t = table();
    std::lock_guard lock(t.mutex);
    MDQ4170_FILE h;
    do {
        h = kFileHandleBase + int32_t(t.next);
        t.next = t.next % 0xFFFFFFu + 1u;
    } while (t.files.count(h));
    t.files.emplace(h, std::move(file));
    return h;
}

MDQ4170_API uint32_t MDQ4170_FILE_Write(MDQ4170_FILE f, const void* buffer, uint32_t bytes)
{
    static const char* const call = "MDQ4170_FILE_Write";
    setLastError(MDQ4170_ERROR_SUCCESS);
    auto file = lookup(f);
    if (!file)
        return uint32_t(fail(call, MDQ4170_ERROR_INVALID_HANDLE, handleText(f)));
    std::lock_guard lock(file->mutex);
    if (file->fd < 0)
        return uint32_t(fail(call, MDQ4170_ERROR_INVALID_HANDLE, handleText(f)));
    if (bytes && !buffer)
        return uint32_t(fail(call, MDQ4170_ERROR_INVALID_PARAMETER, file->path + ": no buffer given"));
    uint32_t allowed = bytes;
    const off_t pos = ::lseek(file->fd, 0, SEEK_CUR);
    if (file->sizeLimit >= 0) {
        const int64_t room = pos < 0 ? 0 : std::max<int64_t>(0, file->sizeLimit - int64_t(pos));
        allowed = uint32_t(std::min<int64_t>(bytes, room));
    }
    uint32_t done = 0;
    while (done < allowed) {
        const ssize_t n = ::write(file->fd, static_cast<const char*>(buffer) + done, allowed - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int e = n < 0 ? errno : ENOSPC;
            // EBADF on a handle we hold open means it was opened for reading.
            fail(call, e == EBADF ? MDQ4170_ERROR_ACCESS_DENIED : errnoToError(e), file->path + ": " + std::to_string(done) + " of " + std::to_string(bytes) +
                                            " bytes written: " + std::strerror(e));
            return done;
        }
        done += uint32_t(n);
    }
    if (done < bytes)
        fail(call, MDQ4170_ERROR_DISK_FULL, file->path + ": " + std::to_string(done) + " of " +
                                                std::to_string(bytes) + " bytes written: disk full (simulated)");
    // A data file's header is rewritten at offset 0 while it grows: that is when what was
    // written so far goes to the device, so a power cut loses at most the time since.
    if (pos == 0 && done > 0 && file->writable && ::fdatasync(file->fd) != 0) {
        const int e = errno;
        if (e != EINVAL && e != EROFS)   // a file system without sync support is not a fault
            logLine(call, file->path + ": flushing to the device failed: " + std::strerror(e));
    }
    return done;
}

MDQ4170_API uint32_t MDQ4170_FILE_Read(MDQ4170_FILE f, void* buffer, uint32_t bytes)
{
    static const char* const call = "MDQ4170_FILE_Read";
    setLastError(MDQ4170_ERROR_SUCCESS);
    auto file = lookup(f);
    if (!file)
        return uint32_t(fail(call, MDQ4170_ERROR_INVALID_HANDLE, handleText(f)));
    std::lock_guard lock(file->mutex);
    if (file->fd < 0)
        return uint32_t(fail(call, MDQ4170_ERROR_INVALID_HANDLE, handleText(f)));
    if (bytes && !buffer)
        return uint32_t(fail(call, MDQ4170_ERROR_INVALID_PARAMETER, file->path + ": no buffer given"));
    uint32_t done = 0;
    while (done < bytes) {
        const ssize_t n = ::read(file->fd, static_cast<char*>(buffer) + done, bytes - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int e = errno;
            fail(call, e == EBADF ? MDQ4170_ERROR_ACCESS_DENIED : MDQ4170_ERROR_READ_FAULT,
                 file->path + ": " + std::strerror(e));
            break;
        }
        if (n == 0)
            break;   // end of file: a short count, not an error
        done += uint32_t(n);
    }
    return done;
}

MDQ4170_API int32_t MDQ4170_FILE_SetOffset(MDQ4170_FILE f, uint32_t offsetLow, uint32_t offsetHigh, uint32_t origin)
{
    static const char* const call = "MDQ4170_FILE_SetOffset";
    setLastError(MDQ4170_ERROR_SUCCESS);
    auto file = lookup(f);
    if (!file)
        return fail(call, MDQ4170_ERROR_INVALID_HANDLE, handleText(f));
    std::lock_guard lock(file->mutex);
    if (file->fd < 0)
        return fail(call, MDQ4170_ERROR_INVALID_HANDLE, handleText(f));
    static const int whence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
    if (origin > 2)
        return fail(call, MDQ4170_ERROR_INVALID_PARAMETER, file->path + ": origin " + std::to_string(origin) + " is not 0..2");
    const int64_t offset = int64_t(uint64_t(offsetHigh) << 32 | offsetLow);
    if (::lseek(file->fd, off_t(offset), whence[origin]) < 0) {
        const int e = errno;
        return fail(call, MDQ4170_ERROR_INVALID_PARAMETER,
                    file->path + ": cannot move to " + std::to_string(offset) + ": " + std::strerror(e));
    }
    return 1;
}

MDQ4170_API int32_t MDQ4170_FILE_Release(MDQ4170_FILE f)
{
    static const char* const call = "MDQ4170_FILE_Release";
    setLastError(MDQ4170_ERROR_SUCCESS);
    std::shared_ptr<OpenFile> file;
    {
        FileTable& t = table();
        std::lock_guard lock(t.mutex);
        auto it = t.files.find(f);
        if (it != t.files.end()) {
            file = it->second;
            t.files.erase(it);
        }
    }
    if (!file)
        return fail(call, MDQ4170_ERROR_INVALID_HANDLE, handleText(f));
    std::lock_guard lock(file->mutex);
    const int rc = file->fd >= 0 ? ::close(file->fd) : 0;
    file->fd = -1;
    if (rc != 0) {
        const int e = errno;
        return fail(call, errnoToError(e), file->path + ": closing failed: " + std::strerror(e));
    }
    return 1;
}

MDQ4170_API uint64_t MDQ4170_FILE_GetDiskFreeBytes(const char* path)
{
    static const char* const call = "MDQ4170_FILE_GetDiskFreeBytes";
    setLastError(MDQ4170_ERROR_SUCCESS);
    const int64_t override = freeBytesOverride();
    if (override >= 0)
        return uint64_t(override);
    if (!path || !*path)
        return uint64_t(fail(call, MDQ4170_ERROR_INVALID_PARAMETER, "no path given"));
    // A data file usually does not exist yet: ask the file system of its nearest existing folder.
    std::string p(path);
    for (;;) {
        struct statvfs vfs {};
        if (::statvfs(p.c_str(), &vfs) == 0)
            return uint64_t(vfs.f_bavail) * uint64_t(vfs.f_frsize);
        const int e = errno;
        if ((e != ENOENT && e != ENOTDIR) || p == "/" || p == ".")
            return uint64_t(fail(call, errnoToError(e), std::string(path) + ": " + std::strerror(e)));
        while (p.size() > 1 && p.back() == '/')
            p.pop_back();
        const size_t slash = p.rfind('/');
        if (slash == std::string::npos)
            p = ".";
        else if (slash == 0)
            p = "/";
        else
            p.resize(slash);
    }
}

} // extern "C"

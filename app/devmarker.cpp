#include "app/devmarker.h"

#include <QDir>
#include <QFile>
#include <QSet>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nuv {

void ReportOnce(const QString& line)
{
    static std::mutex lock;
    static QSet<QString> told;
    std::lock_guard<std::mutex> guard(lock);
    if (told.contains(line))
        return;
    told.insert(line);
    std::fprintf(stderr, "nuv: %s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
}

namespace {

QString Errno() { return QString::fromLocal8Bit(std::strerror(errno)); }

// A parent every process on the machine agrees to use: a folder of root's that anyone
// may create entries in but nobody may remove another's (like /tmp).
bool SharedParent(const char* path)
{
    struct stat st {};
    return ::stat(path, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == 0 && (st.st_mode & S_IWOTH) != 0 &&
           (st.st_mode & S_ISVTX) != 0;
}

QByteArray MarkerFolderPath()
{
    const QByteArray chosen = qgetenv("NUV_MARKER_DIR");
    if (!chosen.isEmpty())
        return chosen;
    if (SharedParent("/run/lock"))
        return "/run/lock/nuv";
    if (SharedParent("/var/lock"))
        return "/var/lock/nuv";
    return "/tmp/nuv-markers";
}

// Opens the marker folder, creating it sticky and writable by everyone when missing.
// Refuses a link, a non-folder, and a folder that others may write without the sticky bit
// (anyone could remove a marker there and take the module a second time).
int OpenMarkerFolder(QString* problem)
{
    const QByteArray path = MarkerFolderPath();
    const QString shown = QFile::decodeName(path);
    if (!path.startsWith('/')) {
        *problem = QStringLiteral("marker folder %1 is not an absolute path").arg(shown);
        return -1;
    }
    const int flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    bool created = false;
    int fd = ::open(path.constData(), flags);
    if (fd < 0 && errno == ENOENT) {
        const int slash = int(path.lastIndexOf('/'));
        if (slash > 0)
            QDir().mkpath(QFile::decodeName(path.left(slash)));
        if (::mkdir(path.constData(), 01777) == 0)
            created = true;
        fd = ::open(path.constData(), flags);
    }
    if (fd < 0) {
        *problem = QStringLiteral("marker folder %1 cannot be opened (%2)").arg(shown, Errno());
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISDIR(st.st_mode)) {
        ::close(fd);
        *problem = QStringLiteral("marker folder %1 is not a folder").arg(shown);
        return -1;
    }
    // mkdir's mode passed through the umask; a shared folder needs all of it.
    if (created && st.st_uid == ::geteuid() && ::fchmod(fd, 01777) == 0)
        st.st_mode = S_IFDIR | 01777;
    if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0 && (st.st_mode & S_ISVTX) == 0) {
        ::close(fd);
        *problem = QStringLiteral("marker folder %1 may be written by others but is not sticky").arg(shown);
        return -1;
    }
    return fd;
}

} // namespace

QString MarkerFolder() { return QFile::decodeName(MarkerFolderPath()); }

QString DeviceMarkerName(int index) { return QStringLiteral("%1-%2").arg(index).arg(QStringLiteral("MDQ4170")); }

QString SelectionMarkerName() { return QStringLiteral("MDQ4170MUTEX_SEL"); }

int LockFileAt(int dirFd, const QByteArray& name, unsigned mode)
{
    if (dirFd < 0 || name.isEmpty() || name.contains('/'))
        return -1;
    int fd = ::openat(dirFd, name.constData(), O_RDONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, mode);
    if (fd >= 0) {
        ::fchmod(fd, mode);   // as asked, whatever the umask
    } else if (errno == EEXIST) {
        // O_NONBLOCK: a FIFO put in the marker's place must not hang the open.
        fd = ::openat(dirFd, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    }
    if (fd < 0)
        return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return -1;
    }
    // A handle of 0 means "none" to the callers; keep descriptors above it.
    if (fd == 0) {
        const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, 1);
        ::close(fd);
        if (moved < 0)
            return -1;
        fd = moved;
    }
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const bool held = errno == EWOULDBLOCK;
        ::close(fd);
        return held ? 0 : -1;
    }
    // The lock counts only while the name still leads to the file we locked.
    struct stat now {};
    if (::fstatat(dirFd, name.constData(), &now, AT_SYMLINK_NOFOLLOW) != 0 || now.st_dev != st.st_dev ||
        now.st_ino != st.st_ino) {
        ::close(fd);
        return -1;
    }
    return fd;
}

int CreateMarker(const QString& name, bool* existed)
{
    bool held = true;
    int handle = 0;
    QString problem;
    const int dir = OpenMarkerFolder(&problem);
    if (dir < 0) {
        ReportOnce(problem + QStringLiteral("; every module counts as in use"));
    } else {
        const QByteArray file = QFile::encodeName(name + QStringLiteral(".lock"));
        const int fd = LockFileAt(dir, file, 0444);
        ::close(dir);
        if (fd > 0) {
            handle = fd;
            held = false;
        } else if (fd < 0) {
            ReportOnce(QStringLiteral("marker %1/%2 cannot be created or locked; it counts as held")
                           .arg(MarkerFolder(), QFile::decodeName(file)));
        }
    }
    if (existed != nullptr)
        *existed = held;
    return handle;
}

void ReleaseMarker(int handle)
{
    if (handle <= 0)
        return;
    ::flock(handle, LOCK_UN);
    ::close(handle);
}

bool MarkerExists(const QString& name)
{
    bool existed = false;
    const int h = CreateMarker(name, &existed);
    ReleaseMarker(h);
    return existed;
}

} // namespace nuv

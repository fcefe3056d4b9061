#include "devmarker.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nuv {

QString MarkerFolder()
{
    const QByteArray run = qgetenv("XDG_RUNTIME_DIR");
    if (!run.isEmpty()) {
        const QString dir = QFile::decodeName(run);
        QDir().mkpath(dir);
        return dir;
    }
    const QString dir = QStringLiteral("/tmp/nuv-%1").arg(uint(getuid()));
    ::mkdir(QFile::encodeName(dir).constData(), 0700);
    return dir;
}

QString DeviceMarkerName(int index) { return QStringLiteral("%1-%2").arg(index).arg(QStringLiteral("MDQ4170")); }

QString SelectionMarkerName() { return QStringLiteral("MDQ4170MUTEX_SEL"); }

static QByteArray MarkerPath(const QString& name)
{
    return QFile::encodeName(MarkerFolder() + QLatin1Char('/') + name + QStringLiteral(".lock"));
}

int CreateMarker(const QString& name, bool* existed)
{
    if (existed != nullptr)
        *existed = false;
    const QByteArray path = MarkerPath(name);
    int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return 0;
    // A handle of 0 means "none" to the callers; keep descriptors above it.
    if (fd == 0) {
        int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, 1);
        ::close(fd);
        if (moved < 0)
            return 0;
        fd = moved;
    }
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        if (existed != nullptr)
            *existed = (errno == EWOULDBLOCK);
        ::close(fd);
        return 0;
    }
    return fd;
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
    int h = CreateMarker(name, &existed);
    ReleaseMarker(h);
    return existed;
}

} // namespace nuv

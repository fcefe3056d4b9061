#include "app/handover.h"

#include "app/devmarker.h"

#include <QDir>
#include <QFile>
#include <QFileSystemWatcher>
#include <QUuid>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace nuv {

namespace {

const char kReceiverLock[] = "receiver.lock";
const char kRequestSuffix[] = ".open";

// Closes a descriptor at the end of a scope.
struct Fd {
    int fd = -1;
    explicit Fd(int f) : fd(f) {}
    ~Fd()
    {
        if (fd >= 0)
            ::close(fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
};

// Opens `name` under `parentFd` as a folder of this user that nobody else may enter;
// creates it 0700 first when `create`. Links are not followed.
int OpenOwnFolderAt(int parentFd, const QByteArray& name, const QString& shown, bool create, QString* problem)
{
    if (create && ::mkdirat(parentFd, name.constData(), 0700) != 0 && errno != EEXIST) {
        *problem = QStringLiteral("%1 cannot be created (%2)").arg(shown, QString::fromLocal8Bit(std::strerror(errno)));
        return -1;
    }
    const int fd = ::openat(parentFd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        struct stat st {};
        const bool there = ::fstatat(parentFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0;
        if (there && S_ISLNK(st.st_mode))
            *problem = QStringLiteral("%1 is a link").arg(shown);
        else if (there && !S_ISDIR(st.st_mode))
            *problem = QStringLiteral("%1 is not a folder").arg(shown);
        else
            *problem = QStringLiteral("%1 cannot be opened (%2)").arg(shown, QString::fromLocal8Bit(std::strerror(err)));
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISDIR(st.st_mode))
        *problem = QStringLiteral("%1 is not a folder").arg(shown);
    else if (st.st_uid != ::geteuid())
        *problem = QStringLiteral("%1 belongs to another user").arg(shown);
    else if ((st.st_mode & 077) != 0)
        *problem = QStringLiteral("%1 may be entered by other users (mode %2)").arg(shown).arg(st.st_mode & 07777, 4, 8, QLatin1Char('0'));
    else
        return fd;
    ::close(fd);
    return -1;
}

// Opens the hand-over folder after checking it and the folder it lives in; -1 with the
// reason in *problem when it is refused.
int OpenHandoverFolder(QString* path, QString* problem)
{
    const QByteArray sub = "nuv-open";
    const QByteArray run = qgetenv("XDG_RUNTIME_DIR");
    if (run.startsWith('/')) {
        QString ignored;
        const Fd base(OpenOwnFolderAt(AT_FDCWD, run, QString(), false, &ignored));
        if (base.fd >= 0) {
            *path = QFile::decodeName(run + '/' + sub);
            return OpenOwnFolderAt(base.fd, sub, QStringLiteral("hand-over folder ") + *path, true, problem);
        }
    }
    // No usable runtime folder: one of our own in the temporary folder.
    const QString own = QDir::tempPath() + QStringLiteral("/nuv-%1").arg(uint(::geteuid()));
    const Fd base(OpenOwnFolderAt(AT_FDCWD, QFile::encodeName(own), QStringLiteral("hand-over folder ") + own, true, problem));
    if (base.fd < 0)
        return -1;
    *path = own + QLatin1Char('/') + QFile::decodeName(sub);
    return OpenOwnFolderAt(base.fd, sub, QStringLiteral("hand-over folder ") + *path, true, problem);
}

// Like OpenHandoverFolder, telling a refusal on stderr.
int OpenHandoverFolderOrSay(QString* path = nullptr, QString* refusal = nullptr)
{
    QString where;
    QString problem;
    const int fd = OpenHandoverFolder(&where, &problem);
    if (fd < 0)
        ReportOnce(problem + QStringLiteral("; files from the desktop are not handed over"));
    if (path != nullptr)
        *path = fd < 0 ? QString() : where;
    if (refusal != nullptr)
        *refusal = fd < 0 ? problem : QString();
    return fd;
}

bool WriteAll(int fd, const QByteArray& data)
{
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.constData() + done, size_t(data.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

// Reads the request `name` in `dirFd`: only a plain file of this user, never through a
// link; absolute paths, each ended by a NUL byte, at most kMaxHandedOverFiles of them.
QStringList ReadRequest(int dirFd, const char* name)
{
    QStringList files;
    const Fd in(::openat(dirFd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    struct stat st {};
    if (in.fd < 0 || ::fstat(in.fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid())
        return files;
    QByteArray data(kMaxHandedOverFiles * (PATH_MAX + 1), Qt::Uninitialized);
    qsizetype got = 0;
    while (got < data.size()) {
        const ssize_t n = ::read(in.fd, data.data() + got, size_t(data.size() - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += n;
    }
    data.truncate(got);
    qsizetype at = 0;
    while (files.size() < kMaxHandedOverFiles) {
        const qsizetype end = data.indexOf('\0', at);
        if (end < 0)
            break;   // a path without its end byte was cut short
        const QByteArray path = data.mid(at, end - at);
        if (path.startsWith('/'))
            files << QFile::decodeName(path);
        at = end + 1;
    }
    return files;
}

} // namespace

QStringList HandedOverFiles(const QStringList& args)
{
    const int at = int(args.indexOf(QStringLiteral("--open")));
    QStringList files;
    if (at < 0)
        return files;
    for (int i = at + 1; i < args.size(); ++i)
        if (!args[i].isEmpty())
            files << args[i];
    if (files.size() > kMaxHandedOverFiles) {
        ReportOnce(QStringLiteral("%1 files handed over; only the first %2 are opened").arg(files.size()).arg(kMaxHandedOverFiles));
        files = files.mid(0, kMaxHandedOverFiles);
    }
    return files;
}

QString HandoverFolder()
{
    QString path;
    const Fd dir(OpenHandoverFolderOrSay(&path));
    return path;
}

bool HandoverReceiverRunning()
{
    const Fd dir(OpenHandoverFolderOrSay());
    if (dir.fd < 0)
        return false;
    const int h = LockFileAt(dir.fd, kReceiverLock, 0600);
    if (h > 0) {
        ReleaseMarker(h);
        return false;
    }
    // 0: someone holds it. -1: a lock file nobody can hold, so nobody receives either.
    return h == 0;
}

bool SubmitHandover(const QStringList& files)
{
    const Fd dir(OpenHandoverFolderOrSay());
    if (dir.fd < 0 || files.isEmpty())
        return false;
    QByteArray data;
    for (const QString& f : files.mid(0, kMaxHandedOverFiles))
        data += QFile::encodeName(QDir::current().absoluteFilePath(f)) + '\0';
    const QByteArray id = QUuid::createUuid().toByteArray(QUuid::WithoutBraces);
    const QByteArray part = '.' + id + ".part";
    const QByteArray name = id + kRequestSuffix;
    bool ok = false;
    {
        const Fd out(::openat(dir.fd, part.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        ok = out.fd >= 0 && WriteAll(out.fd, data);
    }
    ok = ok && ::renameat(dir.fd, part.constData(), dir.fd, name.constData()) == 0;
    if (!ok)
        ::unlinkat(dir.fd, part.constData(), 0);
    return ok;
}

CHandoverReceiver::CHandoverReceiver(std::function<void(const QStringList&)> onFiles) : m_onFiles(std::move(onFiles)) {}

CHandoverReceiver::~CHandoverReceiver() { ReleaseMarker(m_hMarker); }

CHandoverReceiver::StartResult CHandoverReceiver::Start()
{
    m_error.clear();
    QString path;
    QString refusal;
    const Fd dir(OpenHandoverFolderOrSay(&path, &refusal));
    if (dir.fd < 0) {
        m_error = refusal;   // already told on stderr
        return Failed;
    }
    const int h = LockFileAt(dir.fd, kReceiverLock, 0600);
    if (h == 0)
        return OtherReceiver;
    if (h < 0) {
        m_error = QStringLiteral("%1/%2 cannot be locked").arg(path, QLatin1String(kReceiverLock));
    } else {
        m_hMarker = h;
        m_pWatcher = std::make_unique<QFileSystemWatcher>();
        if (!m_pWatcher->addPath(path))
            m_error = QStringLiteral("%1 cannot be watched").arg(path);
    }
    if (!m_error.isEmpty()) {
        ReportOnce(QStringLiteral("files from the desktop are not received: ") + m_error);
        m_pWatcher.reset();
        ReleaseMarker(m_hMarker);
        m_hMarker = 0;
        return Failed;
    }
    QObject::connect(m_pWatcher.get(), &QFileSystemWatcher::directoryChanged, m_pWatcher.get(), [this] { Poll(); });
    Poll();
    return Started;
}

void CHandoverReceiver::Poll()
{
    // Opening a file may show a message box whose event loop calls here again.
    if (m_bPolling) {
        m_bPollAgain = true;
        return;
    }
    m_bPolling = true;
    do {
        m_bPollAgain = false;
        const Fd dir(OpenHandoverFolderOrSay());
        if (dir.fd < 0)
            break;
        struct Request {
            QByteArray name;
            struct timespec time;
        };
        std::vector<Request> pending;
        if (DIR* list = ::fdopendir(::fcntl(dir.fd, F_DUPFD_CLOEXEC, 0))) {
            while (const dirent* e = ::readdir(list)) {
                const QByteArray n(e->d_name);
                struct stat st {};
                if (n.startsWith('.') || !n.endsWith(kRequestSuffix) ||
                    ::fstatat(dir.fd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
                    continue;
                pending.push_back({n, st.st_mtim});
            }
            ::closedir(list);
        }
        std::sort(pending.begin(), pending.end(), [](const Request& a, const Request& b) {
            if (a.time.tv_sec != b.time.tv_sec)
                return a.time.tv_sec < b.time.tv_sec;
            if (a.time.tv_nsec != b.time.tv_nsec)
                return a.time.tv_nsec < b.time.tv_nsec;
            return a.name < b.name;
        });
        for (const Request& r : pending) {
            const QStringList files = ReadRequest(dir.fd, r.name.constData());
            // Removes the entry itself (a link goes, never what it leads to); a folder stays.
            if (::unlinkat(dir.fd, r.name.constData(), 0) != 0)
                continue;   // gone already, or not ours to take
            if (!files.isEmpty() && m_onFiles)
                m_onFiles(files);
        }
    } while (m_bPollAgain);
    m_bPolling = false;
}

} // namespace nuv

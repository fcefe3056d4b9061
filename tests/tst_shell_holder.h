// A marker holder in a separate process (shell_marker_holder), a capture of what the code
// under test writes to stderr, environment and file-mode helpers.
#pragma once

#include <QFile>
#include <QList>
#include <QProcess>
#include <QStringList>
#include <QTemporaryFile>
#include <QTest>
#include <cstdio>
#include <functional>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

class MarkerHolder {
public:
    // Starts the holder; Held() tells whether it took every marker. `setup` may change the
    // process before it starts (environment, user).
    MarkerHolder(const QStringList& names, bool crash = false, const std::function<void(QProcess&)>& setup = {})
    {
        m_proc = std::make_unique<QProcess>();
        m_proc->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        if (setup)
            setup(*m_proc);
        m_proc->start(QStringLiteral(SHELL_HOLDER), QStringList{crash ? QStringLiteral("crash") : QStringLiteral("hold")} + names);
        if (m_proc->waitForStarted(5000) && m_proc->waitForReadyRead(5000))
            m_held = m_proc->readLine().trimmed() == "held";
    }
    ~MarkerHolder() { Stop(); }
    bool Held() const { return m_held; }
    // Ordinary end (stdin closed) or the crash (a line on stdin); waits for the process.
    void Stop()
    {
        if (m_proc == nullptr || m_proc->state() == QProcess::NotRunning)
            return;
        m_proc->write("x\n");
        m_proc->closeWriteChannel();
        if (!m_proc->waitForFinished(5000))
            m_proc->kill();
        m_proc->waitForFinished(5000);
    }
    QProcess::ExitStatus ExitStatus() const { return m_proc->exitStatus(); }

private:
    std::unique_ptr<QProcess> m_proc;
    bool m_held = false;
};

// Everything written to stderr between construction and Take().
class StderrCapture {
public:
    StderrCapture()
    {
        m_file.open();
        std::fflush(stderr);
        m_saved = ::dup(2);
        ::dup2(m_file.handle(), 2);
    }
    ~StderrCapture() { Take(); }
    QString Take()
    {
        if (m_saved >= 0) {
            std::fflush(stderr);
            ::dup2(m_saved, 2);
            ::close(m_saved);
            m_saved = -1;
            m_file.seek(0);
            m_text = QString::fromLocal8Bit(m_file.readAll());
        }
        return m_text;
    }

private:
    QTemporaryFile m_file;
    int m_saved = -1;
    QString m_text;
};

// Restores the named environment variables when it goes.
class EnvGuard {
public:
    explicit EnvGuard(std::initializer_list<const char*> names)
    {
        for (const char* n : names)
            m_saved.append({n, qEnvironmentVariableIsSet(n), qgetenv(n)});
    }
    ~EnvGuard()
    {
        for (const Saved& s : m_saved) {
            if (s.set)
                qputenv(s.name, s.value);
            else
                qunsetenv(s.name);
        }
    }

private:
    struct Saved {
        const char* name;
        bool set;
        QByteArray value;
    };
    QList<Saved> m_saved;
};

inline unsigned ModeOf(const QString& path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? unsigned(st.st_mode & 07777) : 0u;
}

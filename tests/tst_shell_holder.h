// A marker holder in a separate process (shell_marker_holder).
#pragma once

#include <QProcess>
#include <QStringList>
#include <QTest>
#include <memory>

class MarkerHolder {
public:
    // Starts the holder; Held() tells whether it took every marker.
    MarkerHolder(const QStringList& names, bool crash = false)
    {
        m_proc = std::make_unique<QProcess>();
        m_proc->setProcessChannelMode(QProcess::ForwardedErrorChannel);
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

// Files handed over by the desktop to the running instance.
//
// The instance that started first holds the receiver marker "NUV-OPEN" and watches a
// folder in the runtime folder. A program started by the desktop with "--open <files>"
// while a receiver runs only drops its paths there (one file per request, written
// whole and renamed into place) and ends; the receiver opens them. Without a receiver the
// program starts as usual and opens the files itself.
#pragma once

#include <QObject>
#include <QStringList>

class QFileSystemWatcher;

namespace nuv {

// Paths after "--open" in `args` (plain arguments name nothing to open).
QStringList HandedOverFiles(const QStringList& args);

// True when another process receives hand-overs now.
bool HandoverReceiverRunning();

// Drops `files` for the running receiver; false when that failed.
bool SubmitHandover(const QStringList& files);

class CHandoverReceiver : public QObject {
    Q_OBJECT
public:
    explicit CHandoverReceiver(QObject* parent = nullptr);
    ~CHandoverReceiver() override;
    // Takes the receiver marker and starts watching; false when another process has it.
    bool Start();
    // Reads and removes every pending request (also called by the watcher).
    void Poll();

signals:
    void filesHandedOver(const QStringList& files);

private:
    QFileSystemWatcher* m_pWatcher = nullptr;
    int m_hMarker = 0;
};

} // namespace nuv

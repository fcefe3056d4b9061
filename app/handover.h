// Files handed over by the desktop to the running instance.
//
// The instance that started first holds the receiver marker "NUV-OPEN" and watches a
// folder in the runtime folder. A program started by the desktop with "--open <files>"
// while a receiver runs only drops its paths there (one file per request, written
// whole and renamed into place) and ends; the receiver opens them. Without a receiver the
// program starts as usual and opens the files itself.
#pragma once

#include <QStringList>
#include <functional>
#include <memory>

class QFileSystemWatcher;

namespace nuv {

// Paths after "--open" in `args` (plain arguments name nothing to open).
QStringList HandedOverFiles(const QStringList& args);

// True when another process receives hand-overs now.
bool HandoverReceiverRunning();

// Drops `files` for the running receiver; false when that failed.
bool SubmitHandover(const QStringList& files);

class CHandoverReceiver {
public:
    // `onFiles` gets the paths of each request, on the thread that runs the event loop.
    explicit CHandoverReceiver(std::function<void(const QStringList&)> onFiles);
    ~CHandoverReceiver();
    CHandoverReceiver(const CHandoverReceiver&) = delete;
    CHandoverReceiver& operator=(const CHandoverReceiver&) = delete;
    // Takes the receiver marker and starts watching; false when another process has it.
    bool Start();
    // Reads and removes every pending request (also called by the watcher).
    void Poll();

private:
    std::function<void(const QStringList&)> m_onFiles;
    std::unique_ptr<QFileSystemWatcher> m_pWatcher;
    int m_hMarker = 0;
};

} // namespace nuv

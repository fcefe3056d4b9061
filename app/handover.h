// Files handed over by the desktop to the running instance of the same user.
//
// The instance that started first holds the receiver lock and watches the user's own
// hand-over folder: "nuv-open" in $XDG_RUNTIME_DIR when that is an absolute folder of this
// user that nobody else may enter, otherwise in "nuv-<uid>" in the temporary folder
// ($TMPDIR or /tmp), which the program creates 0700. Owner and mode are checked before
// every use; a folder that fails the check is refused with one line on stderr and the
// program does without hand-over.
//
// A program started by the desktop with "--open <files>" while a receiver runs only drops
// its paths there as one request (absolute paths, each ended by a NUL byte, written whole
// and renamed into place) and ends; the receiver opens them. Without a receiver the
// program starts as usual and opens the files itself. One request opens at most
// kMaxHandedOverFiles files. Requests are read without following links and only when
// they are plain files of this user.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QFileSystemWatcher;

namespace nuv {

constexpr int kMaxHandedOverFiles = 16;

// Paths after "--open" in `args` (plain arguments name nothing to open), at most
// kMaxHandedOverFiles of them; a line on stderr tells when more were given.
QStringList HandedOverFiles(const QStringList& args);

// The hand-over folder in use now, empty when it is refused (for messages and tests).
QString HandoverFolder();

// True when another process receives hand-overs now.
bool HandoverReceiverRunning();

// Drops `files` (at most kMaxHandedOverFiles) for the running receiver; false when that
// failed.
bool SubmitHandover(const QStringList& files);

class CHandoverReceiver {
public:
    enum StartResult { Started, OtherReceiver, Failed };

    // `onFiles` gets the paths of each request, on the thread that runs the event loop.
    explicit CHandoverReceiver(std::function<void(const QStringList&)> onFiles);
    ~CHandoverReceiver();
    CHandoverReceiver(const CHandoverReceiver&) = delete;
    CHandoverReceiver& operator=(const CHandoverReceiver&) = delete;
    // Takes the receiver lock and starts watching. OtherReceiver: another instance of this
    // user receives. Failed: nothing will be received; the reason went to stderr and stays
    // in ErrorString().
    StartResult Start();
    QString ErrorString() const { return m_error; }
    // Reads and removes every pending request (also called by the watcher).
    void Poll();

private:
    std::function<void(const QStringList&)> m_onFiles;
    std::unique_ptr<QFileSystemWatcher> m_pWatcher;
    int m_hMarker = 0;
    QString m_error;
    bool m_bPolling = false;
    bool m_bPollAgain = false;
};

} // namespace nuv

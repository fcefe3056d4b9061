// The one seam every operator message passes through.
//
// The GUI installs a handler that shows a modal box; tests install one that records the
// request and answers it. A call from a thread other than the GUI thread is handed to the
// GUI thread and the caller waits for the operator's answer, so a worker never goes on
// before the box has been closed.
#pragma once

#include <QString>
#include <functional>

namespace nuv {

enum class MsgIcon { None, Information, Exclamation, Stop, Question };
enum class MsgButtons { Ok, YesNo };

enum MsgResult { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

struct MsgRequest {
    QString text;
    QString caption;   // "SYS" for boxes raised by the program
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::Ok;
    bool fromWorker = false;   // asked by a thread other than the GUI thread
};

using MsgHandler = std::function<int(const MsgRequest&)>;

// Replaces the handler; returns the previous one.
MsgHandler SetMessageHandler(MsgHandler handler);

// The application's caption for its own boxes.
inline QString AppCaption() { return QStringLiteral("SYS"); }

// A box with the caption "SYS".
int AfxMessageBox(const QString& text, MsgIcon icon = MsgIcon::None, MsgButtons buttons = MsgButtons::Ok);
// A box with its own caption.
int MessageBoxCaption(const QString& text, const QString& caption, MsgIcon icon, MsgButtons buttons);

} // namespace nuv

#include "framework/guimsgbox.h"

#include "framework/msgseam.h"

#include <QApplication>
#include <QMessageBox>

namespace nuv {

namespace {
int ShowBox(const MsgRequest& r)
{
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (r.icon) {
    case MsgIcon::Information: icon = QMessageBox::Information; break;
    case MsgIcon::Exclamation: icon = QMessageBox::Warning; break;
    case MsgIcon::Stop: icon = QMessageBox::Critical; break;
    case MsgIcon::Question: icon = QMessageBox::Question; break;
    case MsgIcon::None: break;
    }
    const QMessageBox::StandardButtons buttons =
        r.buttons == MsgButtons::YesNo ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok;
    // Owned by the active window when there is one (none during start-up).
    QMessageBox box(icon, r.caption, r.text, buttons, QApplication::activeWindow());
    const int answer = box.exec();
    switch (answer) {
    case QMessageBox::Yes: return IDYES;
    case QMessageBox::No: return IDNO;
    case QMessageBox::Ok: return IDOK;
    default: return r.buttons == MsgButtons::YesNo ? IDNO : IDCANCEL;
    }
}
} // namespace

void InstallGuiMessageHandler() { SetMessageHandler(ShowBox); }

} // namespace nuv

#include "msgseam.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <cstdio>
#include <mutex>

namespace nuv {

namespace {
std::mutex g_lock;
MsgHandler g_handler;

int DefaultHandler(const MsgRequest& r)
{
    std::fprintf(stderr, "[%s] %s\n", qPrintable(r.caption), qPrintable(r.text));
    return r.buttons == MsgButtons::YesNo ? IDNO : IDOK;
}

MsgHandler CurrentHandler()
{
    std::lock_guard<std::mutex> g(g_lock);
    return g_handler ? g_handler : MsgHandler(DefaultHandler);
}
} // namespace

MsgHandler SetMessageHandler(MsgHandler handler)
{
    std::lock_guard<std::mutex> g(g_lock);
    MsgHandler old = std::move(g_handler);
    g_handler = std::move(handler);
    return old;
}

int MessageBoxCaption(const QString& text, const QString& caption, MsgIcon icon, MsgButtons buttons)
{
    MsgRequest r{text, caption, icon, buttons, false};
    QCoreApplication* app = QCoreApplication::instance();
    if (app != nullptr && QThread::currentThread() != app->thread()) {
        // Shown by the GUI thread while this thread waits. A GUI thread that waits for a
        // worker keeps processing events, so this never deadlocks.
        r.fromWorker = true;
        int result = IDOK;
        QMetaObject::invokeMethod(
            app, [&] { result = CurrentHandler()(r); }, Qt::BlockingQueuedConnection);
        return result;
    }
    return CurrentHandler()(r);
}

int AfxMessageBox(const QString& text, MsgIcon icon, MsgButtons buttons)
{
    return MessageBoxCaption(text, AppCaption(), icon, buttons);
}

} // namespace nuv

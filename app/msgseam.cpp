#include "msgseam.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <condition_variable>
#include <cstdio>
#include <memory>
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
        // The hand-over is our own mutex and condition variable rather than a blocking
        // queued call, so every tool that checks threads sees it.
        r.fromWorker = true;
        struct Pending {
            std::mutex lock;
            std::condition_variable answered;
            bool done = false;
            int result = IDOK;
        };
        auto pending = std::make_shared<Pending>();
        QMetaObject::invokeMethod(
            app,
            [pending, r] {
                const int result = CurrentHandler()(r);
                std::lock_guard<std::mutex> g(pending->lock);
                pending->result = result;
                pending->done = true;
                pending->answered.notify_all();
            },
            Qt::QueuedConnection);
        std::unique_lock<std::mutex> g(pending->lock);
        pending->answered.wait(g, [&] { return pending->done; });
        return pending->result;
    }
    return CurrentHandler()(r);
}

int AfxMessageBox(const QString& text, MsgIcon icon, MsgButtons buttons)
{
    return MessageBoxCaption(text, AppCaption(), icon, buttons);
}

} // namespace nuv

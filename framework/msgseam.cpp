#include "framework/msgseam.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <condition_variable>
#include <cstdio>
#include <deque>
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

// A box asked for by a worker thread, waiting for the GUI thread's answer.
struct PendingBox {
    MsgRequest request;
    std::mutex lock;
    std::condition_variable answered;
    bool done = false;
    int result = IDOK;
};

// Requests travel in our own locked queue rather than inside the queued call, so the
// hand-over of their texts is visible to every tool that checks threads.
std::mutex g_boxLock;
std::deque<std::shared_ptr<PendingBox>> g_boxes;

void ShowPendingBoxes()
{
    for (;;) {
        std::shared_ptr<PendingBox> box;
        {
            std::lock_guard<std::mutex> g(g_boxLock);
            if (g_boxes.empty())
                return;
            box = g_boxes.front();
            g_boxes.pop_front();
        }
        const int result = CurrentHandler()(box->request);
        std::lock_guard<std::mutex> g(box->lock);
        box->result = result;
        box->done = true;
        box->answered.notify_all();
    }
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
        auto box = std::make_shared<PendingBox>();
        box->request = r;
        {
            std::lock_guard<std::mutex> g(g_boxLock);
            g_boxes.push_back(box);
        }
        QMetaObject::invokeMethod(app, &ShowPendingBoxes, Qt::QueuedConnection);
        std::unique_lock<std::mutex> g(box->lock);
        box->answered.wait(g, [&] { return box->done; });
        return box->result;
    }
    return CurrentHandler()(r);
}

int AfxMessageBox(const QString& text, MsgIcon icon, MsgButtons buttons)
{
    return MessageBoxCaption(text, AppCaption(), icon, buttons);
}

} // namespace nuv

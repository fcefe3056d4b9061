#include "framework/wndmsg.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThread>
#include <atomic>
#include <cstring>
#include <mutex>
#include <new>
#include <unordered_map>

namespace nuv {

namespace {

// Fixed pool of event blocks; falls back to the heap only when every block is in flight.
struct Pool {
    static constexpr size_t kBlocks = 4096;
    static constexpr size_t kBlockSize = 512;
    std::mutex lock;
    alignas(16) unsigned char storage[kBlocks][kBlockSize];
    void* freeList[kBlocks];
    size_t freeCount = 0;
    size_t inUse = 0;
    Pool()
    {
        for (size_t i = 0; i < kBlocks; ++i)
            freeList[i] = storage[kBlocks - 1 - i];
        freeCount = kBlocks;
    }
    bool owns(void* p) const
    {
        auto* c = static_cast<unsigned char*>(p);
        return c >= &storage[0][0] && c < &storage[0][0] + sizeof storage;
    }
};

Pool& ThePool()
{
    static Pool* pool = new Pool; // lives until exit; events may be deleted late
    return *pool;
}

std::mutex g_wndLock;
std::unordered_map<HWND, QObject*>& Windows()
{
    static auto* m = new std::unordered_map<HWND, QObject*>;
    return *m;
}
HWND g_nextHandle = 1;

// Qt hands a posted event to the receiving thread under its own locks, which thread
// checkers cannot see. Every post also bumps this counter (release) and the receiving
// thread reads it (acquire) before the event is delivered, so the hand-over of the
// event's contents is visible to them as well. It costs one atomic per message.
std::atomic<uint64_t> g_posts{0};

class PublishFilter : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (e->type() >= QEvent::User && e->type() <= QEvent::MaxUser)
            (void)g_posts.load(std::memory_order_acquire);
        return QObject::eventFilter(watched, e);
    }
};

// One filter per application object, owned by it.
void InstallPublishFilter()
{
    static QPointer<PublishFilter> installed;
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr || QThread::currentThread() != app->thread() || (installed && installed->parent() == app))
        return;
    auto* filter = new PublishFilter;
    filter->setParent(app);
    app->installEventFilter(filter);
    installed = filter;
}

} // namespace

CMsgEvent::CMsgEvent(int message, uint64_t w, int64_t l) : QEvent(MsgType(message)), wParam(w), lParam(l) {}

void* CMsgEvent::operator new(size_t size)
{
    static_assert(sizeof(CMsgEvent) <= Pool::kBlockSize);
    Pool& p = ThePool();
    if (size <= Pool::kBlockSize) {
        std::lock_guard<std::mutex> g(p.lock);
        if (p.freeCount > 0) {
            ++p.inUse;
            return p.freeList[--p.freeCount];
        }
    }
    return ::operator new(size);
}

void CMsgEvent::operator delete(void* ptr)
{
    if (ptr == nullptr)
        return;
    Pool& p = ThePool();
    if (p.owns(ptr)) {
        std::lock_guard<std::mutex> g(p.lock);
        p.freeList[p.freeCount++] = ptr;
        --p.inUse;
        return;
    }
    ::operator delete(ptr);
}

size_t PooledEventsInUse()
{
    Pool& p = ThePool();
    std::lock_guard<std::mutex> g(p.lock);
    return p.inUse;
}

HWND RegisterWindow(QObject* receiver)
{
    InstallPublishFilter();
    std::lock_guard<std::mutex> g(g_wndLock);
    HWND h = g_nextHandle++;
    if (g_nextHandle == 0)
        g_nextHandle = 1;
    Windows()[h] = receiver;
    return h;
}

void UnregisterWindow(HWND h)
{
    std::lock_guard<std::mutex> g(g_wndLock);
    Windows().erase(h);
}

bool PostMessage(HWND h, int message, uint64_t wParam, int64_t lParam, const void* payload, size_t size)
{
    if (h == 0 || size > CMsgEvent::kPayload)
        return false;
    std::lock_guard<std::mutex> g(g_wndLock);
    auto it = Windows().find(h);
    if (it == Windows().end())
        return false;
    auto* ev = new CMsgEvent(message, wParam, lParam);
    if (payload != nullptr && size > 0) {
        std::memcpy(ev->payload, payload, size);
        ev->payloadSize = uint32_t(size);
    }
    g_posts.fetch_add(1, std::memory_order_release);
    // Posted under the lock: the receiver cannot be unregistered and destroyed in between.
    QCoreApplication::postEvent(it->second, ev);
    return true;
}

} // namespace nuv

// Window handles and posted window messages.
//
// Threads reach windows only by posting messages to a handle. A handle is an integer a
// receiver registers while it lives; posting to a handle that is gone does nothing, so a
// worker never touches a destroyed window. Message n (WM_USER + n) arrives as a
// CMsgEvent of type QEvent::User + n, posted after the data it announces was written.
#pragma once

#include <QEvent>
#include <QObject>
#include <cstddef>
#include <cstdint>

namespace nuv {

using HWND = uint32_t;          // 0 = no window
constexpr int WM_USER = 0;      // message numbers below are offsets from WM_USER

constexpr int WM_CURVE_UPDATE = WM_USER + 1;    // live waveform: new sweep data
constexpr int WM_FILE_STATUS = WM_USER + 5;     // AI frame: refresh the status bar
constexpr int WM_FILE_CLOSE = WM_USER + 9;      // AI frame: close the data file
constexpr int WM_DI_STATES = WM_USER + 11;      // DIO panel: input states
constexpr int WM_DIGIT_ROW = WM_USER + 100;     // live digit view: one reading
constexpr int WM_BREAK_ICONS = WM_USER + 101;   // parameter panel: break icons

constexpr QEvent::Type MsgType(int wmUserOffset) { return QEvent::Type(QEvent::User + wmUserOffset); }

// A posted message. Its memory comes from a fixed pool, so posting from the acquisition
// cycle allocates nothing. Up to 256 payload bytes travel with it (a copy the receiver
// owns, e.g. the reading it announces).
class CMsgEvent : public QEvent {
public:
    static constexpr size_t kPayload = 256;
    CMsgEvent(int message, uint64_t wParam, int64_t lParam);
    int message() const { return int(type()) - int(QEvent::User); }
    uint64_t wParam;
    int64_t lParam;
    uint32_t payloadSize = 0;
    alignas(8) unsigned char payload[kPayload];

    template <class T> const T* Payload() const
    {
        static_assert(sizeof(T) <= kPayload);
        return payloadSize == sizeof(T) ? reinterpret_cast<const T*>(payload) : nullptr;
    }

    static void* operator new(size_t size);
    static void operator delete(void* p);
};

// Registers `receiver` and returns its new handle; UnregisterWindow before it dies.
HWND RegisterWindow(QObject* receiver);
void UnregisterWindow(HWND h);

// Owns a registration for the lifetime of a window object.
class CWndHandle {
public:
    explicit CWndHandle(QObject* receiver) : m_h(RegisterWindow(receiver)) {}
    ~CWndHandle() { UnregisterWindow(m_h); }
    CWndHandle(const CWndHandle&) = delete;
    CWndHandle& operator=(const CWndHandle&) = delete;
    HWND get() const { return m_h; }
    operator HWND() const { return m_h; }

private:
    HWND m_h;
};

// Posts message `message` to the window behind `h`; false when there is none.
// `payload` (size bytes, at most CMsgEvent::kPayload) is copied into the event.
bool PostMessage(HWND h, int message, uint64_t wParam = 0, int64_t lParam = 0,
                 const void* payload = nullptr, size_t size = 0);

// Events in flight taken from the pool (for checks).
size_t PooledEventsInUse();

} // namespace nuv

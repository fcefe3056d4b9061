// The automatic DI reader: a thread that reads the eight input lines as fast as its pause
// allows and posts WM_USER+11 to the DIO panel at most once per 100 ms.
//
// It reaches the panel only through posted messages that carry a copy of the states. A
// failed read is posted too (WM_DI_READ_FAILED) and ends the thread; the panel shows the box,
// so the reader never waits for the GUI thread and Join() can never deadlock with it.
#pragma once

#include "device/mdq4170.h"
#include "framework/wndmsg.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace nuv {

// Sent by the reader when MDQ4170_DIO_ReadLines failed; wParam = reads before the failure.
constexpr int WM_DI_READ_FAILED = WM_USER + 12;

// Payload of WM_DI_STATES: the eight input states as the device reported them.
struct DIStates {
    uint32_t line[8];
};

class CDIReader {
public:
    static constexpr int kNotifyMs = 100;   // least time between two posted updates
    static constexpr int kDefaultPause = 20;

    CDIReader() = default;
    ~CDIReader();   // stops and joins
    CDIReader(const CDIReader&) = delete;
    CDIReader& operator=(const CDIReader&) = delete;

    // Starts reading `device`, posting to `target`. A reader still running is stopped and
    // joined first, so there is never more than one.
    void Start(MDQ4170_HANDLE device, HWND target);
    // Asks the reader to end; returns at once. A pause in progress is cut short.
    void Stop();
    // Waits until the reader has ended (no-op when none was started).
    void Join();
    // True from Start until the thread has left its loop.
    bool IsActive() const { return m_bActive.load(); }

    // Milliseconds to wait after each read (0: read continuously).
    void SetPause(int ms) { m_nPause.store(ms < 0 ? 0 : ms); }
    int Pause() const { return m_nPause.load(); }

private:
    void Run(MDQ4170_HANDLE device, HWND target);
    bool WaitPause(int ms);   // false when asked to stop meanwhile

    std::thread m_thread;
    std::atomic<bool> m_bRunning{false};
    std::atomic<bool> m_bActive{false};
    std::atomic<int> m_nPause{kDefaultPause};
    std::mutex m_wakeLock;
    std::condition_variable m_wake;
};

} // namespace nuv

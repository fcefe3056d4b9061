#include "dio/direader.h"

#include <chrono>

namespace nuv {

CDIReader::~CDIReader()
{
    Stop();
    Join();
}

void CDIReader::Start(MDQ4170_HANDLE device, HWND target)
{
    Stop();
    Join();
    m_bRunning.store(true);
    m_bActive.store(true);
    m_thread = std::thread([this, device, target] { Run(device, target); });
}

void CDIReader::Stop()
{
    {
        // Under the lock so a reader between its flag test and its wait cannot miss it.
        std::lock_guard<std::mutex> g(m_wakeLock);
        m_bRunning.store(false);
    }
    m_wake.notify_all();
}

void CDIReader::Join()
{
    if (m_thread.joinable())
        m_thread.join();
}

bool CDIReader::WaitPause(int ms)
{
    std::unique_lock<std::mutex> lk(m_wakeLock);
    return !m_wake.wait_for(lk, std::chrono::milliseconds(ms), [this] { return !m_bRunning.load(); });
}

void CDIReader::Run(MDQ4170_HANDLE device, HWND target)
{
    using Clock = std::chrono::steady_clock;
    uint64_t count = 0;
    bool posted = false;
    Clock::time_point lastPost;
    while (m_bRunning.load()) {
        DIStates states{};
        if (!MDQ4170_DIO_ReadLines(device, 0, states.line)) {
            PostMessage(target, WM_DI_READ_FAILED, count);
            break;
        }
        ++count;
        // Every read is counted; the panel sees one at most every kNotifyMs. Deciding by the
        // time since the last post (not since the last check) shows every read when the
        // pause is longer than that.
        const Clock::time_point now = Clock::now();
        if (!posted || now - lastPost >= std::chrono::milliseconds(kNotifyMs)) {
            PostMessage(target, WM_DI_STATES, count, 0, &states, sizeof states);
            posted = true;
            lastPost = now;
        }
        const int pause = m_nPause.load();
        if (pause > 0) {
            if (!WaitPause(pause))
                break;
        } else {
            std::this_thread::yield();
        }
    }
    m_bActive.store(false);
}

} // namespace nuv

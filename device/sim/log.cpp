// The calling thread's last error and the library's log file "MDQ4170.log".
#include "device/sim/simcore.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace mdqsim {

namespace {
constexpr off_t kMaxLogBytes = 4 << 20;
thread_local uint32_t t_lastError = MDQ4170_ERROR_SUCCESS;
std::mutex g_logMutex;

// mkdir -p for the folder that holds `file`; errors are left to the open that follows.
void makeParents(const std::string& file)
{
    for (size_t pos = file.find('/', 1); pos != std::string::npos; pos = file.find('/', pos + 1))
        ::mkdir(file.substr(0, pos).c_str(), 0755);
}
} // namespace

void setLastError(uint32_t code) { t_lastError = code; }
uint32_t lastError() { return t_lastError; }

void logLine(const char* call, const std::string& reason)
{
    const int savedErrno = errno;
    const auto now = std::chrono::system_clock::now();
    const std::time_t secs = std::chrono::system_clock::to_time_t(now);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm tm{};
    localtime_r(&secs, &tm);
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d.%03d", tm.tm_year + 1900, tm.tm_mon + 1,
                  tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, int(ms));
    std::string line = std::string(stamp) + ' ' + call + ": " + reason + '\n';

    std::lock_guard guard(g_logMutex);
    const std::string path = logPath();
    if (!path.empty()) {
        makeParents(path);
        // Keep the log from growing without bound: one older generation is enough.
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0 && st.st_size > kMaxLogBytes)
            ::rename(path.c_str(), (path + ".1").c_str());
        const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
        if (fd >= 0) {
            // One write per line keeps lines whole when several processes share the log.
            [[maybe_unused]] ssize_t n = ::write(fd, line.data(), line.size());
            ::close(fd);
        }
    }
    errno = savedErrno;
}

int32_t fail(const char* call, uint32_t code, const std::string& reason)
{
    logLine(call, reason);
    setLastError(code);   // after logging, which must not disturb it
    return 0;
}

} // namespace mdqsim

extern "C" MDQ4170_API uint32_t MDQ4170_GetLastError(void)
{
    return mdqsim::lastError();
}

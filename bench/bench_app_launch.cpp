// Start-up of the real program: from fork/exec of `nuv` (one simulated module, a fresh
// configuration, state, runtime and marker folder each time) to the moment the device
// selection dialog has been painted and handed to the window system. The program reports
// that moment itself when NUV_LAUNCH_PROBE names a descriptor: one line with its
// CLOCK_MONOTONIC time and platform, then it ends at once; wait4 gives its CPU (all
// threads, user + system). Runs on an Xvfb server of its own when there is one (the X
// round trips and the window's mapping are part of the cost), else on QT_QPA_PLATFORM.
//
// Usage: bench_app_launch [--runs N] [--platform NAME] [--nuv PATH]   (default 25 runs,
// after 2 that warm the caches)
#include "benchclock.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

double NowMs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

bool OnPath(const char* name)
{
    const char* path = std::getenv("PATH");
    std::string rest = path != nullptr ? path : "/usr/bin:/bin";
    size_t at = 0;
    while (at <= rest.size()) {
        const size_t colon = rest.find(':', at);
        const std::string dir = rest.substr(at, colon == std::string::npos ? std::string::npos : colon - at);
        if (!dir.empty() && ::access((dir + "/" + name).c_str(), X_OK) == 0)
            return true;
        if (colon == std::string::npos)
            break;
        at = colon + 1;
    }
    return false;
}

// Reads one line from `fd` within `ms`; empty when none came.
std::string ReadLine(int fd, int ms)
{
    std::string line;
    const double end = NowMs() + ms;
    while (line.find('\n') == std::string::npos) {
        const int left = int(end - NowMs());
        if (left <= 0)
            return {};
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, left) <= 0)
            continue;
        char buf[256];
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0)
            return {};
        line.append(buf, size_t(n));
    }
    return line.substr(0, line.find('\n'));
}

// An Xvfb of our own on a display it picks; ends with the benchmark. It does not reset
// when its last client leaves (as a desktop's server does not): each start meets a ready server.
struct Xvfb {
    pid_t pid = -1;
    std::string display;

    bool Start()
    {
        int fds[2];
        if (::pipe(fds) != 0)
            return false;
        pid = ::fork();
        if (pid == 0) {
            ::close(fds[0]);
            const int devnull = ::open("/dev/null", O_RDWR);
            ::dup2(devnull, 1);
            ::dup2(devnull, 2);
            const std::string fd = std::to_string(fds[1]);
            ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1920x1080x24", "-nolisten", "tcp", "-noreset",
                     static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(fds[1]);
        const std::string n = pid > 0 ? ReadLine(fds[0], 10000) : std::string();
        ::close(fds[0]);
        if (n.empty())
            return false;
        display = ":" + n;
        return true;
    }
    ~Xvfb()
    {
        if (pid > 0) {
            ::kill(pid, SIGTERM);
            ::waitpid(pid, nullptr, 0);
        }
    }
};

struct Launch {
    double wallMs = 0;
    double cpuMs = 0;
    std::string platform;
};

std::string MakeTempDir()
{
    const char* tmp = std::getenv("TMPDIR");
    std::string templ = std::string(tmp != nullptr && *tmp == '/' ? tmp : "/tmp") + "/nuv-launch-XXXXXX";
    std::vector<char> buf(templ.begin(), templ.end());
    buf.push_back('\0');
    return ::mkdtemp(buf.data()) != nullptr ? std::string(buf.data()) : std::string();
}

void RemoveTree(const std::string& dir)
{
    const std::string cmd = "rm -rf '" + dir + "'";
    (void)!std::system(cmd.c_str());
}

// One start of the program; false when it did not report its dialog.
bool LaunchOnce(const std::string& program, const std::string& platform, const std::string& display, Launch* out)
{
    const std::string root = MakeTempDir();
    if (root.empty())
        return false;
    for (const char* sub : {"/config", "/state", "/runtime"})
        ::mkdir((root + sub).c_str(), 0700);

    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string kv = *e;
        const std::string key = kv.substr(0, kv.find('='));
        if (key.rfind("MDQ4170_", 0) == 0 || key.rfind("NUV_", 0) == 0 || key.rfind("XDG_", 0) == 0 ||
            key == "QT_QPA_PLATFORM" || key == "DISPLAY")
            continue;
        env.push_back(kv);
    }
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        RemoveTree(root);
        return false;
    }
    env.push_back("MDQ4170_SIM_MODULES=1");
    env.push_back("XDG_CONFIG_HOME=" + root + "/config");
    env.push_back("XDG_STATE_HOME=" + root + "/state");
    env.push_back("XDG_RUNTIME_DIR=" + root + "/runtime");
    env.push_back("NUV_MARKER_DIR=" + root + "/markers");
    env.push_back("NUV_LAUNCH_PROBE=3");
    env.push_back("QT_QPA_PLATFORM=" + platform);
    if (!display.empty())
        env.push_back("DISPLAY=" + display);
    std::vector<char*> envp;
    for (std::string& kv : env)
        envp.push_back(kv.data());
    envp.push_back(nullptr);
    const std::string errPath = root + "/stderr";

    const double t0 = NowMs();
    const pid_t pid = ::fork();
    if (pid == 0) {
        // The probe's descriptor, left open across exec.
        if (fds[1] == 3)
            ::fcntl(3, F_SETFD, 0);
        else
            ::dup2(fds[1], 3);
        const int devnull = ::open("/dev/null", O_RDWR);
        ::dup2(devnull, 0);
        ::dup2(devnull, 1);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(err >= 0 ? err : devnull, 2);
        char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
        ::execve(program.c_str(), argv, envp.data());
        ::_exit(127);
    }
    ::close(fds[1]);
    const std::string line = pid > 0 ? ReadLine(fds[0], 30000) : std::string();
    ::close(fds[0]);
    bool ok = false;
    if (pid > 0) {
        if (line.empty())
            ::kill(pid, SIGKILL);
        int status = 0;
        rusage ru{};
        ::wait4(pid, &status, 0, &ru);
        long long ns = 0;
        char name[64] = {};
        if (!line.empty() && std::sscanf(line.c_str(), "%lld %63s", &ns, name) == 2) {
            out->wallMs = double(ns) / 1e6 - t0;
            out->cpuMs = double(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) * 1e3 +
                         double(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e3;
            out->platform = name;
            ok = true;
        } else {
            std::fprintf(stderr, "nuv did not report its selection dialog (status %d); its stderr:\n", status);
            const std::string cat = "cat '" + errPath + "' >&2";
            (void)!std::system(cat.c_str());
        }
    }
    RemoveTree(root);
    return ok;
}

} // namespace

int main(int argc, char* argv[])
{
    int runs = 25;
    std::string platform;
    std::string program = NUV_PROGRAM;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--platform") == 0)
            platform = argv[++i];
        else if (std::strcmp(argv[i], "--nuv") == 0)
            program = argv[++i];
    }
    // The platform the operator has: an X server (our own Xvfb) when there is one.
    Xvfb xvfb;
    std::string display;
    const char* inherited = std::getenv("QT_QPA_PLATFORM");
    const char* inheritedDisplay = std::getenv("DISPLAY");
    if (platform.empty())
        platform = OnPath("Xvfb") ? "xcb" : (inherited != nullptr && *inherited != '\0' ? inherited : "offscreen");
    if (platform == "xcb") {
        if (inherited != nullptr && std::strcmp(inherited, "xcb") == 0 && inheritedDisplay != nullptr &&
            *inheritedDisplay != '\0') {
            display = inheritedDisplay;
        } else if (xvfb.Start()) {
            display = xvfb.display;
        } else {
            std::fprintf(stderr, "no X server could be started; measuring offscreen\n");
            platform = "offscreen";
        }
    }

    constexpr int kWarmUp = 2;
    std::vector<double> wall;
    std::vector<double> cpu;
    std::string shown;
    for (int i = 0; i < kWarmUp + runs; ++i) {
        Launch l;
        if (!LaunchOnce(program, platform, display, &l))
            return 1;
        if (i < kWarmUp)
            continue;
        wall.push_back(l.wallMs);
        cpu.push_back(l.cpuMs);
        shown = l.platform;
    }
    std::printf("launch to selection dialog (%s, %d starts, wall %.1f..%.1f ms): %.1f ms median wall, %.1f ms CPU "
                "(target < 50 ms)\n",
                shown.c_str(), runs, *std::min_element(wall.begin(), wall.end()),
                *std::max_element(wall.begin(), wall.end()), bench::Median(wall), bench::Median(cpu));
    return 0;
}

// Where the library keeps its files, and the per-module parameter and calibration store.
// Parameter record: <config>/nuv-mdq4170/MDQ4170-<serial>.aiparam, the 48 bytes as given.
// Calibration:      <config>/nuv-mdq4170/MDQ4170-<serial>.cal, one text line per entry.
#include "device/sim/simcore.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace mdqsim {

namespace {
std::mutex g_pathMutex;
std::string g_storeDir;
std::string g_logPath;
bool g_pathsKnown = false;

std::string homeDir()
{
    const char* home = std::getenv("HOME");
    if (home && *home)
        return home;
    char buf[4096];
    passwd pw{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &pw, buf, sizeof buf, &found) == 0 && found && found->pw_dir)
        return found->pw_dir;
    return "/tmp";
}

// An XDG base variable counts only when it holds an absolute path.
std::string xdgBase(const char* var, const char* fallback)
{
    const char* v = std::getenv(var);
    if (v && v[0] == '/')
        return v;
    return homeDir() + '/' + fallback;
}

void ensurePaths()
{
    if (g_pathsKnown)
        return;
    g_storeDir = xdgBase("XDG_CONFIG_HOME", ".config") + "/nuv-mdq4170";
    g_logPath = xdgBase("XDG_STATE_HOME", ".local/state") + "/nuv-mdq4170/MDQ4170.log";
    g_pathsKnown = true;
}

bool makeDirs(const std::string& dir)
{
    for (size_t pos = dir.find('/', 1);; pos = dir.find('/', pos + 1)) {
        const std::string part = pos == std::string::npos ? dir : dir.substr(0, pos);
        if (::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST)
            return false;
        if (pos == std::string::npos)
            return true;
    }
}

std::string fileFor(uint32_t serial, const char* ext)
{
    return storeDir() + "/MDQ4170-" + std::to_string(serial) + ext;
}

// Writes `data` to `path` through a temporary file and a rename, so a reader sees either
// the old or the new content, never a part.
bool writeAtomically(const std::string& path, const std::string& data, std::string* why)
{
    const std::string dir = path.substr(0, path.rfind('/'));
    if (!makeDirs(dir)) {
        *why = "cannot create folder " + dir + ": " + std::strerror(errno);
        return false;
    }
    std::string tmpl = path + ".XXXXXX";
    const int fd = ::mkstemp(tmpl.data());
    if (fd < 0) {
        *why = "cannot create temporary file in " + dir + ": " + std::strerror(errno);
        return false;
    }
    ::fchmod(fd, 0644);
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += size_t(n);
    }
    const bool ok = done == data.size() && ::fsync(fd) == 0;
    const int err = errno;
    ::close(fd);
    if (!ok || ::rename(tmpl.c_str(), path.c_str()) != 0) {
        *why = "cannot write " + path + ": " + std::strerror(ok ? errno : err);
        ::unlink(tmpl.c_str());
        return false;
    }
    return true;
}

bool readWhole(const std::string& path, std::string* out)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        out->append(buf, size_t(n));
        if (out->size() > (1u << 20))   // not ours; refuse rather than swallow it
            break;
    }
    ::close(fd);
    return true;
}

std::string number(double v)
{
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

bool parseDouble(const std::string& s, double* v)
{
    const auto r = std::from_chars(s.data(), s.data() + s.size(), *v);
    return r.ec == std::errc() && r.ptr == s.data() + s.size() && std::isfinite(*v);
}
} // namespace

std::string storeDir()
{
    std::lock_guard guard(g_pathMutex);
    ensurePaths();
    return g_storeDir;
}

std::string logPath()
{
    std::lock_guard guard(g_pathMutex);
    ensurePaths();
    return g_logPath;
}

void refreshPaths()
{
    std::lock_guard guard(g_pathMutex);
    g_pathsKnown = false;
    ensurePaths();
}

bool loadParam(uint32_t serial, AIParam* p, std::string* why)
{
    const std::string path = fileFor(serial, ".aiparam");
    std::string data;
    if (!readWhole(path, &data))
        return false;
    if (data.size() != sizeof(AIParam)) {
        *why = path + " holds " + std::to_string(data.size()) + " bytes instead of 48; using the default record";
        return false;
    }
    uint32_t words[12];
    for (int i = 0; i < 12; ++i) {
        const auto* b = reinterpret_cast<const unsigned char*>(data.data()) + 4 * i;
        words[i] = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
    }
    static_assert(sizeof words == sizeof(AIParam));
    std::memcpy(p, words, sizeof(AIParam));
    return true;
}

bool saveParam(uint32_t serial, const AIParam& p, std::string* why)
{
    uint32_t words[12];
    std::memcpy(words, &p, sizeof(AIParam));
    std::string data;
    for (uint32_t w : words)
        for (int s = 0; s < 32; s += 8)
            data.push_back(char((w >> s) & 0xFF));
    return writeAtomically(fileFor(serial, ".aiparam"), data, why);
}

void loadCalibration(Module& m)
{
    const std::string path = fileFor(m.serial, ".cal");
    std::string data;
    if (!readWhole(path, &data))
        return;
    std::istringstream in(data);
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream words(line);
        std::string kind, a, b, c, d;
        words >> kind >> a >> b >> c >> d;
        double x = 0, y = 0, ch = -1, rg = -1;
        bool ok = false;
        if (kind == "cjc" && parseDouble(a, &x) && std::fabs(x) < 100) {
            m.cjcCorrection = x;
            ok = true;
        } else if (kind == "cal" && parseDouble(a, &ch) && parseDouble(b, &rg) && parseDouble(c, &x) &&
                   parseDouble(d, &y) && ch >= 0 && ch < kChannels && rg >= 0 && rg < kRanges && y > 0 &&
                   ch == std::floor(ch) && rg == std::floor(rg)) {
            m.cal[size_t(ch)][size_t(rg)] = CalEntry{x, y};
            ok = true;
        }
        if (!ok)
            logLine("calibration store", path + ":" + std::to_string(lineNo) + ": ignored unreadable line");
    }
}

bool saveCalibration(const Module& m, std::string* why)
{
    std::string out = "# MDQ4170 calibration of module serial " + std::to_string(m.serial) +
                      "\n# cjc <correction degC>\n# cal <channel> <range code> <offset in input unit> <gain>\n";
    out += "cjc " + number(m.cjcCorrection) + '\n';
    for (int ch = 0; ch < kChannels; ++ch)
        for (int rg = 0; rg < kRanges; ++rg) {
            const CalEntry& e = m.cal[size_t(ch)][size_t(rg)];
            if (e.offset != 0.0 || e.gain != 1.0)
                out += "cal " + std::to_string(ch) + ' ' + std::to_string(rg) + ' ' + number(e.offset) + ' ' +
                       number(e.gain) + '\n';
        }
    return writeAtomically(fileFor(m.serial, ".cal"), out, why);
}

} // namespace mdqsim

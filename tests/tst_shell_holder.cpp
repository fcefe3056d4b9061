// Holds instance markers for a test from another process.
//   shell_marker_holder hold <name>...   takes the markers, prints "held", waits for stdin
//                                         to close, releases them
//   shell_marker_holder crash <name>...  takes the markers, prints "held", waits for a
//                                         line on stdin, then aborts without releasing
#include "app/devmarker.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char* argv[])
{
    if (argc < 3)
        return 2;
    const bool crash = std::strcmp(argv[1], "crash") == 0;
    int handles[64] = {};
    for (int i = 2; i < argc && i - 2 < 64; ++i) {
        bool existed = false;
        handles[i - 2] = nuv::CreateMarker(QString::fromLocal8Bit(argv[i]), &existed);
        if (handles[i - 2] <= 0) {
            std::printf("busy %s\n", argv[i]);
            std::fflush(stdout);
            return 1;
        }
    }
    std::printf("held\n");
    std::fflush(stdout);
    char line[64];
    if (crash) {
        if (std::fgets(line, sizeof line, stdin) != nullptr)
            std::abort();
        std::abort();
    }
    while (std::fgets(line, sizeof line, stdin) != nullptr) {
    }
    for (int i = 0; i < argc - 2 && i < 64; ++i)
        nuv::ReleaseMarker(handles[i]);
    return 0;
}

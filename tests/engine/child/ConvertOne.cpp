// SPDX-License-Identifier: GPL-3.0-or-later
// A separate process for the engine tests that need one: it converts one
// file, optionally as an unprivileged user or under a file-size limit. Forking
// the test program instead would lose libvips' worker threads in the child.
//
//   engine_convert_one [--unprivileged] [--file-size-limit BYTES] SOURCE DESTINATION
#include "app/engine/Conversion.h"
#include "platform/files/Files.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/resource.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    int i = 1;
    for (; i < argc && std::strncmp(argv[i], "--", 2) == 0; ++i) {
        if (std::strcmp(argv[i], "--unprivileged") == 0) {
            if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
                return 3;
        } else if (std::strcmp(argv[i], "--file-size-limit") == 0 && i + 1 < argc) {
            // Stands in for a full disk: every write past the limit fails.
            std::signal(SIGXFSZ, SIG_IGN);
            const rlim_t bytes = std::strtoull(argv[++i], nullptr, 10);
            struct rlimit limit {
                bytes, bytes
            };
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
                return 3;
        } else {
            return 2;
        }
    }
    if (argc - i != 2)
        return 2;
    FSRef source;
    FSRef destination;
    if (platform::RefFromPath(argv[i], &source) != noErr ||
        platform::RefFromPath(argv[i + 1], &destination) != noErr)
        return 4;
    ProcessFSRef(source, destination);
    return 0;
}

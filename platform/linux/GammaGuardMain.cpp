// winkwell-gamma-guard MARKER: waits for the end of its standard input, the pipe from the program
// it guards, then puts back the gamma ramps saved in MARKER if the program left them loaded.

#include "platform/linux/RandrScreenGamma.h"

#include <QFile>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <unistd.h>

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s MARKER\n", argc > 0 ? argv[0] : "winkwell-gamma-guard");
        return 2;
    }
    // The program decides when it ends; the guard outlives the signals that end it.
    std::signal(SIGHUP, SIG_IGN);
    std::signal(SIGINT, SIG_IGN);
    std::signal(SIGTERM, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);

    char buffer[64];
    for (;;) {
        const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (got == 0 || (got < 0 && errno != EINTR)) {
            break;
        }
    }
    const QString marker = QFile::decodeName(argv[1]);
    if (QFile::exists(marker)) {
        // Restores from the marker and removes it; a display that has gone keeps it for the
        // next start.
        RandrScreenGamma gamma(marker);
    }
    return 0;
}

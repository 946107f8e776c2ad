// The program's usage and version, answered without a display.
#include "app/CommandLine.h"

#include <cstdio>
#include <cstring>

bool AnswerCommandLine(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(
                "Usage: solmira [toolkit options]\n"
                "Show the reading of the day from a book of daily readings.\n"
                "\n"
                "  --help     show this help and end\n"
                "  --version  show the version and end\n"
                "\n"
                "See solmira(1) for the window, its settings and the daily start.\n",
                stdout);
            return true;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::fputs("solmira " SOLMIRA_VERSION "\n", stdout);
            return true;
        }
    }
    return false;
}

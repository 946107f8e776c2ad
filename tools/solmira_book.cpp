// solmira-book: makes books from their source, and reads and checks books the way the
// program reads them. The usage and solmira-book(1) tell its commands and exit statuses.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "platform/core/Clock.h"
#include "tools/BookCommands.h"
#include "tools/BookLookup.h"
#include "tools/CommandLine.h"
#include "tools/ExitStatus.h"

namespace
{

int Run(const CommandLine& line)
{
    const std::vector<std::string>& operands = line.operands;
    if (line.command == "build")
        return BuildBook(operands[0], operands[1]);
    if (line.command == "list")
        return ListRecords(operands[0]);
    if (line.command == "check")
        return CheckStructure(operands[0]);
    if (line.command == "show")
        return ShowRecord(operands.size() == 2 ? operands[0] : DefaultBookPath(), operands.back());
    SYSTEMTIME date = line.date;
    if (!line.hasDate)
        GetLocalTime(&date);
    return ReadVerse(operands.empty() ? DefaultBookPath() : operands[0], date, line.width);
}

int Main(const std::vector<std::string>& args)
{
    const CommandLine line = ParseCommandLine(args);
    switch (line.action) {
        case CommandLine::Action::Help:
            std::fputs(kUsageText, stdout);
            std::fputs(kHelpText, stdout);
            return kExitDone;
        case CommandLine::Action::Version:
            std::fputs("solmira-book " SOLMIRA_VERSION "\n", stdout);
            return kExitDone;
        case CommandLine::Action::Refuse:
            Refuse(kExitUsage, line.error);
            if (line.showUsage)
                std::fputs(kUsageText, stderr);
            return kExitUsage;
        case CommandLine::Action::Run:
            break;
    }
    return Run(line);
}

}  // namespace

int main(int argc, char* argv[])
{
    int status = kExitUsage;
    // The last guard: whatever went wrong is told, never an abort.
    try {
        status = Main(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& e) {
        return Refuse(kExitUsage, std::string("cannot go on: ") + e.what());
    } catch (...) {
        return Refuse(kExitUsage, "cannot go on");
    }
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        return Refuse(kExitUsage, std::string("standard output: ") + std::strerror(errno));
    return status;
}

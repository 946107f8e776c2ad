// The systemd scheduler: unit files written whole, and the user's service manager told of
// them where it answers.
#include "platform/dailystart/SystemdTimerService.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>

#include "platform/core/FileReplacement.h"
#include "platform/core/Utf8.h"
#include "platform/dailystart/Command.h"
#include "platform/dailystart/ProgramPathHash.h"
#include "platform/dailystart/StartEnvironment.h"

namespace
{

namespace fs = std::filesystem;

// A value in a unit file, in double quotes: quotes and backslashes escaped, control
// characters written as \xNN and specifiers (%) taken literally. In a command line systemd
// also expands "$", so there it is doubled.
std::string UnitQuoted(const std::string& value, bool commandLine)
{
    std::string out = "\"";
    for (char c : value) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '%') {
            out += "%%";
        } else if (c == '$' && commandLine) {
            out += "$$";
        } else if (u < 0x20 || u == 0x7F) {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", u);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

// A path as printf's %b reads it back: systemd takes UTF-8 only, so a byte that is no part
// of well-formed UTF-8 is written as an octal escape, and a backslash as two.
std::string PrintfEscaped(const std::string& path)
{
    std::string out;
    for (std::size_t i = 0; i < path.size();) {
        const std::size_t start = i;
        if (path[i] == '\\') {
            out += "\\\\";
            ++i;
        } else if (DecodeUtf8(path, i) >= 0) {
            out += path.substr(start, i - start);
        } else {
            char escaped[6];
            std::snprintf(escaped, sizeof escaped, "\\0%03o", static_cast<unsigned char>(path[start]));
            out += escaped;
        }
    }
    return out;
}

// What the service runs, with the program's path, the unit folder and the units' name as
// its arguments ($0, $1, $2), each as printf's %b reads it. It becomes the program; each
// start is an instance of its own, so a window left open never holds back the next. A program that is gone
// (uninstalled, its folder deleted) is not started: the units remove themselves, in silence.
constexpr char kServiceScript[] =
    "p=$(printf '%bx' \"$0\"); p=${p%x}\n"
    "[ -e \"$p\" ] && exec \"$p\"\n"
    "u=$(printf '%bx' \"$1\"); u=${u%x}\n"
    "systemctl --user --quiet --no-block disable --now \"$2.timer\" 2>/dev/null\n"
    "rm -f -- \"$u/$2@.service\" \"$u/$2.timer\" \"$u/timers.target.wants/$2.timer\"\n"
    "systemctl --user --quiet daemon-reload 2>/dev/null\n"
    "exit 0";

std::optional<std::string> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Writes a unit file whole: the manager never reads half a unit, and a kill or a power
// loss leaves the old one or the new.
bool WriteFileWhole(const std::string& path, const std::string& text)
{
    FileReplacement file;
    const bool written = file.Begin(path) && file.Commit(text);
    file.End();
    return written;
}

}  // namespace

SystemdTimerService::SystemdTimerService(std::string unitFolder, bool useManager)
    : SystemdTimerService(std::move(unitFolder), [useManager] { return useManager; })
{
}

SystemdTimerService::SystemdTimerService(std::string unitFolder, std::function<bool()> useManager)
    : m_folder(std::move(unitFolder)), m_useManager(std::move(useManager))
{
}

std::string SystemdTimerService::UserUnitFolder()
{
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    const std::string base = config != nullptr && *config == '/' ? config : std::string(home ? home : "") + "/.config";
    return base + "/systemd/user";
}

std::string SystemdTimerService::UnitName(const std::string& programPath)
{
    std::string name = fs::path(programPath).filename().string().substr(0, 64);
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '.' && c != '-')
            c = '_';
    return "solmira-start-" + name + "-" + ProgramPathHash(programPath);
}

std::string SystemdTimerService::OnCalendar(std::time_t instant)
{
    std::tm utc{};
    gmtime_r(&instant, &utc);
    char text[40];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &utc);
    return text;
}

std::string SystemdTimerService::ServiceUnit(const std::string& programPath, const std::string& unitFolder,
                                             const std::vector<std::string>& environment)
{
    // The program's path goes to a fixed executable as an argument: systemd refuses an
    // executable name with quotes, backslashes or control characters in it.
    std::string text =
        "[Unit]\nDescription=Solmira, started at its daily time\n\n[Service]\nType=exec\nExecStart=/bin/sh -c " +
        UnitQuoted(kServiceScript, true) + " " + UnitQuoted(PrintfEscaped(programPath), true) + " " +
        UnitQuoted(PrintfEscaped(unitFolder), true) + " " + UnitName(programPath) + "\n";
    // The manager's own display, which a desktop session gives it, is the current one; the
    // display of the registration is kept apart for the program to fall back on.
    for (const std::string& variable : environment)
        text +=
            "Environment=" + UnitQuoted(IsDisplayVariable(variable) ? kSavedPrefix + variable : variable, false) + "\n";
    return text;
}

std::string SystemdTimerService::TimerUnit(const std::string& programPath, std::time_t instant)
{
    // An instant in UTC: a local time that the clock skips names no moment, and one that
    // it repeats names two.
    return "[Unit]\nDescription=The next daily start of Solmira\n\n[Timer]\nOnCalendar=" + OnCalendar(instant) +
           "\nPersistent=true\nUnit=" + UnitName(programPath) + "@" + std::to_string(instant) +
           ".service\n\n[Install]\nWantedBy=timers.target\n";
}

bool SystemdTimerService::Systemctl(const std::vector<std::string>& args) const
{
    std::vector<std::string> command{"systemctl", "--user", "--quiet"};
    command.insert(command.end(), args.begin(), args.end());
    return RunCommand(command).status == 0;
}

std::string SystemdTimerService::Add(const std::string& programPath, std::time_t instant,
                                     const std::vector<std::string>& environment)
{
    const std::string name = UnitName(programPath);
    const std::string service = FileOf(name + "@.service");
    const std::string timer = FileOf(name + ".timer");
    const std::optional<std::string> oldService = ReadFile(service);
    const std::optional<std::string> oldTimer = ReadFile(timer);
    std::error_code error;
    fs::create_directories(m_folder, error);
    // The timer is enabled so that it is armed again after a reboot.
    bool placed = WriteFileWhole(service, ServiceUnit(programPath, m_folder, environment)) &&
                  WriteFileWhole(timer, TimerUnit(programPath, instant));
    if (placed && m_useManager())
        placed = Systemctl({"daemon-reload"}) && Systemctl({"enable", name + ".timer"}) &&
                 Systemctl({"restart", name + ".timer"});
    if (placed) {
        // The one service for all starts that earlier versions wrote is no longer used.
        fs::remove(FileOf(name + ".service"), error);
        return OnCalendar(instant);
    }

    // A refused start leaves the one that was pending.
    if (!oldTimer || !oldService) {
        Remove(programPath, std::string());
    } else {
        WriteFileWhole(service, *oldService);
        WriteFileWhole(timer, *oldTimer);
        if (m_useManager() && Systemctl({"daemon-reload"}))
            Systemctl({"restart", name + ".timer"});
    }
    return std::string();
}

std::optional<std::vector<std::string>> SystemdTimerService::Pending(const std::string& programPath)
{
    const std::string name = UnitName(programPath);
    std::error_code error;
    if (!fs::exists(FileOf(name + ".timer"), error))
        return error ? std::nullopt : std::optional<std::vector<std::string>>(std::vector<std::string>());
    const std::optional<std::string> text = ReadFile(FileOf(name + ".timer"));
    if (!text)
        return std::nullopt;
    std::istringstream lines(*text);
    std::string line;
    std::string id;
    while (std::getline(lines, line))
        if (line.rfind("OnCalendar=", 0) == 0)
            id = line.substr(std::string("OnCalendar=").size());
    // Where the manager answers, a timer that it does not keep armed is not the start
    // that was asked for.
    if (m_useManager() && !(Systemctl({"is-enabled", name + ".timer"}) && Systemctl({"is-active", name + ".timer"})))
        id += " (not armed)";
    return std::vector<std::string>{id};
}

bool SystemdTimerService::Remove(const std::string& programPath, const std::string& /*id*/)
{
    const std::string name = UnitName(programPath);
    const bool useManager = m_useManager();
    if (useManager)
        Systemctl({"disable", "--now", name + ".timer"});
    // Without a manager the link that enables the timer is removed by hand, so that a
    // manager that starts later does not arm it.
    std::error_code error;
    // A unit of one service for all starts, as earlier versions wrote it, goes as well.
    for (const std::string& file : {FileOf(name + ".timer"), FileOf(name + "@.service"), FileOf(name + ".service"),
                                    FileOf("timers.target.wants/" + name + ".timer")})
        fs::remove(file, error);
    if (useManager)
        Systemctl({"daemon-reload"});
    return !fs::exists(FileOf(name + ".timer"), error) && !error;
}

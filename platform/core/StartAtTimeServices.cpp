// The schedulers behind the start-at-time service: a systemd user timer, an at job, or none.
#include "platform/core/StartAtTimeServices.h"

#include <signal.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "platform/core/Command.h"

namespace
{

namespace fs = std::filesystem;

// The line of an at job that names the program it starts.
const std::string kAtMarker = "# solmira start of: ";

bool HasLineBreak(const std::string& s)
{
    return s.find_first_of("\r\n") != std::string::npos;
}

std::string TwoDigits(int n)
{
    return (n < 10 ? "0" : "") + std::to_string(n);
}

// A value in a unit file, quoted, with specifiers (%) taken literally. (A command's own
// path is not searched for variables, so a "$" in it stays as it is.)
std::string UnitQuoted(const std::string& value)
{
    std::string out = "\"";
    for (char c : value) {
        if (c == '"' || c == '\\')
            out += '\\';
        if (c == '%')
            out += '%';
        out += c;
    }
    return out + "\"";
}

std::string ShellQuoted(const std::string& value)
{
    std::string out = "'";
    for (char c : value)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// Writes a file whole, through a new file renamed into place.
bool WriteFileWhole(const std::string& path, const std::string& text)
{
    const std::string newPath = path + ".new";
    {
        std::ofstream out(newPath, std::ios::binary | std::ios::trunc);
        if (!out.write(text.data(), static_cast<std::streamsize>(text.size())) || !out.flush())
            return false;
    }
    std::error_code error;
    fs::rename(newPath, path, error);
    if (error)
        fs::remove(newPath, error);
    return !error;
}

// Where neither scheduler answers: says so once, at the first registration, and registers
// nothing.
class NoService : public StartAtTimeService
{
public:
    bool Register(const std::string&, const SYSTEMTIME&) override { return Warn(); }
    // Nothing can be pending where nothing registers, so a cancel has nothing to say.
    bool Cancel(const std::string&) override { return true; }

private:
    bool Warn()
    {
        if (!m_warned)
            std::fputs(
                "solmira: no scheduler answers (neither a systemd user manager nor atd), "
                "so the daily start is not registered\n",
                stderr);
        m_warned = true;
        return false;
    }
    bool m_warned = false;
};

}  // namespace

std::vector<std::string> DisplayEnvironment()
{
    std::vector<std::string> variables;
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "XAUTHORITY"})
        if (const char* value = std::getenv(name); value != nullptr && *value != '\0' && !HasLineBreak(value))
            variables.push_back(std::string(name) + "=" + value);
    return variables;
}

// --- systemd ------------------------------------------------------------------------------

SystemdTimerService::SystemdTimerService(std::string unitFolder, bool useManager)
    : m_folder(std::move(unitFolder)), m_useManager(useManager)
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
    // FNV-1a of the whole path tells programs of the same name apart.
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : programPath)
        hash = (hash ^ c) * 1099511628211ull;
    std::string name = fs::path(programPath).filename().string().substr(0, 64);
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '.' && c != '-')
            c = '_';
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    return "solmira-start-" + name + "-" + hex;
}

std::string SystemdTimerService::OnCalendar(const SYSTEMTIME& t)
{
    return std::to_string(t.wYear) + "-" + TwoDigits(t.wMonth) + "-" + TwoDigits(t.wDay) + " " + TwoDigits(t.wHour) +
           ":" + TwoDigits(t.wMinute) + ":" + TwoDigits(t.wSecond);
}

std::string SystemdTimerService::ServiceUnit(const std::string& programPath,
                                             const std::vector<std::string>& environment)
{
    std::string text = "[Unit]\nDescription=Solmira, started at its daily time\n\n[Service]\nType=exec\nExecStart=" +
                       UnitQuoted(programPath) + "\n";
    for (const std::string& variable : environment)
        text += "Environment=" + UnitQuoted(variable) + "\n";
    return text;
}

std::string SystemdTimerService::TimerUnit(const std::string& programPath, const SYSTEMTIME& localTime)
{
    return "[Unit]\nDescription=The next daily start of Solmira\n\n[Timer]\nOnCalendar=" + OnCalendar(localTime) +
           "\nPersistent=true\nUnit=" + UnitName(programPath) + ".service\n\n[Install]\nWantedBy=timers.target\n";
}

bool SystemdTimerService::Systemctl(const std::vector<std::string>& args) const
{
    if (!m_useManager)
        return true;
    std::vector<std::string> command{"systemctl", "--user", "--quiet"};
    command.insert(command.end(), args.begin(), args.end());
    return RunCommand(command).status == 0;
}

bool SystemdTimerService::Register(const std::string& programPath, const SYSTEMTIME& localTime)
{
    if (HasLineBreak(programPath))
        return false;
    const std::string name = UnitName(programPath);
    std::error_code error;
    fs::create_directories(m_folder, error);
    // A registration replaces the units for the same path, and the timer is enabled so
    // that it is armed again after a reboot.
    return WriteFileWhole(m_folder + "/" + name + ".service", ServiceUnit(programPath, DisplayEnvironment())) &&
           WriteFileWhole(m_folder + "/" + name + ".timer", TimerUnit(programPath, localTime)) &&
           Systemctl({"daemon-reload"}) && Systemctl({"enable", name + ".timer"}) &&
           Systemctl({"restart", name + ".timer"});
}

bool SystemdTimerService::Cancel(const std::string& programPath)
{
    const std::string name = UnitName(programPath);
    const std::string timer = m_folder + "/" + name + ".timer";
    std::error_code error;
    if (!fs::exists(timer, error))
        return true;  // nothing pending
    Systemctl({"disable", "--now", name + ".timer"});
    const bool removed = fs::remove(timer, error) && fs::remove(m_folder + "/" + name + ".service", error);
    return Systemctl({"daemon-reload"}) && removed;
}

// --- at -----------------------------------------------------------------------------------

std::string AtJobService::JobScript(const std::string& programPath, const std::vector<std::string>& environment)
{
    std::string script = kAtMarker + programPath + "\n";
    for (const std::string& variable : environment) {
        const std::string::size_type equals = variable.find('=');
        const std::string name = variable.substr(0, equals);
        script += name + "=" + ShellQuoted(variable.substr(equals + 1)) + "; export " + name + "\n";
    }
    // Its output would otherwise go to the user's mail.
    return script + "exec " + ShellQuoted(programPath) + " >/dev/null 2>&1\n";
}

std::vector<std::string> AtJobService::JobsFor(const std::string& programPath)
{
    std::vector<std::string> jobs;
    std::istringstream queue(RunCommand({"atq"}).output);
    std::string line;
    while (std::getline(queue, line)) {
        const std::string job = line.substr(0, line.find_first_of(" \t"));
        if (job.empty())
            continue;
        std::istringstream script(RunCommand({"at", "-c", job}).output);
        std::string scriptLine;
        while (std::getline(script, scriptLine)) {
            if (scriptLine == kAtMarker + programPath) {
                jobs.push_back(job);
                break;
            }
        }
    }
    return jobs;
}

bool AtJobService::Register(const std::string& programPath, const SYSTEMTIME& t)
{
    if (HasLineBreak(programPath) || !Cancel(programPath))
        return false;
    const std::string when = std::to_string(t.wYear) + TwoDigits(t.wMonth) + TwoDigits(t.wDay) + TwoDigits(t.wHour) +
                             TwoDigits(t.wMinute) + "." + TwoDigits(t.wSecond);
    return RunCommand({"at", "-t", when}, JobScript(programPath, DisplayEnvironment())).status == 0;
}

bool AtJobService::Cancel(const std::string& programPath)
{
    bool removed = true;
    for (const std::string& job : JobsFor(programPath))
        removed = RunCommand({"atrm", job}).status == 0 && removed;
    return removed;
}

// --- the choice ---------------------------------------------------------------------------

bool SystemdUserManagerAnswers()
{
    return CommandExists("systemctl") && RunCommand({"systemctl", "--user", "show-environment"}, "", 3000).status == 0;
}

bool AtdAnswers()
{
    if (!CommandExists("at"))
        return false;
    for (const char* pidFile : {"/run/atd.pid", "/var/run/atd.pid"}) {
        std::ifstream in(pidFile);
        long pid = 0;
        if (in >> pid && pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM))
            return true;
    }
    return false;
}

StartService ChooseStartService(const char* forced, bool systemdAnswers, bool atdAnswers)
{
    const std::string name = forced != nullptr ? forced : "";
    if (name == "systemd")
        return StartService::Systemd;
    if (name == "at")
        return StartService::At;
    if (name == "none")
        return StartService::None;
    return systemdAnswers ? StartService::Systemd : atdAnswers ? StartService::At : StartService::None;
}

StartAtTimeService& PlatformStartAtTimeService()
{
    static const std::unique_ptr<StartAtTimeService> service = []() -> std::unique_ptr<StartAtTimeService> {
        const char* forced = std::getenv("SOLMIRA_START_SERVICE");
        // Ask the machine only when the choice is not forced.
        const bool ask = ChooseStartService(forced, false, true) != ChooseStartService(forced, true, false);
        switch (ChooseStartService(forced, ask && SystemdUserManagerAnswers(), ask && AtdAnswers())) {
            case StartService::Systemd:
                return std::make_unique<SystemdTimerService>(SystemdTimerService::UserUnitFolder());
            case StartService::At:
                return std::make_unique<AtJobService>();
            case StartService::None:
                break;
        }
        return std::make_unique<NoService>();
    }();
    return *service;
}

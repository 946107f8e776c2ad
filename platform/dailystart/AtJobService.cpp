// The at scheduler: jobs made, found and removed with at's own tools, which are asked
// again when they give up while the queue changes under them.
#include "platform/dailystart/AtJobService.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <mutex>
#include <sstream>
#include <thread>

#include "platform/dailystart/Command.h"

namespace
{

// The line of a job's script that names the program it starts.
constexpr char kMarker[] = "# solmira start of: ";
constexpr int kTimeoutMilliseconds = 5000;

// at's tools read the spool folder entry by entry and stop with an error when a job file
// goes meanwhile (another job that ran or was removed). Asked again a moment later, they
// answer; a question is asked for this long before the answer counts as "cannot tell".
constexpr auto kPersistence = std::chrono::seconds(2);

class Persistence
{
public:
    // Whether to ask again, after a pause that grows with each try.
    bool Again()
    {
        if (std::chrono::steady_clock::now() >= m_until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(10 * ++m_tries, 50)));
        return true;
    }

private:
    std::chrono::steady_clock::time_point m_until = std::chrono::steady_clock::now() + kPersistence;
    int m_tries = 0;
};

struct QueuedJob {
    std::string id;
    bool running;
};

std::string UserName()
{
    char buffer[1024];
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, buffer, sizeof buffer, &found) != 0 || found == nullptr)
        return std::string();
    return found->pw_name;
}

// The queue as atq lists it: "17	Thu Dec 10 07:30:00 2099 a user", queue "=" while a job
// runs. Only this user's jobs count: root sees everyone's.
std::optional<std::vector<QueuedJob>> ReadQueue()
{
    for (Persistence persistence;;) {
        const CommandResult listed = RunCommand({"atq"}, std::string(), kTimeoutMilliseconds);
        if (listed.status != 0) {
            if (!persistence.Again())
                return std::nullopt;
            continue;
        }
        const std::string user = UserName();
        std::vector<QueuedJob> jobs;
        std::istringstream lines(listed.output);
        std::string line;
        while (std::getline(lines, line)) {
            std::istringstream words(line);
            std::vector<std::string> fields;
            for (std::string word; words >> word;)
                fields.push_back(word);
            if (fields.size() < 3 || fields[0].find_first_not_of("0123456789") != std::string::npos)
                continue;
            if (!user.empty() && fields.back() != user)
                continue;
            jobs.push_back({fields[0], fields[fields.size() - 2] == "="});
        }
        return jobs;
    }
}

bool Listed(const std::vector<QueuedJob>& queue, const std::string& id)
{
    for (const QueuedJob& job : queue)
        if (job.id == id)
            return true;
    return false;
}

// The marker line of each job read so far (empty for a job of another program), by job
// number. A job's script never changes, so each is read once; a job no longer listed is
// forgotten. Kept for the whole run, and never destroyed: a worker that the program's end
// leaves behind may still use it.
class MarkerLines
{
public:
    static MarkerLines& Instance()
    {
        static MarkerLines* const lines = new MarkerLines;
        return *lines;
    }

    // The marker lines of the queued jobs that are not running; nothing for a job whose
    // script at did not give.
    std::map<std::string, std::optional<std::string>> Of(const std::vector<QueuedJob>& queue)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        std::map<std::string, std::string> known;
        std::map<std::string, std::optional<std::string>> lines;
        for (const QueuedJob& job : queue) {
            if (job.running)
                continue;
            const auto found = m_lines.find(job.id);
            const std::optional<std::string> line = found != m_lines.end() ? found->second : Read(job.id);
            if (line)
                known[job.id] = *line;
            lines[job.id] = line;
        }
        m_lines.swap(known);
        return lines;
    }

private:
    static std::optional<std::string> Read(const std::string& job)
    {
        const CommandResult script = RunCommand({"at", "-c", job}, std::string(), kTimeoutMilliseconds);
        if (script.status != 0)
            return std::nullopt;
        std::istringstream lines(script.output);
        for (std::string line; std::getline(lines, line);)
            if (line.rfind(kMarker, 0) == 0)
                return line;
        return std::string();
    }

    std::mutex m_mutex;
    std::map<std::string, std::string> m_lines;
};

// The marker line for a path. A line break or a backslash in the path is written as an
// escape, so that the line stays one line and names one path.
std::string MarkerLine(const std::string& programPath)
{
    std::string line = kMarker;
    for (char c : programPath) {
        if (c == '\\')
            line += "\\\\";
        else if (c == '\n')
            line += "\\n";
        else if (c == '\r')
            line += "\\r";
        else
            line += c;
    }
    return line;
}

std::string ShellQuoted(const std::string& value)
{
    std::string out = "'";
    for (char c : value)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

}  // namespace

std::string AtJobService::JobScript(const std::string& programPath, const std::vector<std::string>& environment)
{
    std::string script = MarkerLine(programPath) + "\n";
    for (const std::string& variable : environment) {
        const std::string::size_type equals = variable.find('=');
        const std::string name = variable.substr(0, equals);
        script += name + "=" + ShellQuoted(variable.substr(equals + 1)) + "; export " + name + "\n";
    }
    // A program removed since (uninstalled, its folder deleted) is not started, in silence.
    // Its output would otherwise go to the user's mail.
    return script + "[ -e " + ShellQuoted(programPath) + " ] || exit 0\nexec " + ShellQuoted(programPath) +
           " >/dev/null 2>&1\n";
}

std::vector<std::string> AtJobService::TimeArguments(std::time_t instant)
{
    std::time_t minute = instant - ((instant % 60) + 60) % 60;
    if (minute < instant)
        minute += 60;
    std::tm utc{};
    gmtime_r(&minute, &utc);
    char clock[16];
    char date[32];
    std::strftime(clock, sizeof clock, "%H:%M", &utc);
    std::strftime(date, sizeof date, "%Y-%m-%d", &utc);
    return {clock, "UTC", date};
}

std::string AtJobService::Add(const std::string& programPath, std::time_t instant,
                              const std::vector<std::string>& environment)
{
    std::vector<std::string> command{"at"};
    for (const std::string& argument : TimeArguments(instant))
        command.push_back(argument);
    // at starts the job with a change to the folder it was made in; "/" is always there.
    const CommandResult made = RunCommand(command, JobScript(programPath, environment), kTimeoutMilliseconds, "/");
    if (made.status != 0)
        return std::string();
    // at says "job 17 at Thu Dec 10 07:30:00 2099".
    std::istringstream lines(made.output);
    std::string line;
    while (std::getline(lines, line))
        if (line.rfind("job ", 0) == 0)
            return line.substr(4, line.find(' ', 4) - 4);
    return std::string();
}

std::optional<std::vector<std::string>> AtJobService::Pending(const std::string& programPath)
{
    const std::string marker = MarkerLine(programPath);
    for (Persistence persistence;;) {
        const std::optional<std::vector<QueuedJob>> queue = ReadQueue();
        if (!queue)
            return std::nullopt;
        std::vector<std::string> jobs;
        bool complete = true;
        for (const auto& [job, line] : MarkerLines::Instance().Of(*queue)) {
            complete = complete && line.has_value();
            if (line == marker)
                jobs.push_back(job);
        }
        // A job that at gave no script for is asked about again, if it is still listed.
        if (complete)
            return jobs;
        if (!persistence.Again())
            return std::nullopt;
    }
}

bool AtJobService::Remove(const std::string& /*programPath*/, const std::string& id)
{
    for (Persistence persistence;;) {
        if (RunCommand({"atrm", id}, std::string(), kTimeoutMilliseconds).status == 0)
            return true;
        const std::optional<std::vector<QueuedJob>> queue = ReadQueue();
        if (queue && !Listed(*queue, id))
            return true;
        if (!persistence.Again())
            return false;
    }
}

// The daily start and the chime with the real parts: systemd unit files checked by
// systemd's own tools, at jobs in a real atd's queue, and the desktop's sound player.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/core/Command.h"
#include "platform/core/Paths.h"
#include "platform/core/SoundPlayers.h"
#include "platform/core/StartAtTimeServices.h"
#include "platform/testing/TestEnvironment.h"

namespace
{

namespace fs = std::filesystem;

SYSTEMTIME At(int year, int month, int day, int hour, int minute, int second = 0)
{
    SYSTEMTIME t{};
    t.wYear = static_cast<WORD>(year);
    t.wMonth = static_cast<WORD>(month);
    t.wDay = static_cast<WORD>(day);
    t.wHour = static_cast<WORD>(hour);
    t.wMinute = static_cast<WORD>(minute);
    t.wSecond = static_cast<WORD>(second);
    return t;
}

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(StartServiceTest, TheChoiceFollowsWhatAnswersUnlessForced)
{
    struct Case {
        const char* forced;
        bool systemd, atd;
        StartService expected;
    };
    const Case cases[] = {
        {nullptr, true, true, StartService::Systemd},
        {nullptr, false, true, StartService::At},
        {nullptr, false, false, StartService::None},
        {"at", true, true, StartService::At},
        {"systemd", false, false, StartService::Systemd},
        {"none", true, true, StartService::None},
        {"", false, true, StartService::At},
        {"cron", true, false, StartService::Systemd},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.forced != nullptr ? c.forced : "(not set)");
        EXPECT_EQ(ChooseStartService(c.forced, c.systemd, c.atd), c.expected);
    }
}

TEST(StartServiceTest, SystemdUnitsPassSystemdsOwnChecks)
{
    ASSERT_TRUE(CommandExists("systemd-analyze")) << "systemd-analyze is needed to check the units";
    ProgramFolder folder;
    const std::string units = folder.PathOf("units");
    // A program folder whose name needs quoting in a unit file.
    fs::create_directories(folder.PathOf("my 100% $HOME"));
    const std::string program = folder.PathOf("my 100% $HOME/solmira");
    std::ofstream(program) << "#!/bin/sh\n";
    fs::permissions(program, fs::perms::owner_all);
    EnvironmentGuard display("DISPLAY", ":7");

    SystemdTimerService service(units, false);
    ASSERT_TRUE(service.Register(program, At(2099, 12, 10, 7, 30, 45)));
    const std::string name = SystemdTimerService::UnitName(program);
    const std::string timer = units + "/" + name + ".timer";
    const std::string unit = units + "/" + name + ".service";
    const CommandResult verify = RunCommand({"systemd-analyze", "verify", "--man=no", timer, unit});
    EXPECT_EQ(verify.status, 0) << verify.output;
    EXPECT_NE(ReadAll(unit).find("Environment=\"DISPLAY=:7\""), std::string::npos) << ReadAll(unit);
    EXPECT_NE(ReadAll(timer).find("Persistent=true"), std::string::npos);
    const CommandResult calendar = RunCommand({"systemd-analyze", "calendar", "2099-12-10 07:30:45"});
    EXPECT_NE(calendar.output.find("Normalized form: 2099-12-10 07:30:45"), std::string::npos) << calendar.output;
    EXPECT_NE(ReadAll(timer).find("OnCalendar=2099-12-10 07:30:45\n"), std::string::npos);

    // A second registration replaces the first; a cancel removes both units, and a second
    // cancel does no harm. Another path has units of its own.
    ASSERT_TRUE(service.Register(program, At(2099, 12, 11, 6, 5)));
    EXPECT_NE(ReadAll(timer).find("OnCalendar=2099-12-11 06:05:00\n"), std::string::npos);
    EXPECT_EQ(std::distance(fs::directory_iterator(units), fs::directory_iterator()), 2);
    EXPECT_NE(SystemdTimerService::UnitName(folder.PathOf("solmira")), name);
    EXPECT_TRUE(service.Cancel(program));
    EXPECT_FALSE(fs::exists(timer) || fs::exists(unit));
    EXPECT_TRUE(service.Cancel(program));
}

// A real atd's queue: the job that starts a program at its time, one per path.
TEST(StartServiceTest, AtJobsInARealQueue)
{
    ASSERT_TRUE(AtdAnswers()) << "atd is not running: ./dev.sh test starts it";
    ProgramFolder folder;
    const std::string program = folder.PathOf("solmira");
    const std::string other = folder.PathOf("other/solmira");
    EnvironmentGuard display("DISPLAY", ":7");
    AtJobService service;
    const auto queueLine = [](const std::string& job) {
        std::istringstream queue(RunCommand({"atq"}).output);
        std::string line;
        while (std::getline(queue, line))
            if (line.substr(0, line.find_first_of(" \t")) == job)
                return line;
        return std::string();
    };

    ASSERT_TRUE(service.Register(program, At(2099, 12, 10, 7, 30)));
    ASSERT_TRUE(service.Register(other, At(2099, 12, 10, 8, 0)));
    std::vector<std::string> jobs = AtJobService::JobsFor(program);
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_NE(queueLine(jobs[0]).find("Dec 10 07:30:00 2099"), std::string::npos) << queueLine(jobs[0]);
    const std::string script = RunCommand({"at", "-c", jobs[0]}).output;
    EXPECT_NE(script.find("DISPLAY=':7'; export DISPLAY"), std::string::npos);
    EXPECT_NE(script.find("exec '" + program + "'"), std::string::npos);

    ASSERT_TRUE(service.Register(program, At(2099, 12, 11, 6, 5)));
    jobs = AtJobService::JobsFor(program);
    ASSERT_EQ(jobs.size(), 1u) << "a registration replaces the earlier one";
    EXPECT_NE(queueLine(jobs[0]).find("Dec 11 06:05:00 2099"), std::string::npos) << queueLine(jobs[0]);

    EXPECT_TRUE(service.Cancel(program));
    EXPECT_TRUE(AtJobService::JobsFor(program).empty());
    EXPECT_TRUE(service.Cancel(program)) << "a cancel with nothing pending does no harm";
    EXPECT_EQ(AtJobService::JobsFor(other).size(), 1u) << "another program's start stays";

    // Through the platform's call: a date-time that does not exist is refused.
    SetStartAtTimeService(&service);
    const std::wstring device = DevicePathFromHostPath(program);
    for (const SYSTEMTIME& bad : {At(2099, 4, 31, 7, 30), At(2099, 12, 10, 25, 0), At(2099, 2, 29, 7, 0)})
        EXPECT_FALSE(CeRunAppAtTime(device.c_str(), &bad));
    EXPECT_TRUE(AtJobService::JobsFor(program).empty());
    EXPECT_TRUE(CeRunAppAtTime(device.c_str(), nullptr));
    SetStartAtTimeService(nullptr);
    EXPECT_TRUE(service.Cancel(other));
}

// The chime: the call returns at once whether or not the file exists, and whether or not
// the machine has a sound device; the program never waits for the sound.
TEST(SoundTest, PlayingReturnsAtOnce)
{
    ProgramFolder folder;
    // Three seconds of a 440 Hz tone, 16-bit mono PCM at 8 kHz.
    const int rate = 8000, samples = 3 * rate;
    std::string wav = "RIFF" + std::string(4, '\0') + "WAVEfmt ";
    const auto put = [&wav](std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            wav += static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    put(16, 4), put(1, 2), put(1, 2), put(rate, 4), put(rate * 2, 4), put(2, 2), put(16, 2);
    wav += "data";
    put(samples * 2, 4);
    for (int i = 0; i < samples; ++i)
        put(static_cast<std::uint16_t>(static_cast<std::int16_t>(8000 * std::sin(i * 2 * 3.14159265 * 440 / rate))), 2);
    folder.Write("slm.wav", wav);

    for (const std::string name : {"slm.wav", "missing.wav"}) {
        SCOPED_TRACE(name);
        const auto start = std::chrono::steady_clock::now();
        PlatformSoundPlayer().Play(folder.PathOf(name));
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2)) << "the sound lasts 3 s";
    }
    // The program only ever asks for a file, without waiting.
    EXPECT_FALSE(PlaySound(DevicePathFromHostPath(folder.PathOf("slm.wav")).c_str(), nullptr, SND_FILENAME));
}

}  // namespace

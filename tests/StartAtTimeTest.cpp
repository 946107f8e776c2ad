// The start-at-time service's own rules (the choice of scheduler, the instant of a local
// time, replacing before removing) and the desktop's sound player.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <map>
#include <string>
#include <thread>

#include "platform/core/Paths.h"
#include "platform/core/ReplacingStartService.h"
#include "platform/core/Scheduler.h"
#include "platform/core/SoundPlayers.h"
#include "platform/core/StartAtTimeServices.h"
#include "platform/testing/TestEnvironment.h"
#include "tests/StartTestSupport.h"
#include "tests/TestFiles.h"

namespace
{

// The rules of Europe/Berlin, spelt out so that they hold whatever the machine's zone files.
constexpr char kBerlin[] = "CET-1CEST,M3.5.0,M10.5.0/3";

std::string Utc(std::time_t instant)
{
    std::tm utc{};
    gmtime_r(&instant, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &utc);
    return text;
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

// Times the clock skips or repeats at the changes of daylight saving name one instant.
TEST(StartServiceTest, ALocalTimeNamesOneInstant)
{
    struct Case {
        const char* zone;
        SYSTEMTIME local;
        const char* utc;  // null: no such date-time
        std::time_t after = 0;
    };
    const Case cases[] = {
        {kBerlin, At(2099, 12, 10, 7, 30, 45), "2099-12-10 06:30:45"},
        {kBerlin, At(2099, 7, 1, 7, 30), "2099-07-01 05:30:00"},
        {kBerlin, At(2099, 3, 29, 1, 59, 59), "2099-03-29 00:59:59"},           // the last second before the gap
        {kBerlin, At(2099, 3, 29, 2, 0), "2099-03-29 01:00:00"},                // in the gap: shifted by the gap
        {kBerlin, At(2099, 3, 29, 2, 30), "2099-03-29 01:30:00"},               // 03:30 CEST
        {kBerlin, At(2027, 3, 28, 2, 30), "2027-03-28 01:30:00"},               //
        {kBerlin, At(2099, 3, 29, 3, 0), "2099-03-29 01:00:00"},                // 03:00 CEST
        {kBerlin, At(2099, 10, 25, 2, 30), "2099-10-25 00:30:00"},              // twice: the first, in CEST
        {kBerlin, At(2099, 10, 25, 3, 0), "2099-10-25 02:00:00"},               //
        {kBerlin, At(2027, 10, 31, 2, 30), "2027-10-31 01:30:00", 1824945300},  // at 02:15 CET: the pass ahead
        {"LHST-10:30LHDT-11,M10.1.0,M4.1.0", At(2099, 10, 4, 2, 10), "2099-10-03 15:40:00"},  // half-hour gap
        {"UTC0", At(2099, 12, 31, 23, 59, 59), "2099-12-31 23:59:59"},
        {kBerlin, At(2099, 4, 31, 7, 30), nullptr},
        {kBerlin, At(2099, 12, 10, 25, 0), nullptr},
        {kBerlin, At(2099, 2, 29, 7, 0), nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.zone) + " " + std::to_string(c.local.wYear) + "-" + std::to_string(c.local.wMonth) +
                     "-" + std::to_string(c.local.wDay) + " " + std::to_string(c.local.wHour) + ":" +
                     std::to_string(c.local.wMinute));
        TimeZoneGuard zone(c.zone);
        const std::optional<std::time_t> instant =
            InstantOfLocalTime(c.local, c.after ? std::optional<std::time_t>(c.after) : std::nullopt);
        ASSERT_EQ(instant.has_value(), c.utc != nullptr);
        if (instant) {
            EXPECT_EQ(Utc(*instant), c.utc);
        }
    }
}

// A scheduler in memory whose answers a case can spoil. Every scheduler writes into one
// log, so that a case sees the order of what was done.
class FakeScheduler : public Scheduler
{
public:
    FakeScheduler(const char* name, std::vector<std::string>& log) : m_name(name), m_log(log) {}
    const char* Name() const override { return m_name.c_str(); }
    std::string Add(const std::string& program, std::time_t, const std::vector<std::string>&) override
    {
        if (refusals > 0) {
            --refusals;
            Log("refused");
            return std::string();
        }
        const std::string id = m_name + std::to_string(++m_made);
        starts[program].push_back(id);
        Log("add " + id);
        return id;
    }
    std::optional<std::vector<std::string>> Pending(const std::string& program) override
    {
        return blind ? std::nullopt : std::optional<std::vector<std::string>>(starts[program]);
    }
    bool Remove(const std::string& program, const std::string& id) override
    {
        Log("remove " + id);
        if (stuck > 0) {
            --stuck;
            return false;
        }
        auto& list = starts[program];
        list.erase(std::remove(list.begin(), list.end(), id), list.end());
        return true;
    }

    int refusals = 0;  // how many additions it refuses
    int stuck = 0;     // how many removals do nothing
    bool blind = false;
    std::map<std::string, std::vector<std::string>> starts;

private:
    void Log(const std::string& what) { m_log.push_back(what); }
    std::string m_name;
    std::vector<std::string>& m_log;
    int m_made = 0;
};

TEST(StartServiceTest, ANewStartComesFirstAndTheOthersGo)
{
    struct Case {
        const char* name;
        bool cancel;
        int refusals, stuck;
        bool otherBlind;
        bool done;
        std::vector<std::string> log;
        std::vector<std::string> target, other;  // pending afterwards
        int messages;
    };
    const Case cases[] = {
        {"replaced", false, 0, 0, false, true, {"add t1", "remove t0", "remove o0"}, {"t1"}, {}, 0},
        {"refused: the last start stays", false, 2, 0, false, false, {"refused", "refused"}, {"t0"}, {"o0"}, 1},
        {"refused once", false, 1, 0, false, true, {"refused", "add t1", "remove t0", "remove o0"}, {"t1"}, {}, 0},
        {"a removal that does not hold is made again",
         false,
         0,
         1,
         false,
         true,
         {"add t1", "remove t0", "remove o0", "add t2", "remove t0", "remove t1"},
         {"t2"},
         {},
         0},
        {"a scheduler that cannot tell",
         false,
         0,
         0,
         true,
         false,
         {"add t1", "remove t0", "add t2", "remove t1"},
         {"t2"},
         {"o0"},
         1},
        {"cancelled in both", true, 0, 0, false, true, {"remove t0", "remove o0"}, {}, {}, 0},
        {"a cancel that does not hold",
         true,
         0,
         5,
         false,
         false,
         {"remove t0", "remove o0", "remove t0"},
         {"t0"},
         {},
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProgramFolder folder;
        EnvironmentGuard state("XDG_STATE_HOME", folder.PathOf("state").c_str());  // the locks
        std::vector<std::string> log;
        FakeScheduler target("t", log), other("o", log);
        target.starts["/p/solmira"] = {"t0"};
        other.starts["/p/solmira"] = {"o0"};
        target.refusals = c.refusals;
        target.stuck = c.stuck;
        other.blind = c.otherBlind;
        ReplacingStartService service(&target, {&other, &target});
        testing::internal::CaptureStderr();
        const bool done =
            c.cancel ? service.Cancel("/p/solmira") : service.Register("/p/solmira", At(2099, 1, 2, 3, 4));
        const std::string messages = testing::internal::GetCapturedStderr();
        EXPECT_EQ(done, c.done);
        EXPECT_EQ(log, c.log);
        EXPECT_EQ(target.starts["/p/solmira"], c.target);
        EXPECT_EQ(other.starts["/p/solmira"], c.other);
        EXPECT_EQ(std::count(messages.begin(), messages.end(), '\n'), c.messages) << messages;
    }
    std::vector<std::string> log;
    FakeScheduler target("t", log);
    EXPECT_FALSE(ReplacingStartService(&target, {}).Register("/p/solmira", At(2099, 4, 31, 7, 30)));
    EXPECT_TRUE(log.empty()) << "31 April names no moment";
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

    // A FIFO never opens: a watchdog opens its other end after 3 s, should a reader wait.
    ASSERT_EQ(::mkfifo(folder.PathOf("fifo.wav").c_str(), 0600), 0);
    std::thread watchdog([&folder] {
        std::this_thread::sleep_for(std::chrono::seconds(3));
        ::close(::open(folder.PathOf("fifo.wav").c_str(), O_WRONLY | O_NONBLOCK));
    });
    for (const std::string name : {"slm.wav", "missing.wav", "fifo.wav"}) {
        SCOPED_TRACE(name);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_TRUE(PlaySound(DevicePathFromHostPath(folder.PathOf(name)).c_str(), nullptr, SND_FILENAME | SND_ASYNC));
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2)) << "the sound lasts 3 s";
    }
    watchdog.join();
    // The program only ever asks for a file, without waiting.
    EXPECT_FALSE(PlaySound(DevicePathFromHostPath(folder.PathOf("slm.wav")).c_str(), nullptr, SND_FILENAME));
}

}  // namespace

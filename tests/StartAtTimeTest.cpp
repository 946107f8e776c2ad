// The start-at-time service's own rules (the choice of scheduler, the instant of a local
// time, replacing before removing) and the desktop's sound player.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <thread>

#include "platform/core/Paths.h"
#include "platform/core/ReplacingStartService.h"
#include "platform/core/Scheduler.h"
#include "platform/core/SoundPlayers.h"
#include "platform/core/StartAtTimeServices.h"
#include "platform/testing/TestEnvironment.h"
#include "tests/TestFiles.h"

namespace
{

// The rules of Europe/Berlin, spelt out so that they hold whatever the machine's zone files.
constexpr char kBerlin[] = "CET-1CEST,M3.5.0,M10.5.0/3";

TEST(StartServiceTest, TheChoiceFollowsWhatAnswersUnlessForced)
{
    EXPECT_EQ(ChooseStartService(nullptr, true, true), StartService::Systemd);
    EXPECT_EQ(ChooseStartService(nullptr, false, true), StartService::At);
    EXPECT_EQ(ChooseStartService("", false, false), StartService::None);
    EXPECT_EQ(ChooseStartService("at", true, true), StartService::At);
    EXPECT_EQ(ChooseStartService("systemd", false, false), StartService::Systemd);
    EXPECT_EQ(ChooseStartService("none", true, true), StartService::None);
}

// Times the clock skips or repeats at the changes of daylight saving name one instant.
TEST(StartServiceTest, ALocalTimeNamesOneInstant)
{
    struct Case {
        const char* zone;
        SYSTEMTIME local;
        std::time_t utc;  // 0: no such date-time
        std::time_t after = 0;
    };
    const Case cases[] = {
        {kBerlin, At(2099, 12, 10, 7, 30, 45), 4100567445},                        // 06:30:45 UTC
        {kBerlin, At(2099, 3, 29, 1, 59, 59), 4078429199},                         // the last second before the gap
        {kBerlin, At(2099, 3, 29, 2, 30), 4078431000},                             // in the gap: 03:30 CEST
        {kBerlin, At(2099, 3, 29, 3, 0), 4078429200},                              // 03:00 CEST
        {kBerlin, At(2099, 10, 25, 2, 30), 4096571400},                            // twice: the first, in CEST
        {kBerlin, At(2099, 10, 25, 3, 0), 4096576800},                             //
        {kBerlin, At(2027, 10, 31, 2, 30), 1824945300 + 900, 1824945300},          // at 02:15 CET: the pass ahead
        {"LHST-10:30LHDT-11,M10.1.0,M4.1.0", At(2099, 10, 4, 2, 10), 4094725200},  // half-hour gap
        {kBerlin, At(2099, 4, 31, 7, 30), 0},
        {kBerlin, At(2099, 12, 10, 25, 0), 0},
        {kBerlin, At(2099, 2, 29, 7, 0), 0},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE("row " + std::to_string(i));
        TimeZoneGuard zone(c.zone);
        const auto instant = InstantOfLocalTime(c.local, c.after ? std::optional<std::time_t>(c.after) : std::nullopt);
        EXPECT_EQ(instant.value_or(0), c.utc);
    }
}

// A scheduler in memory whose answers a case can spoil. Every scheduler writes into one
// log, so that a case sees the order of what was done.
class FakeScheduler : public Scheduler
{
public:
    FakeScheduler(const char* name, std::string& log) : m_name(name), m_log(log) {}
    const char* Name() const override { return m_name.c_str(); }
    std::string Add(const std::string&, std::time_t, const std::vector<std::string>&) override
    {
        const std::string id = refusals > 0 ? "" : m_name + std::to_string(++m_made);
        refusals -= refusals > 0;
        m_log += id.empty() ? "refused " : "add " + id + " ";
        starts += id.empty() ? "" : id + " ";
        return id;
    }
    std::optional<std::vector<std::string>> Pending(const std::string&) override
    {
        std::istringstream words(starts);
        std::vector<std::string> ids{std::istream_iterator<std::string>(words), {}};
        return blind ? std::nullopt : std::optional(ids);
    }
    bool Remove(const std::string&, const std::string& id) override
    {
        m_log += "remove " + id + " ";
        if (stuck > 0)
            return --stuck, false;
        starts.erase(starts.find(id + " "), id.size() + 1);
        return true;
    }

    int refusals = 0;  // how many additions it refuses
    int stuck = 0;     // how many removals do nothing
    bool blind = false;
    std::string starts;  // pending, each followed by a space

private:
    std::string m_name;
    std::string& m_log;
    int m_made = 0;
};

TEST(StartServiceTest, ANewStartComesFirstAndTheOthersGo)
{
    const struct {
        const char* name;
        bool cancel;
        int refusals, stuck;
        bool otherBlind, done;
        const char *log, *target, *other;  // what was done, and what is pending afterwards
        int messages;
    } cases[] = {
        {"replaced", false, 0, 0, false, true, "add t1 remove t0 remove o0 ", "t1 ", "", 0},
        {"refused: the last start stays", false, 2, 0, false, false, "refused refused ", "t0 ", "o0 ", 1},
        {"refused once", false, 1, 0, false, true, "refused add t1 remove t0 remove o0 ", "t1 ", "", 0},
        {"a removal that does not hold is made again", false, 0, 1, false, true,
         "add t1 remove t0 remove o0 add t2 remove t0 remove t1 ", "t2 ", "", 0},
        {"a scheduler that cannot tell", false, 0, 0, true, false, "add t1 remove t0 add t2 remove t1 ", "t2 ", "o0 ",
         1},
        {"cancelled in both", true, 0, 0, false, true, "remove t0 remove o0 ", "", "", 0},
        {"a cancel that does not hold", true, 0, 5, false, false, "remove t0 remove o0 remove t0 ", "t0 ", "", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ProgramFolder folder;
        EnvironmentGuard state("XDG_STATE_HOME", folder.PathOf("state").c_str());  // the locks
        std::string log;
        FakeScheduler target("t", log), other("o", log);
        target.starts = "t0 ", other.starts = "o0 ";
        target.refusals = c.refusals, target.stuck = c.stuck, other.blind = c.otherBlind;
        ReplacingStartService service(&target, {&other, &target});
        testing::internal::CaptureStderr();
        EXPECT_EQ(c.cancel ? service.Cancel("/p/solmira") : service.Register("/p/solmira", At(2099, 1, 2, 3, 4)),
                  c.done);
        const std::string messages = testing::internal::GetCapturedStderr();
        EXPECT_EQ(log, c.log);
        EXPECT_EQ(target.starts, c.target);
        EXPECT_EQ(other.starts, c.other);
        EXPECT_EQ(std::count(messages.begin(), messages.end(), '\n'), c.messages) << messages;
    }
    std::string log;
    FakeScheduler target("t", log);
    EXPECT_FALSE(ReplacingStartService(&target, {}).Register("/p/solmira", At(2099, 4, 31, 7, 30)));
    EXPECT_EQ(log, "") << "31 April names no moment";
}

// The chime: the call returns at once whether or not the file exists, and whether or not
// the machine has a sound device; the program never waits for the sound.
TEST(SoundTest, PlayingReturnsAtOnce)
{
    ProgramFolder folder;
    // Three seconds of silence, 8-bit mono PCM at 8 kHz.
    folder.Write("slm.wav", std::string("RIFF\xe4\x5d\0\0WAVEfmt \x10\0\0\0\1\0\1\0\x40\x1f\0\0\x40\x1f\0\0\1\0\x08\0"
                                        "data\xc0\x5d\0\0",
                                        44) +
                                std::string(24000, '\x80'));
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

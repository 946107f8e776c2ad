// What a test fixes before it runs the program: the window system on Qt's offscreen
// platform, the time zone, the clock and the program's own folder.
#pragma once

#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/core/Clock.h"
#include "platform/core/ModulePath.h"
#include "platform/testing/RecordingServices.h"
#include "platform/testing/TestSeam.h"

// The window system that every test shares, on Qt's offscreen platform, with a fixed
// locale and every modal window guarded. Made once, first thing in the test program's main.
class WindowSystemForTests
{
public:
    WindowSystemForTests(int& argc, char** argv);
    ~WindowSystemForTests();

private:
    // No test reaches the real scheduler or sound: by default both are recorded here.
    RecordingStartAtTime m_scheduler;
    RecordingSoundPlayer m_sound;
    std::string m_stateFolder;
};

// Sets an environment variable for one test, and restores it. The time zone follows TZ at
// once.
class EnvironmentGuard
{
public:
    EnvironmentGuard(const char* name, const char* value);
    ~EnvironmentGuard();
    EnvironmentGuard(const EnvironmentGuard&) = delete;
    EnvironmentGuard& operator=(const EnvironmentGuard&) = delete;

private:
    std::string m_name;
    std::string m_previous;
    bool m_hadPrevious = false;
};

// Pins the time zone for a test and restores the one before it.
class TimeZoneGuard : public EnvironmentGuard
{
public:
    explicit TimeZoneGuard(const char* zone) : EnvironmentGuard("TZ", zone) {}
};

// Fixes the platform's clock at a local date-time of the current time zone.
class FixedClock
{
public:
    FixedClock(int year, int month, int day, int hour = 12, int minute = 0, int second = 0);
    void Set(int year, int month, int day, int hour = 12, int minute = 0, int second = 0);

private:
    TestSeam<std::time_t, SetClockForTesting> m_inPlace{0};
};

// A command prefix that runs another program with its clock starting at a local date-time
// ("2026-03-01 12:00:00"), through faketime's preloaded library; empty where it is not
// installed. Not the faketime command: it keeps a shared-memory file named by its process
// number, and one left by a killed run makes a later run with the same number fail.
std::vector<std::string> FakeClockCommand(const std::string& at);

// Writes bytes to a file, replacing it.
void WriteFile(const std::string& path, const std::string& bytes);

// A temporary folder that holds the program: the platform reports "<folder>/solmira" as
// the program's own path while this object lives. The folder goes with it.
class ProgramFolder
{
public:
    ProgramFolder();
    ~ProgramFolder();

    const std::string& Path() const { return m_path; }
    std::string PathOf(const std::string& name) const { return m_path + "/" + name; }
    void Write(const std::string& name, const std::string& bytes) const { WriteFile(PathOf(name), bytes); }
    void Remove(const std::string& name) const { std::filesystem::remove(PathOf(name)); }

private:
    std::string m_path;
    std::optional<TestSeam<std::string, SetModulePathForTesting>> m_modulePath;
    std::unique_ptr<EnvironmentGuard> m_stateHome;
};

// How many times slower the sanitizer build runs; bounds on waits are scaled by it.
#ifdef __SANITIZE_ADDRESS__
constexpr int kSanitizerSlowdown = 5;
#else
constexpr int kSanitizerSlowdown = 1;
#endif
// Waits until done() holds, looking every 10 ms for at most seconds (scaled by
// kSanitizerSlowdown); whether it came to hold.
bool WaitUntil(const std::function<bool()>& done, double seconds);

// Whether this is CI's run (CI=true), where every test must run.
bool RunUnderCI();
// Ends a test that cannot run here for want of a tool, a privilege or a machine feature: a
// skip that says why, or under CI, where a skip would leave a green run that tested
// nothing, a failure that says why.
#define SKIP_OR_FAIL_UNDER_CI(reason) \
    do {                              \
        if (RunUnderCI())             \
            FAIL() << (reason);       \
        GTEST_SKIP() << (reason);     \
    } while (0)

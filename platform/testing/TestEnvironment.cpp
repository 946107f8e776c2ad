// What tests fix: the window system, the time zone, the clock and the program's folder.
#include "platform/testing/TestEnvironment.h"

#include <glob.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

#include "platform/core/CTime.h"
#include "platform/core/Clock.h"
#include "platform/core/ModulePath.h"
#include "platform/testing/RecordingServices.h"
#include "platform/testing/ScriptedUser.h"
#include "platform/window/MessageLoop.h"

WindowSystemForTests::WindowSystemForTests(int& argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // What the windows remember for the user stays with the test program.
    char state[] = "/tmp/solmira-test-state.XXXXXX";
    if (::mkdtemp(state) != nullptr) {
        m_stateFolder = state;
        ::setenv("XDG_STATE_HOME", state, 1);
    }
    StartWindowSystem(argc, argv);
    // Dates show in one known short format, whatever the machine's locale.
    SetWindowLocaleForTesting("en_US");
    ScriptedUser::InstallGuard();
}

WindowSystemForTests::~WindowSystemForTests()
{
    StopWindowSystem();
    if (!m_stateFolder.empty())
        std::filesystem::remove_all(m_stateFolder);
}

EnvironmentGuard::EnvironmentGuard(const char* name, const char* value) : m_name(name)
{
    if (const char* previous = std::getenv(name)) {
        m_previous = previous;
        m_hadPrevious = true;
    }
    ::setenv(name, value, 1);
    ::tzset();
}

EnvironmentGuard::~EnvironmentGuard()
{
    if (m_hadPrevious)
        ::setenv(m_name.c_str(), m_previous.c_str(), 1);
    else
        ::unsetenv(m_name.c_str());
    ::tzset();
}

FixedClock::FixedClock(int year, int month, int day, int hour, int minute, int second)
{
    Set(year, month, day, hour, minute, second);
}

void FixedClock::Set(int year, int month, int day, int hour, int minute, int second)
{
    SetClockForTesting(CTime(year, month, day, hour, minute, second).GetTime());
}

ProgramFolder::ProgramFolder()
{
    // Named by the test's process, so that what a killed test left (the folder, the daily
    // starts of its program) is known for a leftover once that process is gone.
    std::string pattern =
        (std::filesystem::temp_directory_path() / ("solmira-test-" + std::to_string(::getpid()) + "-XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot make a temporary program folder");
    m_path = pattern;
    m_modulePath.emplace(PathOf("solmira"));
    // What the windows remember for the user starts empty in every test.
    m_stateHome = std::make_unique<EnvironmentGuard>("XDG_STATE_HOME", PathOf("state").c_str());
}

ProgramFolder::~ProgramFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool WaitUntil(const std::function<bool()>& done, double seconds)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds * kSanitizerSlowdown);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

bool RunUnderCI()
{
    const char* ci = std::getenv("CI");
    return ci != nullptr && std::string(ci) == "true";
}

std::vector<std::string> FakeClockCommand(const std::string& at)
{
    glob_t found{};
    std::vector<std::string> command;
    if (::glob("/usr/lib/*/faketime/libfaketime.so.1", 0, nullptr, &found) == 0 && found.gl_pathc > 0)
        command = {"/usr/bin/env", std::string("LD_PRELOAD=") + found.gl_pathv[0], "FAKETIME=@" + at};
    ::globfree(&found);
    return command;
}

// How long a start takes until its first window is on the screen, and the memory it has
// taken by then: the program with AutoRun off and on, against a plain Qt dialog with the
// controls it shows, in turn on one virtual X server. The time runs from the start of the
// process to the X server's map of its window; the memory is the process's peak.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/core/Paths.h"
#include "platform/dailystart/StartAtTime.h"
#include "platform/testing/TestEnvironment.h"
#include "platform/testing/VirtualScreen.h"
#include "tests/TestFiles.h"

namespace
{

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct Start {
    double seconds = -1;   // until the X server maps the first window; -1 when none came
    double megabytes = 0;  // the peak of the process's resident memory until then
};

// Starts a program, its errors not shown, and ends it once its first window is mapped.
Start StartOnce(xcb_connection_t* x, const std::string& program)
{
    while (xcb_generic_event_t* stale = xcb_poll_for_event(x))
        free(stale);
    const Clock::time_point start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(open("/dev/null", O_WRONLY), STDERR_FILENO);
        execl(program.c_str(), program.c_str(), nullptr);
        _exit(127);
    }
    Start started;
    while (started.seconds < 0 && Clock::now() - start < std::chrono::seconds(10)) {
        pollfd ready{xcb_get_file_descriptor(x), POLLIN, 0};
        poll(&ready, 1, 100);
        while (xcb_generic_event_t* event = xcb_poll_for_event(x)) {
            if ((event->response_type & 0x7F) == XCB_MAP_NOTIFY && started.seconds < 0)
                started.seconds = std::chrono::duration<double>(Clock::now() - start).count();
            free(event);
        }
    }
    kill(pid, SIGKILL);
    rusage usage{};
    wait4(pid, nullptr, 0, &usage);
    started.megabytes = static_cast<double>(usage.ru_maxrss) / 1024;
    return started;
}

double Median(std::vector<double> values)
{
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

void StartToFirstWindow(benchmark::State& state)
{
    VirtualScreen screen;
    xcb_connection_t* x = xcb_connect(screen.Display().c_str(), nullptr);
    if (screen.Display().empty() || xcb_connection_has_error(x)) {
        xcb_disconnect(x);
        state.SkipWithError("no virtual X server (Debian package xvfb)");
        return;
    }
    // Every window mapped on the screen is seen. No session bus for the programs started: a
    // plain Qt program would launch one of its own, which the program does not, and the
    // yardstick is the toolkit's own start.
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(x, xcb_setup_roots_iterator(xcb_get_setup(x)).data->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(x);
    setenv("DISPLAY", screen.Display().c_str(), 1);
    setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
    // The yardstick, then the program with the sample book and no chime, AutoRun off and on.
    ProgramFolder root;
    std::string programs[] = {SOLMIRA_MINIMAL_DIALOG, root.PathOf("off"), root.PathOf("on")};
    for (int on = 0; on < 2; ++on) {
        fs::create_directory(programs[1 + on]);
        for (const char* file : {"solmira", "solmiraverse.pdb"})
            fs::copy_file(std::string(SOLMIRA_PROGRAM_DIR "/") + file, programs[1 + on] + "/" + file);
        WriteFile(programs[1 + on] + "/slm.dat", SettingsBytes(0, on, {2026, 1, 4, 1, 3, 15}));
        programs[1 + on] += "/solmira";
    }
    std::vector<double> ms[3], mb[3];
    for (auto _ : state) {
        for (int p = 0; p < 3; ++p) {
            const Start started = StartOnce(x, programs[p]);
            if (started.seconds < 0)
                state.SkipWithError("a window did not come up within 10 s");
            ms[p].push_back(1000 * started.seconds);
            mb[p].push_back(started.megabytes);
        }
    }
    xcb_disconnect(x);
    // The daily start the AutoRun runs registered goes with the benchmark.
    CeRunAppAtTime(DevicePathFromHostPath(programs[2]).c_str(), nullptr);
    // Medians, as the machine's other work makes a start now and then much slower.
    const std::string names[] = {"minimal", "autorun_off", "autorun_on"};
    for (int p = 0; p < 3; ++p) {
        state.counters[names[p] + "_ms"] = Median(ms[p]);
        state.counters[names[p] + "_mb"] = Median(mb[p]);
    }
    for (int p = 1; p < 3; ++p) {
        state.counters[names[p] + "_ratio"] = Median(ms[p]) / Median(ms[0]);
        state.counters[names[p] + "_mb_ratio"] = Median(mb[p]) / Median(mb[0]);
    }
}
BENCHMARK(StartToFirstWindow)->Iterations(30)->Unit(benchmark::kMillisecond);

}  // namespace

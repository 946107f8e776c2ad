// The program's entry: the framework starts the application object with the program's
// resources. A start that can open no window ends at once, and keeps its daily start going.
#include "app/CReadingApp.h"
#include "app/CommandLine.h"
#include "platform/dailystart/StartAtTime.h"
#include "platform/dailystart/StartEnvironment.h"
#include "platform/dailystart/StartWithoutWindow.h"
#include "platform/window/MessageLoop.h"
#include "res/Resources.h"

int main(int argc, char* argv[])
{
    // The help and the version need no display: they are answered before one is looked for.
    if (AnswerCommandLine(argc, argv))
        return 0;
    // What the program sets for itself from here on (its window system's choices) is not
    // passed on to the starts it registers.
    KeepReceivedEnvironment();
    // The window system is started here, before the framework, so that a start without one
    // is seen here; the framework's own start of it then finds it running. The program
    // cannot run without one, but its daily start must not end with this start.
    if (!StartWindowSystem(argc, argv, KeepDailyStartWithoutWindow))
        return 1;
    // The daily start's registration waits for the window's first frame, so that no
    // scheduler competes with the window for the machine while it is built.
    HoldStartRequests();
    SetFirstFrameHandler(ReleaseStartRequests);
    const int status = AfxWinMain(argc, argv, ProgramResources());
    StopWindowSystem();
    return status;
}

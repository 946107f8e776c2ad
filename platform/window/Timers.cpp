// Timers that the message loop runs: a window's timers end with the window.
#include <QDateTime>
#include <QPointer>
#include <QTimer>

#include <map>
#include <utility>

#include "platform/window/Window.h"

namespace
{

// The timers set, by window (null: none) and id.
std::map<std::pair<HWND, UINT_PTR>, QPointer<QTimer>>& Timers()
{
    static std::map<std::pair<HWND, UINT_PTR>, QPointer<QTimer>> timers;
    return timers;
}

}  // namespace

UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC proc)
{
    if (proc == nullptr || (window != nullptr && window->widget == nullptr))
        return 0;
    static UINT_PTR nextFreeId = 1;
    if (window == nullptr)
        id = nextFreeId++;
    KillTimer(window, id);
    // A window's timer is a child of its widget, so it goes when the window goes.
    auto* timer = new QTimer(window != nullptr ? window->widget.data() : nullptr);
    timer->setInterval(static_cast<int>(elapse));
    QObject::connect(timer, &QTimer::timeout, timer, [window, id, proc] {
        proc(window, WM_TIMER, id, static_cast<DWORD>(QDateTime::currentMSecsSinceEpoch()));
    });
    timer->start();
    Timers()[{window, id}] = timer;
    return id;
}

BOOL KillTimer(HWND window, UINT_PTR id)
{
    const auto found = Timers().find({window, id});
    if (found == Timers().end())
        return FALSE;
    const bool alive = !found->second.isNull();
    delete found->second.data();
    Timers().erase(found);
    return alive ? TRUE : FALSE;
}

// Hooks: functions that see what happens to windows before the windows do. Tests use them
// to record commands and notifications and to meet each modal window as it opens.
#include "platform/window/Hooks.h"

#include <algorithm>
#include <memory>
#include <vector>

struct Hook {
    int kind;
    HOOKPROC proc;
};

namespace
{

std::vector<std::unique_ptr<Hook>>& Hooks()
{
    static std::vector<std::unique_ptr<Hook>> hooks;
    return hooks;
}

void CallHooks(int kind, int code, WPARAM wParam, LPARAM lParam)
{
    // A hook may remove itself or add another while it runs: call those set now.
    std::vector<HOOKPROC> procs;
    for (const auto& hook : Hooks())
        if (hook->kind == kind)
            procs.push_back(hook->proc);
    for (HOOKPROC proc : procs)
        proc(code, wParam, lParam);
}

}  // namespace

HHOOK SetWindowsHookEx(int idHook, HOOKPROC proc, HINSTANCE /*module*/, DWORD /*threadId*/)
{
    if (proc == nullptr || (idHook != WH_CBT && idHook != WH_CALLWNDPROC))
        return nullptr;
    Hooks().push_back(std::make_unique<Hook>(Hook{idHook, proc}));
    return Hooks().back().get();
}

BOOL UnhookWindowsHookEx(HHOOK hook)
{
    auto& hooks = Hooks();
    const auto found = std::find_if(hooks.begin(), hooks.end(), [hook](const auto& h) { return h.get() == hook; });
    if (found == hooks.end())
        return FALSE;
    hooks.erase(found);
    return TRUE;
}

void CallWndProcHooks(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWPSTRUCT call{lParam, wParam, message, window};
    CallHooks(WH_CALLWNDPROC, 0, 0, reinterpret_cast<LPARAM>(&call));
}

void CallCbtHooks(int code, HWND window)
{
    CallHooks(WH_CBT, code, reinterpret_cast<WPARAM>(window), 0);
}

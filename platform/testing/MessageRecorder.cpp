// The recorder as a WH_CALLWNDPROC hook: it sees each message before the window does.
#include "platform/testing/MessageRecorder.h"

namespace
{

MessageRecorder* g_recorder = nullptr;

}  // namespace

MessageRecorder::MessageRecorder() : m_hook(SetWindowsHookEx(WH_CALLWNDPROC, &MessageRecorder::Record, nullptr, 0))
{
    g_recorder = this;
}

MessageRecorder::~MessageRecorder()
{
    UnhookWindowsHookEx(m_hook);
    g_recorder = nullptr;
}

LRESULT MessageRecorder::Record(int /*code*/, WPARAM /*wParam*/, LPARAM lParam)
{
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (g_recorder == nullptr || call == nullptr)
        return 0;
    const auto* header = reinterpret_cast<const NMHDR*>(call->lParam);
    if (call->message == WM_COMMAND)
        g_recorder->m_messages.emplace_back(WM_COMMAND, LOWORD(call->wParam), HIWORD(call->wParam));
    else if (call->message == WM_NOTIFY && header != nullptr)
        g_recorder->m_messages.emplace_back(WM_NOTIFY, static_cast<int>(header->idFrom), header->code);
    return 0;
}

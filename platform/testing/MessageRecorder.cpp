// The recorder as the window system's message observer: it sees each message before the
// window does.
#include "platform/testing/MessageRecorder.h"

void MessageRecorder::Record(HWND /*window*/, UINT message, WPARAM wParam, LPARAM lParam)
{
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (message == WM_COMMAND)
        s_recording->m_messages.emplace_back(WM_COMMAND, LOWORD(wParam), HIWORD(wParam));
    else if (message == WM_NOTIFY && header != nullptr)
        s_recording->m_messages.emplace_back(WM_NOTIFY, static_cast<int>(header->idFrom), header->code);
}

// Records the commands and notifications that reach windows' message tables, so that a
// test states what an action must send as a table of rows: {WM_NOTIFY, IDC_DATE,
// DTN_DATETIMECHANGE}. Only WM_COMMAND and WM_NOTIFY are kept.
#pragma once

#include <tuple>
#include <utility>
#include <vector>

#include "platform/core/Messages.h"
#include "platform/testing/TestSeam.h"
#include "platform/window/Observers.h"

// WM_COMMAND or WM_NOTIFY; the command, or the control that notifies; the notification
// code, or for a command its high word (BN_CLICKED is 0).
using RecordedMessage = std::tuple<UINT, int, int>;

class MessageRecorder
{
public:
    // One recorder at a time: it sees the messages while it lives.
    MessageRecorder() { s_recording = this; }
    ~MessageRecorder() { s_recording = nullptr; }

    // What was recorded since the last call, which starts a new record.
    std::vector<RecordedMessage> Take() { return std::exchange(m_messages, {}); }

private:
    static void Record(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static inline MessageRecorder* s_recording = nullptr;
    TestSeam<MessageObserver, SetMessageObserverForTesting> m_observer{&Record};
    std::vector<RecordedMessage> m_messages;
};

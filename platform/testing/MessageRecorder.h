// Records the commands and notifications that reach windows' message tables, so that a
// test states what an action must send as a table of rows: {WM_NOTIFY, IDC_DATE,
// DTN_DATETIMECHANGE}. Only WM_COMMAND and WM_NOTIFY are kept.
#pragma once

#include <ostream>
#include <vector>

#include "platform/window/WinUser.h"

struct RecordedMessage {
    UINT message;  // WM_COMMAND or WM_NOTIFY
    int id;        // the command, or the control that notifies
    int code;      // the notification code; for a command, its high word (BN_CLICKED is 0)

    friend bool operator==(const RecordedMessage& a, const RecordedMessage& b)
    {
        return a.message == b.message && a.id == b.id && a.code == b.code;
    }
    friend std::ostream& operator<<(std::ostream& out, const RecordedMessage& m);
};

class MessageRecorder
{
public:
    MessageRecorder();
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    // What was recorded since the last call, which starts a new record.
    std::vector<RecordedMessage> Take();

private:
    static LRESULT Record(int code, WPARAM wParam, LPARAM lParam);
    HHOOK m_hook;
    std::vector<RecordedMessage> m_messages;
};

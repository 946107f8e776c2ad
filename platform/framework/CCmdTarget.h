// The base of every object that receives commands: it finds handlers in its message table.
#pragma once

#include "platform/framework/MessageMap.h"

class CCmdTarget
{
public:
    virtual ~CCmdTarget() = default;
    virtual const AFX_MSGMAP* GetMessageMap() const;
    static const AFX_MSGMAP* GetThisMessageMap();

    // Calls the handler of a command or notification, searching this class's table and
    // then its bases'. False when there is none.
    BOOL OnCmdMsg(UINT message, int code, UINT id, NMHDR* header, LRESULT* result);
};

// Message tables: which handler of a window class a command or a control's notification
// reaches. A class's table lists its own entries and names its base class's table, which
// is searched next. Entries are made by OnCommandEntry, OnControlEntry and OnNotifyEntry,
// each from a member function pointer, so a table is checked by the compiler.
#pragma once

#include <cstddef>
#include <type_traits>

#include "platform/core/Messages.h"

class CCmdTarget;

struct AFX_MSGMAP_ENTRY {
    UINT message;  // WM_COMMAND or WM_NOTIFY
    int code;      // notification code; 0 for a command
    UINT id;       // command or control id
    void (*call)(CCmdTarget* target, NMHDR* header, LRESULT* result);
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*baseMap)();
    const AFX_MSGMAP_ENTRY* entries;
    std::size_t count;
};

namespace msgmap_detail
{
template <class M>
struct ClassOf;
template <class C, class R, class... A>
struct ClassOf<R (C::*)(A...)> {
    using type = C;
};
}  // namespace msgmap_detail

// A command: a menu choice, or a button click. Handler: void ().
template <auto Handler>
AFX_MSGMAP_ENTRY OnCommandEntry(UINT id)
{
    using T = typename msgmap_detail::ClassOf<decltype(Handler)>::type;
    return {WM_COMMAND, 0, id, [](CCmdTarget* target, NMHDR*, LRESULT*) { (static_cast<T*>(target)->*Handler)(); }};
}

// A control's notification that arrives as a command (BN_CLICKED). Handler: void ().
template <auto Handler>
AFX_MSGMAP_ENTRY OnControlEntry(WORD code, UINT id)
{
    using T = typename msgmap_detail::ClassOf<decltype(Handler)>::type;
    return {WM_COMMAND, code, id, [](CCmdTarget* target, NMHDR*, LRESULT*) { (static_cast<T*>(target)->*Handler)(); }};
}

// A control's notification that arrives as WM_NOTIFY. Handler: void (NMHDR*, LRESULT*).
template <auto Handler>
AFX_MSGMAP_ENTRY OnNotifyEntry(int code, UINT id)
{
    using T = typename msgmap_detail::ClassOf<decltype(Handler)>::type;
    return {WM_NOTIFY, code, id, [](CCmdTarget* target, NMHDR* header, LRESULT* result) {
                (static_cast<T*>(target)->*Handler)(header, result);
            }};
}

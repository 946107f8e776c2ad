// Finding the handler of a command or notification in a class's message table and its bases'.
#include "platform/framework/CCmdTarget.h"

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap()
{
    static const AFX_MSGMAP map{nullptr, nullptr, 0};
    return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const
{
    return GetThisMessageMap();
}

BOOL CCmdTarget::OnCmdMsg(UINT message, int code, UINT id, NMHDR* header, LRESULT* result)
{
    for (const AFX_MSGMAP* map = GetMessageMap(); map != nullptr; map = map->baseMap ? map->baseMap() : nullptr) {
        for (std::size_t i = 0; i < map->count; ++i) {
            const AFX_MSGMAP_ENTRY& entry = map->entries[i];
            if (entry.message == message && entry.code == code && entry.id == id) {
                entry.call(this, header, result);
                return TRUE;
            }
        }
    }
    return FALSE;
}

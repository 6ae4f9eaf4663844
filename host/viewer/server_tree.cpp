#include "server_tree.h"

#include <commctrl.h>

#include <map>

#include "resource.h"
#include "texts.h"

namespace {

// An item's number: its server's id above the channel's 16 bits.
LPARAM item_number(const Tree_Item& item)
{
    return static_cast<LPARAM>(item.server_id) << 16 | item.channel;
}

Tree_Item item_of(HWND tree, HTREEITEM handle)
{
    TVITEMW item = {};
    item.mask = TVIF_PARAM;
    item.hItem = handle;
    if (!handle || !TreeView_GetItem(tree, &item))
        return Tree_Item();
    return Tree_Item{static_cast<int>(item.lParam >> 16), static_cast<int>(item.lParam & 0xffff)};
}

HTREEITEM insert(HWND tree, HTREEITEM parent, const std::wstring& text, const Tree_Item& item)
{
    TVINSERTSTRUCTW insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM;
    insert.item.pszText = const_cast<wchar_t*>(text.c_str());
    insert.item.lParam = item_number(item);
    return TreeView_InsertItem(tree, &insert);
}

std::wstring server_text(const Server_Entry& entry)
{
    return entry.stored ? entry.label() : format_text(IDS_SERVER_NOT_SAVED, entry.label().c_str());
}

// Each server's item: open (true) or closed, as the tree shows it now.
std::map<int, bool> open_servers(HWND tree)
{
    std::map<int, bool> open;
    for (HTREEITEM server = TreeView_GetRoot(tree); server; server = TreeView_GetNextSibling(tree, server))
        if (TreeView_GetChild(tree, server))
            open[item_of(tree, server).server_id] =
                (TreeView_GetItemState(tree, server, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
    return open;
}

} // namespace

void Server_Tree::show(const Server_List& list)
{
    const Tree_Item was_chosen = chosen();
    const std::map<int, bool> was_open = open_servers(tree);
    // One paint for the whole change.
    (void)SendMessageW(tree, WM_SETREDRAW, FALSE, 0);  // answers nothing
    (void)TreeView_DeleteAllItems(tree);               // the tree is filled anew either way
    for (const Server_Entry& entry : list.entries()) {
        HTREEITEM server = insert(tree, TVI_ROOT, server_text(entry), Tree_Item{entry.id, 0});
        for (int channel = entry.lowest_channel(); channel <= entry.highest_channel(); ++channel)
            (void)insert(tree, server, format_text(IDS_CHANNEL_ITEM, channel), Tree_Item{entry.id, channel});
        const auto open = was_open.find(entry.id);
        if (open == was_open.end() || open->second)
            (void)TreeView_Expand(tree, server, TVE_EXPAND);  // a server without channels has nothing to open
    }
    (void)SendMessageW(tree, WM_SETREDRAW, TRUE, 0);  // answers nothing
    (void)InvalidateRect(tree, nullptr, TRUE);         // fails only for a tree that is gone
    choose(was_chosen);
}

Tree_Item Server_Tree::chosen() const
{
    return item_of(tree, TreeView_GetSelection(tree));
}

Tree_Item Server_Tree::item_at_cursor() const
{
    const DWORD position = GetMessagePos();
    TVHITTESTINFO hit = {};
    hit.pt = {static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
    if (!ScreenToClient(tree, &hit.pt))
        return Tree_Item();
    HTREEITEM handle = TreeView_HitTest(tree, &hit);
    return hit.flags & TVHT_ONITEM ? item_of(tree, handle) : Tree_Item();
}

void Server_Tree::choose(const Tree_Item& wanted)
{
    for (HTREEITEM server = TreeView_GetRoot(tree); server; server = TreeView_GetNextSibling(tree, server)) {
        if (item_of(tree, server).server_id != wanted.server_id)
            continue;
        HTREEITEM item = server;
        for (HTREEITEM channel = TreeView_GetChild(tree, server); channel && wanted.channel;
             channel = TreeView_GetNextSibling(tree, channel))
            if (item_of(tree, channel).channel == wanted.channel)
                item = channel;
        (void)TreeView_SelectItem(tree, item);  // the item was just found
        (void)TreeView_EnsureVisible(tree, item);  // answers only whether the tree scrolled
        return;
    }
}

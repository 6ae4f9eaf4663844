// The panel's tree of servers: each server of the list, and under a
// connected DVR or a camera its channels.
#pragma once

#include <windows.h>

#include "server_list.h"

// An item of the tree: a server (channel 0) or one of its channels.
struct Tree_Item {
    int server_id = 0;  // 0: no item
    int channel = 0;
};

class Server_Tree {
public:
    explicit Server_Tree(HWND tree) : tree(tree) {}

    // Shows `list` anew.  The chosen item stays chosen, a server stays open
    // or closed as it was, and a server whose channels are new is opened.
    void show(const Server_List& list);
    Tree_Item chosen() const;
    // The item under the mouse, for a double click; no item when it is
    // beside them.
    Tree_Item item_at_cursor() const;
    void choose(const Tree_Item& item);

private:
    HWND tree;
};

// The panel's server list: the tree of servers and channels, the Add,
// Edit and Remove of servers, and the password of a server when it is
// connected.  The list is read from the registry at the start and written
// at every change.
#pragma once

#include <windows.h>

#include <string>

#include "server_dialog.h"
#include "server_list.h"
#include "session.h"
#include "server_tree.h"

class Server_Panel {
public:
    // `owner` is the window over which the dialogs show.
    Server_Panel(HWND owner, HWND tree);

    Server_List& list() { return servers; }
    Server_Entry* find(int id) { return servers.find(id); }
    Tree_Item chosen() const { return tree.chosen(); }
    Tree_Item item_at_cursor() const { return tree.item_at_cursor(); }
    void choose(const Tree_Item& item) { tree.choose(item); }
    // The chosen server, or the server of the chosen channel; null for none.
    Server_Entry* chosen_server() { return servers.find(tree.chosen().server_id); }

    // The dialogs of the Add, Edit and Remove buttons, and of Server > Add
    // camera.
    void add();
    void add_camera();
    void edit();
    void remove();

    // The server or camera of the connect dialog or the command line: the
    // one in the list with the address and user of `wanted`, else `wanted`
    // added for this run only; it takes `password` for this run.
    Server_Entry& adopt(const Server_Entry& wanted, const std::wstring& password);
    // Makes sure `server` has a password for a login: the one given in this
    // run, the kept one, or one the operator gives now; false when the
    // operator cancelled.
    bool ensure_password(Server_Entry& server);
    // After a login of `server`: what became of it and, when it held, the
    // server's channel count.
    void logged_in(Server_Entry& server, Login_Outcome outcome, long channels);
    // The server `name`, when it is in the list for this run only, is kept
    // in it from now on (a saved view needs it; its password is not kept).
    void keep_in_list(const std::wstring& name);
    // Pane `pane` shows a channel of the server `id` now.
    void note_pane(int pane, int id);
    // The server or camera pane `pane` was opened from last; null for none.
    Server_Entry* opened_in(int pane);
    // The server pane `pane` shows a channel of, at `address` (a camera's
    // URL as given, "{channel}" and all): the one it was opened from, else
    // the first at that address; null when none is.
    Server_Entry* server_of_pane(int pane, const std::wstring& address);
    // The tree shows the list as it is now.
    void show() { tree.show(servers); }

private:
    void insert(const Server_Entry& entry);
    // What the Add and Edit dialogs' fields make of `server`.
    void take_form(Server_Entry& server, const Server_Form& form);
    void take_form(Server_Entry& camera, const Camera_Form& form);
    void save();

    HWND owner;
    Server_List servers;
    Server_Tree tree;
    int pane_servers[max_panes] = {};
};

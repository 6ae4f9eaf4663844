// The server list in the registry, under the viewer's key: a subkey
// Servers\0, Servers\1, ... per server in the list's order, with its name,
// address, user, whether its password is kept and, if so, the password
// encrypted for the current Windows user; a camera also with its channel
// range.  Servers in the list for this
// run only are not written.
#pragma once

#include "server_list.h"

void load_servers(Server_List* list);
void save_servers(const Server_List& list);

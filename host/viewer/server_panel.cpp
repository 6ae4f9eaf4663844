#include "server_panel.h"

#include "protected_secret.h"
#include "resource.h"
#include "server_dialog.h"
#include "server_store.h"
#include "texts.h"

namespace {

// `password` becomes the server's password of this run, and its kept one
// when the operator keeps it.
void take_password(Server_Entry& server, const std::wstring& password, bool keep)
{
    server.password = password;
    server.password_known = true;
    server.keep_password = keep;
    server.kept_password = keep ? protect_secret(password) : std::vector<unsigned char>();
    server.kept_password_refused = false;
}

// A camera without a user streams without a login: there is no password
// to ask or keep.
void need_no_password_without_user(Server_Entry& server)
{
    if (!server.camera || !server.user.empty())
        return;
    server.password.clear();
    server.password_known = true;
    server.keep_password = false;
    server.kept_password.clear();
}

} // namespace

Server_Panel::Server_Panel(HWND owner, HWND tree) : owner(owner), tree(tree)
{
    load_servers(&servers);
    show();
}

void Server_Panel::add()
{
    Server_Form form;
    form.user = L"admin";
    if (!ask_server(owner, false, &form))
        return;
    Server_Entry server;
    take_form(server, form);
    insert(server);
}

void Server_Panel::add_camera()
{
    Camera_Form form;
    if (!ask_camera(owner, false, &form))
        return;
    Server_Entry camera;
    camera.camera = true;
    take_form(camera, form);
    insert(camera);
}

void Server_Panel::insert(const Server_Entry& entry)
{
    const int id = servers.add(entry);
    save();
    show();
    tree.choose(Tree_Item{id, 0});
}

// The list does not change while the modal dialog shows.
void Server_Panel::edit()
{
    Server_Entry* server = chosen_server();
    if (!server)
        return;
    Camera_Form form;
    form.name = server->name;
    form.address = server->address;
    form.user = server->user;
    form.keep_password = server->keep_password;
    form.first_channel = server->first_channel;
    form.last_channel = server->last_channel;
    if (!(server->camera ? ask_camera(owner, true, &form) : ask_server(owner, true, &form)))
        return;
    take_form(*server, form);
    save();
    show();
}

// A new address or user is another login: the server is no longer
// connected and the password of the old login no longer serves.  An empty
// password field keeps the password as it was; a server of this run only
// that the operator edits is kept in the list from then on.
void Server_Panel::take_form(Server_Entry& server, const Server_Form& form)
{
    if (form.address != server.address || form.user != server.user) {
        server.connected = false;
        server.channels = 0;
        server.password_known = false;
        server.kept_password.clear();
    }
    server.name = servers.unique_name(form.name.empty() ? form.address : form.name, server.id);
    server.address = form.address;
    server.user = form.user;
    server.stored = true;
    if (!form.password.empty())
        take_password(server, form.password, form.keep_password);
    else if (form.keep_password && server.kept_password.empty() && server.password_known)
        take_password(server, server.password, true);
    else if (!form.keep_password)
        server.kept_password.clear();
    server.keep_password = form.keep_password;
    need_no_password_without_user(server);
}

void Server_Panel::take_form(Server_Entry& camera, const Camera_Form& form)
{
    camera.first_channel = form.first_channel;
    camera.last_channel = form.last_channel;
    take_form(camera, static_cast<const Server_Form&>(form));
}

void Server_Panel::remove()
{
    const Server_Entry* server = chosen_server();
    if (!server || MessageBoxW(owner, format_text(IDS_REMOVE_SERVER, server->label().c_str()).c_str(),
                               load_text(IDS_TITLE).c_str(), MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    servers.remove(server->id);
    save();
    show();
}

Server_Entry& Server_Panel::adopt(const Server_Entry& wanted, const std::wstring& password)
{
    Server_Entry* server = servers.find_by_login(wanted.address, wanted.user);
    if (!server) {
        Server_Entry added = wanted;
        added.name = servers.unique_name(wanted.name.empty() ? wanted.address : wanted.name);
        added.stored = false;
        server = servers.find(servers.add(added));
        show();
    }
    server->password = password;
    server->password_known = true;
    return *server;
}

bool Server_Panel::ensure_password(Server_Entry& server)
{
    if (server.password_known)
        return true;
    if (server.keep_password && !server.kept_password_refused &&
        unprotect_secret(server.kept_password, &server.password)) {
        server.password_known = true;
        return true;
    }
    bool keep = server.keep_password;
    std::wstring password;
    if (!ask_password(owner, server.label(), server.user, &password, &keep))
        return false;
    server.password = password;
    server.password_known = true;
    server.keep_after_login = keep;
    return true;
}

// A refused password is forgotten, and a kept one not tried again in this
// run; a server that did not answer keeps its password for the next try.
void Server_Panel::logged_in(Server_Entry& server, Login_Outcome outcome, long channels)
{
    const bool granted = outcome == Login_Outcome::granted;
    server.connected = granted;
    server.channels = granted ? channels : 0;
    if (outcome == Login_Outcome::refused || outcome == Login_Outcome::failed) {
        server.password_known = false;
        server.kept_password_refused = server.keep_password;
    }
    if (granted && server.keep_after_login) {
        take_password(server, server.password, true);
        server.stored = true;
        save();
    }
    server.keep_after_login = false;
    show();
}

void Server_Panel::keep_in_list(const std::wstring& name)
{
    Server_Entry* server = servers.find_by_name(name);
    if (!server || server->stored)
        return;
    server->stored = true;
    save();
    show();
}

void Server_Panel::note_pane(int pane, int id)
{
    if (pane >= 0 && pane < max_panes)
        pane_servers[pane] = id;
}

Server_Entry* Server_Panel::opened_in(int pane)
{
    return pane >= 0 && pane < max_panes ? servers.find(pane_servers[pane]) : nullptr;
}

Server_Entry* Server_Panel::server_of_pane(int pane, const std::wstring& address)
{
    Server_Entry* opened = opened_in(pane);
    if (opened && opened->address == address)
        return opened;
    return servers.find_by_address(address);
}

void Server_Panel::save()
{
    save_servers(servers);
}

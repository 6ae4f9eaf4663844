// Main_Window's members for the server list: connecting its servers,
// their logins, the channels they open and the names the panes' captions
// give them.
#include "main_window.h"

#include <ctime>

#include "resource.h"
#include "settings.h"
#include "texts.h"

namespace {

// Why a login did not hold, in words; `began_lockout` when this login
// started the control's lockout.
std::wstring refusal_text(Login_Outcome outcome, bool began_lockout, const Login_Lockout& lockout,
                          const std::wstring& address, const std::wstring& user)
{
    switch (outcome) {
    case Login_Outcome::refused:
        if (began_lockout)
            return format_text(IDS_LOGIN_LOCKED_NOW, address.c_str());
        return format_text(lockout.refusals() == 2 ? IDS_LOGIN_WRONG_AGAIN : IDS_LOGIN_WRONG, address.c_str(),
                           user.c_str());
    case Login_Outcome::locked_out: {
        const int left = lockout.seconds_left(time(nullptr));
        return format_text(IDS_LOGIN_STILL_LOCKED, address.c_str(), left / 60, left % 60);
    }
    case Login_Outcome::failed:
        return format_text(IDS_LOGIN_FAILED, address.c_str(), user.c_str());
    default:
        return format_text(IDS_LOGIN_NO_ANSWER, address.c_str());
    }
}

} // namespace

void Main_Window::on_server_edit()
{
    servers->edit();
    if (const Server_Entry* server = servers->chosen_server())
        label_panes_of(*server);
}

// A camera's panes are known by its URL as the viewer gives it,
// "{channel}" and all.
void Main_Window::label_panes_of(const Server_Entry& server)
{
    // Without the label the captions give the address: still right.
    (void)wall->label_server(server.address, server.name);
}

bool Main_Window::connect_server(int id)
{
    Server_Entry* server = servers->find(id);
    if (!server)
        return false;
    if (!servers->ensure_password(*server)) {
        tell(format_text(IDS_LOGIN_CANCELLED, server->label().c_str()));
        return false;
    }
    if (server->camera) {
        // Its stream logs in by itself, when a pane opens it.
        label_panes_of(*server);
        return true;
    }
    tell(format_text(IDS_CONNECTING, server->label().c_str()));
    (void)UpdateWindow(frame);  // the login waits on this thread; show what it waits for
    connected = log_in(*server) == Login_Outcome::granted;
    update_title();
    if (!connected)
        return false;
    remember_server(server->address, server->user);
    label_panes_of(*server);
    servers->choose(Tree_Item{id, 1});
    tell(format_text(IDS_CONNECTED, server->label().c_str(), server->user.c_str(), session->privilege(),
                     session->channel_count()));
    return true;
}

Login_Outcome Main_Window::log_in(Server_Entry& server)
{
    const Login_Outcome outcome = session->connect(server.address, server.user, server.password);
    const bool began_lockout = lockout.follow(outcome, time(nullptr));
    control_login = outcome == Login_Outcome::granted ? server.id : 0;
    sound->show_volume();  // the user's rights decide whether the control tells it
    servers->logged_in(server, outcome, session->channel_count());
    if (outcome != Login_Outcome::granted) {
        tell(refusal_text(outcome, began_lockout, lockout, server.label(), server.user));
        show_lockout();
    }
    return outcome;
}

bool Main_Window::log_in_for_channels(int id)
{
    if (control_login == id)
        return true;
    Server_Entry* server = servers->find(id);
    if (!server)
        return false;
    if (!server->connected)
        return connect_server(id);
    return servers->ensure_password(*server) && log_in(*server) == Login_Outcome::granted;
}

bool Main_Window::open_channel_of(int id, int channel, std::wstring* reason)
{
    Server_Entry* camera = servers->find(id);
    if (camera && !camera->camera)
        camera = nullptr;
    if (camera ? !connect_server(id) : !log_in_for_channels(id)) {
        *reason = load_text(IDS_VIEW_NOT_CONNECTED);
        return false;
    }
    Control_Error error;
    const bool opened = camera ? session->open_stream(camera->address, camera->user, camera->password, channel, &error)
                               : session->open(channel, &error);
    if (!opened) {
        *reason = error.code > 0 ? load_text(IDS_ERROR_BASE + error.code) : error.text;
        return false;
    }
    servers->note_pane(session->active_pane(), id);
    return true;
}

void Main_Window::on_server_connect()
{
    const Server_Entry* server = servers->chosen_server();
    if (server)
        (void)connect_server(server->id);  // the status tells
    else
        tell(load_text(IDS_NO_SERVER));
}

void Main_Window::on_server_list_double_click()
{
    const Tree_Item item = servers->item_at_cursor();
    if (!item.server_id)
        return;
    servers->choose(item);
    command(ID_OPEN);
}

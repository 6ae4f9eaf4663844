#include "wall_views.h"

#include <algorithm>
#include <set>
#include <vector>

#include "main_window.h"
#include "resource.h"
#include "texts.h"

namespace {

// The server a view's pane names: the one of that name at that address,
// else the first at that address (renamed since); null when none is.
Server_Entry* server_for(Server_List& list, const Pane_View& pane)
{
    Server_Entry* named = list.find_by_name(pane.server_name);
    return named && named->address == pane.address ? named : list.find_by_address(pane.address);
}

std::wstring label_of(const Pane_View& pane)
{
    Server_Entry named;
    named.name = pane.server_name;
    named.address = pane.address;
    return named.label();
}

// The panes that did not open, one after the other: "pane 2 (...); pane 3 (...)".
class Pane_Failures {
public:
    void add(int pane, const Pane_View& view, const std::wstring& reason)
    {
        text += (text.empty() ? L"" : L"; ") +
                format_text(IDS_VIEW_PANE_FAILED, pane, view.channel, label_of(view).c_str(), reason.c_str());
    }
    bool any() const { return !text.empty(); }
    const std::wstring& list() const { return text; }

private:
    std::wstring text;
};

} // namespace

Wall_View capture_wall(Main_Window& window)
{
    Session& session = window.wall_session();
    Wall_View view;
    view.layout = session.layout();
    if (view.layout < 1 || view.layout > max_panes)
        view.layout = 1;
    view.panes.assign(view.layout, Pane_View());
    const int active = session.active_pane();
    for (int pane = 0; pane < view.layout; ++pane) {
        if (!session.activate(pane))
            continue;
        const Pane_Status status = session.status(pane);
        if (status.state == Pane_State::closed)
            continue;
        const Server_Entry* server = window.server_panel().server_of_pane(pane, status.server);
        view.panes[pane] = Pane_View{server ? server->name : status.server, status.server, status.channel};
    }
    (void)session.activate(active);  // the pane stays where the last read left it otherwise
    return view;
}

void restore_wall(Main_Window& window, const std::wstring& name, const Wall_View& view)
{
    Session& session = window.wall_session();
    Server_List& list = window.server_panel().list();
    Pane_Failures failures;
    // Each pane's server, and the servers in the order of their first pane.
    std::vector<int> pane_server(view.panes.size(), 0);
    std::vector<int> servers;
    for (size_t pane = 0; pane < view.panes.size(); ++pane) {
        if (!view.panes[pane].channel)
            continue;
        const Server_Entry* server = server_for(list, view.panes[pane]);
        if (!server) {
            failures.add(static_cast<int>(pane), view.panes[pane], load_text(IDS_VIEW_SERVER_GONE));
            continue;
        }
        pane_server[pane] = server->id;
        if (std::find(servers.begin(), servers.end(), server->id) == servers.end())
            servers.push_back(server->id);
    }
    window.command(ID_CLOSE_ALL);
    window.on_layout(view.layout);  // a refusal is told in the status bar
    std::set<int> unreachable;
    for (int id : servers)
        if (!list.find(id)->connected && !window.connect_server(id))
            unreachable.insert(id);
    // One server's panes after the other: the control logs in again only
    // when the server changes.
    for (int id : servers)
        for (size_t pane = 0; pane < view.panes.size(); ++pane) {
            if (pane_server[pane] != id)
                continue;
            std::wstring reason = load_text(unreachable.count(id) ? IDS_VIEW_NOT_CONNECTED : IDS_VIEW_PANE_INACTIVE);
            if (!unreachable.count(id) && session.activate(static_cast<int>(pane)) &&
                window.open_channel_of(id, view.panes[pane].channel, &reason))
                continue;
            failures.add(static_cast<int>(pane), view.panes[pane], reason);
        }
    (void)session.activate(0);  // pane 0 is in every layout
    window.tell(format_text(IDS_VIEW_RESTORED, name.c_str(), view.layout, static_cast<int>(servers.size())));
    if (failures.any())
        window.tell(format_text(IDS_VIEW_PANES_FAILED, failures.list().c_str()));
}

// Saved views in the registry, under the viewer's key: a subkey Views\NAME
// per view with its layout and, per pane that shows a channel, the
// server's name in the list, its address and the channel.  The Views key
// itself holds the name of the last view saved or restored and whether it
// comes back at the next start.
#pragma once

#include <string>
#include <vector>

struct Pane_View {
    std::wstring server_name;
    std::wstring address;
    int channel = 0;  // 0: the pane shows nothing
};

struct Wall_View {
    int layout = 1;  // 1, 4, 9 or 16 panes
    std::vector<Pane_View> panes;  // one per pane of the layout
};

// The names of the saved views, in alphabetical order.
std::vector<std::wstring> saved_view_names();
bool view_exists(const std::wstring& name);
// False when there is no view of that name, or it is damaged.
bool load_view(const std::wstring& name, Wall_View* view);
void save_view(const std::wstring& name, const Wall_View& view);
void delete_view(const std::wstring& name);

std::wstring last_view();
void set_last_view(const std::wstring& name);
bool open_last_view_at_start();
void set_open_last_view_at_start(bool open);

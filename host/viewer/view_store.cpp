#include "view_store.h"

#include <windows.h>

#include <algorithm>

#include "registry_values.h"

namespace {

const wchar_t views_key[] = L"Views";
const wchar_t last_view_value[] = L"Last view";
const wchar_t open_last_value[] = L"Open last view at start";

std::wstring view_key(const std::wstring& name)
{
    return std::wstring(views_key) + L"\\" + name;
}

std::wstring pane_value(size_t pane, const wchar_t* field)
{
    return L"Pane " + std::to_wstring(pane) + L" " + field;
}

} // namespace

std::vector<std::wstring> saved_view_names()
{
    std::vector<std::wstring> names = Registry_Key(views_key).subkeys();
    std::sort(names.begin(), names.end(),
              [](const std::wstring& a, const std::wstring& b) { return lstrcmpiW(a.c_str(), b.c_str()) < 0; });
    return names;
}

// Key names compare without case, as the registry does.
bool view_exists(const std::wstring& name)
{
    const std::vector<std::wstring> names = saved_view_names();
    return std::any_of(names.begin(), names.end(),
                       [&](const std::wstring& saved) { return lstrcmpiW(saved.c_str(), name.c_str()) == 0; });
}

bool load_view(const std::wstring& name, Wall_View* view)
{
    if (name.empty() || !view_exists(name))
        return false;
    const Registry_Key key(view_key(name));
    view->layout = static_cast<int>(key.number(L"Layout", 1));
    if (view->layout != 1 && view->layout != 4 && view->layout != 9 && view->layout != 16)
        return false;  // not a view the viewer wrote
    view->panes.assign(view->layout, Pane_View());
    for (size_t pane = 0; pane < view->panes.size(); ++pane) {
        view->panes[pane].channel = static_cast<int>(key.number(pane_value(pane, L"channel")));
        view->panes[pane].server_name = key.text(pane_value(pane, L"server"));
        view->panes[pane].address = key.text(pane_value(pane, L"address"));
    }
    return true;
}

// A view saved again under its name loses the panes it had.
void save_view(const std::wstring& name, const Wall_View& view)
{
    delete_view(name);
    Registry_Key key(view_key(name));
    key.set_number(L"Layout", static_cast<DWORD>(view.layout));
    for (size_t pane = 0; pane < view.panes.size(); ++pane) {
        if (!view.panes[pane].channel)
            continue;
        key.set_number(pane_value(pane, L"channel"), static_cast<DWORD>(view.panes[pane].channel));
        key.set_text(pane_value(pane, L"server"), view.panes[pane].server_name);
        key.set_text(pane_value(pane, L"address"), view.panes[pane].address);
    }
}

void delete_view(const std::wstring& name)
{
    Registry_Key(views_key).remove_subkey(name);
}

std::wstring last_view()
{
    return Registry_Key(views_key).text(last_view_value);
}

void set_last_view(const std::wstring& name)
{
    Registry_Key(views_key).set_text(last_view_value, name);
}

bool open_last_view_at_start()
{
    return Registry_Key(views_key).number(open_last_value) != 0;
}

void set_open_last_view_at_start(bool open)
{
    Registry_Key(views_key).set_number(open_last_value, open ? 1 : 0);
}

#include "saved_views.h"

#include "form_dialog.h"
#include "main_window.h"
#include "resource.h"
#include "texts.h"
#include "view_store.h"
#include "wall_views.h"

namespace {

// The popup of `bar` that holds the command `id`; null when none does.
HMENU popup_with(HMENU bar, UINT id)
{
    for (int item = 0; item < GetMenuItemCount(bar); ++item) {
        HMENU popup = GetSubMenu(bar, item);
        if (popup && GetMenuState(popup, id, MF_BYCOMMAND) != static_cast<UINT>(-1))
            return popup;
    }
    return nullptr;
}

// The place of the command `id` in `popup`; -1 when it is not there.
int place_of(HMENU popup, UINT id)
{
    for (int item = 0; item < GetMenuItemCount(popup); ++item)
        if (GetMenuItemID(popup, item) == id)
            return item;
    return -1;
}

// A name the registry takes as a key of its own, and not taken yet, or
// taken and the operator replaces it.
bool name_fits(HWND dialog, const std::wstring& name, bool saving)
{
    if (name.empty() || name.find(L'\\') != std::wstring::npos) {
        (void)MessageBoxW(dialog, load_text(IDS_BAD_VIEW_NAME).c_str(), load_text(IDS_TITLE).c_str(),
                          MB_ICONWARNING);  // only OK to answer
        return false;
    }
    if (!saving && !view_exists(name)) {
        (void)MessageBoxW(dialog, format_text(IDS_NO_VIEW, name.c_str()).c_str(), load_text(IDS_TITLE).c_str(),
                          MB_ICONWARNING);  // only OK to answer
        return false;
    }
    return !saving || !view_exists(name) ||
           MessageBoxW(dialog, format_text(IDS_REPLACE_VIEW, name.c_str()).c_str(), load_text(IDS_TITLE).c_str(),
                       MB_YESNO | MB_ICONQUESTION) == IDYES;
}

// Asks a view's name, to save (any new name, or a saved one to replace)
// or to delete (a saved one).
bool ask_view_name(HWND owner, bool saving, std::wstring* name)
{
    const std::vector<std::wstring> names = saved_view_names();
    const auto fill = [&](HWND dialog) {
        (void)SetWindowTextW(dialog, load_text(saving ? IDS_SAVE_VIEW : IDS_DELETE_VIEW).c_str());  // a title only
        set_item_text(dialog, IDOK, load_text(saving ? IDS_SAVE_BUTTON : IDS_DELETE_BUTTON));
        HWND list = GetDlgItem(dialog, IDC_VIEW_NAME);
        for (const std::wstring& saved : names)
            (void)SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(saved.c_str()));  // shown or not
        if (!saving)
            (void)SendMessageW(list, CB_SETCURSEL, 0, 0);  // the first view, when there is one
    };
    const auto accept = [&](HWND dialog) {
        *name = item_text(dialog, IDC_VIEW_NAME);
        return name_fits(dialog, *name, saving);
    };
    return run_form_dialog(owner, IDD_VIEW_NAME, fill, accept);
}

} // namespace

Saved_Views::Saved_Views(Main_Window& window, HWND frame) : window(window), frame(frame)
{
    menu = popup_with(GetMenu(frame), ID_VIEW_SAVE);
    list_in_menu();
}

void Saved_Views::save()
{
    std::wstring name;
    if (!ask_view_name(frame, true, &name))
        return;
    const Wall_View view = capture_wall(window);
    for (const Pane_View& pane : view.panes)
        window.server_panel().keep_in_list(pane.server_name);
    save_view(name, view);
    set_last_view(name);
    list_in_menu();
    window.tell(format_text(IDS_VIEW_SAVED, name.c_str()));
}

void Saved_Views::remove()
{
    std::wstring name;
    if (!ask_view_name(frame, false, &name))
        return;
    delete_view(name);
    if (lstrcmpiW(last_view().c_str(), name.c_str()) == 0)
        set_last_view(std::wstring());
    list_in_menu();
    window.tell(format_text(IDS_VIEW_DELETED, name.c_str()));
}

void Saved_Views::toggle_open_last()
{
    set_open_last_view_at_start(!open_last_view_at_start());
    list_in_menu();
}

void Saved_Views::choose(int id)
{
    const size_t index = static_cast<size_t>(id - ID_VIEW_FIRST);
    if (index < listed.size() && !restore(listed[index]))
        window.tell(format_text(IDS_NO_VIEW, listed[index].c_str()));
}

bool Saved_Views::restore(const std::wstring& name)
{
    Wall_View view;
    if (!load_view(name, &view))
        return false;
    restore_wall(window, name, view);
    set_last_view(name);
    return true;
}

void Saved_Views::restore_last_if_wanted()
{
    if (open_last_view_at_start() && !last_view().empty())
        (void)restore(last_view());  // a view deleted since is not restored; nothing to tell
}

// The saved views follow the menu's last separator; the menu is built
// anew after every change.
void Saved_Views::list_in_menu()
{
    if (!menu || place_of(menu, ID_VIEW_OPEN_LAST) < 0)
        return;
    const int first = place_of(menu, ID_VIEW_OPEN_LAST) + 2;
    (void)CheckMenuItem(menu, ID_VIEW_OPEN_LAST, open_last_view_at_start() ? MF_CHECKED : MF_UNCHECKED);  // it is there
    while (GetMenuItemCount(menu) > first)
        if (!DeleteMenu(menu, first, MF_BYPOSITION))
            break;
    listed = saved_view_names();
    if (listed.size() > ID_VIEW_LAST - ID_VIEW_FIRST + 1)
        listed.resize(ID_VIEW_LAST - ID_VIEW_FIRST + 1);
    for (size_t index = 0; index < listed.size(); ++index)
        (void)AppendMenuW(menu, MF_STRING, ID_VIEW_FIRST + index, listed[index].c_str());  // unlisted if it fails
    if (listed.empty())
        (void)AppendMenuW(menu, MF_STRING | MF_GRAYED, 0, load_text(IDS_NO_VIEWS).c_str());  // only a hint
}

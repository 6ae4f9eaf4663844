// kelm_ctrl: construction, the privilege gate, pane ids and activation, and
// the creation and destruction of the control's window.
#include "kelm_ctrl.h"

#include <cstring>

#include "module_instance.h"
#include "resource.h"
#include "screen.h"
#include "split_layout.h"
#include "user_settings.h"

namespace {

// Dialog item ids of panes 0 to 15.
const int pane_items[kelm_ctrl::pane_count] = {
    IDC_PANE_1, IDC_PANE_2, IDC_PANE_3, IDC_PANE_4,
    IDC_PANE_5, IDC_PANE_6, IDC_PANE_7, IDC_PANE_8,
    IDC_PANE_9, IDC_PANE_10, IDC_PANE_11, IDC_PANE_12,
    IDC_PANE_13, IDC_PANE_14, IDC_PANE_15, IDC_PANE_16,
};

} // namespace

// The captions setting is read here, so that a host's put_captions before
// the window is made holds.
kelm_ctrl::kelm_ctrl() : captions_shown(captions_setting())
{
    for (short& channel : pane_channel)
        channel = -1;
}

// Called on the window's thread, or on another after the window's thread
// ended (see end_on_window_thread): then the window cannot be destroyed
// from here, and the panes and their streams are ended without it.
kelm_ctrl::~kelm_ctrl()
{
    destroy_window();
    release_panes();
}

HWND kelm_ctrl::create_window(HWND parent)
{
    if (hwnd)
        return nullptr;
    // WM_INITDIALOG stores the window handle and builds the panes.
    HWND dialog = CreateDialogParamW(module_instance(), MAKEINTRESOURCEW(IDD_KELM_CTRL), parent,
                                     &kelm_ctrl::dialog_proc, reinterpret_cast<LPARAM>(this));
    return dialog;
}

void kelm_ctrl::destroy_window()
{
    if (hwnd)
        (void)DestroyWindow(hwnd);  // WM_DESTROY tears the panes down; off the window's thread it fails
}

bool kelm_ctrl::check_privilege(unsigned bits) const
{
    return mask_allows(privilege, bits);
}

bool kelm_ctrl::allowed(Gated_Member member) const
{
    return check_privilege(required_privilege(member));
}

int kelm_ctrl::pane_item_id(int n)
{
    if (n < 1 || n > pane_count)
        return -1;
    return pane_items[n - 1];
}

SIZE kelm_ctrl::natural_size()
{
    const int frame = 5;
    return SIZE{layout_width + frame, layout_height + frame};
}

int kelm_ctrl::pane_index_of_item(int item) const
{
    for (int i = 0; i < pane_count; ++i) {
        if (pane_items[i] == item)
            return i;
    }
    return -1;
}

void kelm_ctrl::activate_screen(int index)
{
    if (index < 0 || index >= static_cast<int>(screens.size()))
        return;
    if (active_screen)
        active_screen->draw_frame(false);
    screens[index]->draw_frame(true);
    active_screen = screens[index];
}

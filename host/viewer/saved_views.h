// The View menu: saving the wall as a named view, deleting one, the saved
// views to restore, and whether the last view comes back at the start.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class Main_Window;

class Saved_Views {
public:
    // Lists the saved views in the View menu of `frame`'s menu bar.
    Saved_Views(Main_Window& window, HWND frame);
    Saved_Views(const Saved_Views&) = delete;
    Saved_Views& operator=(const Saved_Views&) = delete;

    // View > Save view...: asks a name and saves the wall under it.
    void save();
    // View > Delete view...: asks which view and deletes it.
    void remove();
    // View > Open the last view at start, on or off.
    void toggle_open_last();
    // The view of the menu's command `id` (ID_VIEW_FIRST and on), restored.
    void choose(int id);
    // Restores the view `name`; false when there is none.
    bool restore(const std::wstring& name);
    // At the start: the last view saved or restored, when the operator
    // wants it back.
    void restore_last_if_wanted();

private:
    void list_in_menu();

    Main_Window& window;
    HWND frame;
    HMENU menu = nullptr;
    // The views the menu lists, in its order.
    std::vector<std::wstring> listed;
};

// A modal dialog of fields that the operator fills and confirms with OK:
// the server dialogs and the view name dialog.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

// Runs the dialog template `id` over `owner`: `fill` sets its fields at the
// start, `accept` reads them at OK and answers whether the dialog may
// close (false keeps it open, for the operator to correct a field).  True
// when the operator chose OK.
bool run_form_dialog(HWND owner, int id, const std::function<void(HWND)>& fill,
                     const std::function<bool(HWND)>& accept);

// The text of the dialog's item `item`; empty when it has none.
std::wstring item_text(HWND dialog, int item);
void set_item_text(HWND dialog, int item, const std::wstring& text);
bool item_checked(HWND dialog, int item);
void check_item(HWND dialog, int item, bool checked);

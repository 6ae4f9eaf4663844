#include "form_dialog.h"

namespace {

struct Form {
    const std::function<void(HWND)>& fill;
    const std::function<bool(HWND)>& accept;
};

INT_PTR CALLBACK form_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_INITDIALOG) {
        (void)SetWindowLongPtrW(dialog, DWLP_USER, lparam);  // answers the value it replaces
        reinterpret_cast<Form*>(lparam)->fill(dialog);
        return TRUE;  // the focus goes to the first field
    }
    if (message != WM_COMMAND)
        return FALSE;
    const int id = LOWORD(wparam);
    const auto form = reinterpret_cast<Form*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (id == IDOK && form->accept(dialog))
        (void)EndDialog(dialog, IDOK);  // fails only for a dialog that is gone
    else if (id == IDCANCEL)
        (void)EndDialog(dialog, IDCANCEL);  // the same
    return id == IDOK || id == IDCANCEL;
}

} // namespace

bool run_form_dialog(HWND owner, int id, const std::function<void(HWND)>& fill,
                     const std::function<bool(HWND)>& accept)
{
    Form form = {fill, accept};
    return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), owner, form_proc,
                           reinterpret_cast<LPARAM>(&form)) == IDOK;
}

std::wstring item_text(HWND dialog, int item)
{
    std::wstring text(GetWindowTextLengthW(GetDlgItem(dialog, item)) + 1, L'\0');
    // An empty or missing field reads as empty.
    text.resize(GetDlgItemTextW(dialog, item, &text[0], static_cast<int>(text.size())));
    return text;
}

void set_item_text(HWND dialog, int item, const std::wstring& text)
{
    (void)SetDlgItemTextW(dialog, item, text.c_str());  // fails only without the item
}

bool item_checked(HWND dialog, int item)
{
    return IsDlgButtonChecked(dialog, item) == BST_CHECKED;
}

void check_item(HWND dialog, int item, bool checked)
{
    (void)CheckDlgButton(dialog, item, checked ? BST_CHECKED : BST_UNCHECKED);  // fails only without the item
}

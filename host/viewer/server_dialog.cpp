#include "server_dialog.h"

#include "form_dialog.h"
#include "resource.h"
#include "texts.h"

bool ask_server(HWND owner, bool editing, Server_Form* form)
{
    const auto fill = [&](HWND dialog) {
        (void)SetWindowTextW(dialog, load_text(editing ? IDS_EDIT_SERVER : IDS_ADD_SERVER).c_str());  // a title only
        set_item_text(dialog, IDC_SERVER_NAME, form->name);
        set_item_text(dialog, IDC_ADDRESS, form->address);
        set_item_text(dialog, IDC_USER, form->user);
        set_item_text(dialog, IDC_SERVER_NOTE, load_text(editing ? IDS_EDIT_PASSWORD_NOTE : IDS_ADD_PASSWORD_NOTE));
        check_item(dialog, IDC_SERVER_KEEP, form->keep_password);
    };
    const auto accept = [&](HWND dialog) {
        if (item_text(dialog, IDC_ADDRESS).empty()) {
            (void)MessageBoxW(dialog, load_text(IDS_NO_ADDRESS).c_str(), load_text(IDS_TITLE).c_str(),
                              MB_ICONWARNING);  // only OK to answer
            return false;
        }
        form->name = item_text(dialog, IDC_SERVER_NAME);
        form->address = item_text(dialog, IDC_ADDRESS);
        form->user = item_text(dialog, IDC_USER);
        form->password = item_text(dialog, IDC_PASSWORD);
        form->keep_password = item_checked(dialog, IDC_SERVER_KEEP);
        return true;
    };
    return run_form_dialog(owner, IDD_SERVER, fill, accept);
}

bool ask_password(HWND owner, const std::wstring& label, const std::wstring& user, std::wstring* password,
                  bool* keep_password)
{
    const auto fill = [&](HWND dialog) {
        set_item_text(dialog, IDC_PASSWORD_PROMPT, format_text(IDS_PASSWORD_PROMPT, user.c_str(), label.c_str()));
        check_item(dialog, IDC_SERVER_KEEP, *keep_password);
    };
    const auto accept = [&](HWND dialog) {
        *password = item_text(dialog, IDC_PASSWORD);
        *keep_password = item_checked(dialog, IDC_SERVER_KEEP);
        return true;
    };
    return run_form_dialog(owner, IDD_PASSWORD, fill, accept);
}

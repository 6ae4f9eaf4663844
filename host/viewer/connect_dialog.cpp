#include "connect_dialog.h"

#include "form_dialog.h"
#include "resource.h"
#include "settings.h"

namespace {

void fill(HWND dialog)
{
    const Viewer_Settings settings = load_settings();
    HWND servers = GetDlgItem(dialog, IDC_ADDRESS);
    for (const std::wstring& server : settings.recent_servers)
        (void)SendMessageW(servers, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(server.c_str()));
    if (!settings.recent_servers.empty())
        (void)SendMessageW(servers, CB_SETCURSEL, 0, 0);
    (void)SetDlgItemTextW(dialog, IDC_USER, settings.user.c_str());
}

INT_PTR CALLBACK connect_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lparam);
        fill(dialog);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wparam) == IDOK) {
            auto request = reinterpret_cast<Connect_Request*>(GetWindowLongPtrW(dialog, DWLP_USER));
            request->address = item_text(dialog, IDC_ADDRESS);
            request->user = item_text(dialog, IDC_USER);
            request->password = item_text(dialog, IDC_PASSWORD);
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (LOWORD(wparam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

} // namespace

bool ask_connection(HWND owner, Connect_Request* request)
{
    return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_CONNECT), owner, connect_proc,
                           reinterpret_cast<LPARAM>(request)) == IDOK;
}

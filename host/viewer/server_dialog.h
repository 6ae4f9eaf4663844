// The dialogs about one server: adding or editing it (its name, address,
// user, password and whether the password is kept), and the password asked
// when the viewer connects a server whose password it does not have.
#pragma once

#include <windows.h>

#include <string>

struct Server_Form {
    std::wstring name;
    std::wstring address;
    std::wstring user;
    // Empty: not given (asked when connecting, or as it was when editing).
    std::wstring password;
    bool keep_password = false;
};

// Adds (`editing` false) or edits a server; true when the operator chose
// OK with an address.
bool ask_server(HWND owner, bool editing, Server_Form* form);
// Asks the password of `user` on the server `label`; true when given.
bool ask_password(HWND owner, const std::wstring& label, const std::wstring& user, std::wstring* password,
                  bool* keep_password);

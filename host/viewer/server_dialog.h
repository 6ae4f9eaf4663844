// The dialogs about one server: adding or editing a DVR (its name,
// address, user, password and whether the password is kept) or a camera
// (its name, stream URL, user, password and channel range), and the
// password asked when the viewer connects a server whose password it does
// not have.
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

// A camera's `address` is its stream URL, without a login: a login in the
// URL the operator gives is taken out into `user` and `password`, as the
// stream would use it.  The channel range is used only when the URL holds
// "{channel}"; else the camera has channel 1 alone.
struct Camera_Form : Server_Form {
    int first_channel = 1;
    int last_channel = 1;
};

// Adds (`editing` false) or edits a server; true when the operator chose
// OK with an address.
bool ask_server(HWND owner, bool editing, Server_Form* form);
// Adds or edits a camera; true when the operator chose OK with a URL the
// control can play and, for a URL with "{channel}", a channel range.
bool ask_camera(HWND owner, bool editing, Camera_Form* form);
// Asks the password of `user` on the server `label`; true when given.
bool ask_password(HWND owner, const std::wstring& label, const std::wstring& user, std::wstring* password,
                  bool* keep_password);

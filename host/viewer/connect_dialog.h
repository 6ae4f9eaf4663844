// The connect dialog: server address (with the servers used last to choose
// from), user name and password.
#pragma once

#include <windows.h>

#include <string>

struct Connect_Request {
    std::wstring address;
    std::wstring user;
    std::wstring password;
};

// Shows the dialog over `owner`; true when the operator chose Connect.
bool ask_connection(HWND owner, Connect_Request* request);

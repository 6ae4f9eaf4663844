// Dispatch members of the login: the local and the server login with its
// lockout, the login state and mask, the error text, the version, and a
// server's channel count.  Login and the channel count talk to the server
// through a proxy made for the one call.
#include "kelm_ctrl.h"

#include <cwchar>
#include <memory>

#include "bstr_text.h"
#include "error_codes.h"
#include "screen.h"
#include "channel_impl.h"
#include "service_link.h"
#include "text_convert.h"
#include "web_service.h"

namespace {

const wchar_t local_credential[] = L"Quzap";
const long local_mask = 0xFFFF;
const long no_login = -1;
const time_t lockout_seconds = 180;
const size_t login_text_bytes = 40;  // user names and passwords the service is given

// A login without an address, or with one that starts with a space, is
// the local login.
bool names_a_server(const wchar_t* address)
{
    return *address && *address != L' ';
}

} // namespace

void kelm_ctrl::set_lockout_clock(Clock clock)
{
    lockout_clock = clock;
}

time_t kelm_ctrl::lockout_now() const
{
    return lockout_clock ? lockout_clock() : time(nullptr);
}

// Without an address the login is local: the fixed credential gives the
// full mask, anything else no login.  Either way the member answers S_FALSE
// and the lockout is not touched.
HRESULT kelm_ctrl::local_login(const wchar_t* username, const wchar_t* password)
{
    const bool known = wcscmp(username, local_credential) == 0 && wcscmp(password, local_credential) == 0;
    privilege = known ? local_mask : no_login;
    return S_FALSE;
}

// Asks the server once.  S_OK when the server answered (the mask, or -1 for
// a refusal, is in `privilege`); S_FALSE with code 1 when the call could not
// be made or failed.  Texts too long for the service's fields are refused
// before anything is sent.  The earlier mask is dropped first, so a call
// that fails in any way leaves no login behind.
HRESULT kelm_ctrl::ask_server_login(const wchar_t* address, const wchar_t* username, const wchar_t* password)
{
    privilege = no_login;
    char user[login_text_bytes], secret[login_text_bytes];
    std::unique_ptr<Web_Service> service(make_web_service(address));
    if (!service || !wide_to_ansi(username, user, sizeof user) || !wide_to_ansi(password, secret, sizeof secret)) {
        error_code = error_communication;
        return S_FALSE;
    }
    int answer = no_login;
    if (service->logon(user, secret, answer) != 0) {
        error_code = error_communication;
        return S_FALSE;
    }
    privilege = answer;
    return S_OK;
}

// A refused login: the first two count, the third starts the lockout, and
// during the lockout nothing more is counted (code 11 stands).
HRESULT kelm_ctrl::count_login_refusal()
{
    if (login_failures < 2) {
        ++login_failures;
        error_code = error_server_login;
    } else if (login_failures == 2) {
        login_failures = 3;
        lockout_start = lockout_now();
        error_code = error_server_login;
    }
    return S_OK;
}

HRESULT kelm_ctrl::login(BSTR ip, BSTR username, BSTR password)
{
    const wchar_t* address = bstr_text(ip);
    if (!names_a_server(address))
        return local_login(bstr_text(username), bstr_text(password));
    if (login_failures > 2) {
        if (lockout_now() - lockout_start > lockout_seconds)
            login_failures = 0;
        error_code = error_user_refused;
    }
    if (login_failures < 2 && ask_server_login(address, bstr_text(username), bstr_text(password)) != S_OK)
        return S_FALSE;
    if (privilege == no_login)
        return count_login_refusal();
    return S_OK;  // granted; the failure count stays as it was
}

HRESULT kelm_ctrl::get_is_login(SHORT* state)
{
    if (!state)
        return E_POINTER;
    *state = privilege == no_login ? -1 : 0;
    return privilege == no_login ? S_FALSE : S_OK;
}

HRESULT kelm_ctrl::get_privilege(LONG* mask)
{
    if (!mask)
        return E_POINTER;
    *mask = privilege;
    return S_OK;
}

// The control's own code first; only when it has none, the active pane's
// channel gives (and forgets) its code.  Reading clears the control's code.
HRESULT kelm_ctrl::get_error_msg(BSTR* message)
{
    if (!message)
        return E_POINTER;
    if (active_screen && error_code == error_none)
        error_code = active_screen->take_last_error();
    const wchar_t* text = error_text(error_code);
    error_code = error_none;
    return return_bstr(text, message);
}

HRESULT kelm_ctrl::get_svr_chnum(BSTR ipaddr)
{
    const wchar_t* address = bstr_text(ipaddr);
    std::unique_ptr<Web_Service> service(make_web_service(address));
    ServerInfo_T* info = nullptr;
    if (service && service->get_serverinfo(info) == 0 && info) {
        svr_channel_cnt = info->channel_cnt;
        return S_OK;
    }
    svr_channel_cnt = 0;
    return S_FALSE;
}

HRESULT kelm_ctrl::get_svr_channel_cnt(LONG* count)
{
    if (!count)
        return E_POINTER;
    *count = svr_channel_cnt;
    return S_OK;
}

HRESULT kelm_ctrl::get_ver(BSTR* version)
{
    return return_bstr(L"version:v.1.0.0", version);
}

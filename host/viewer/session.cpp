#include "session.h"

#include "dispatch_call.h"
#include "error_codes.h"

namespace {

LONG number_of(IDispatch* control, const wchar_t* property)
{
    Variant value;
    return SUCCEEDED(get_property(control, property, &value)) ? value.number() : -1;
}

} // namespace

int layout_side(int panes)
{
    int side = 1;
    while (side * side < panes)
        ++side;
    return side;
}

// The channel count needs no login, so it tells first whether the DVR
// answers at all; the login's outcome is read from is_login and the error
// code, whatever the call answered.
Login_Outcome Session::connect(const std::wstring& to, const std::wstring& name, const std::wstring& secret)
{
    Variant server(to.c_str()), user_arg(name.c_str()), password_arg(secret.c_str());
    (void)call_method(control, L"get_svr_chnum", {&server});  // a count of 0 is the failure's sign
    const long count = number_of(control, L"svr_channel_cnt");
    if (count <= 0)
        return Login_Outcome::no_answer;
    (void)call_method(control, L"login", {&server, &user_arg, &password_arg});
    const Control_Error error = last_error();
    if (number_of(control, L"is_login") != 0) {
        if (error.code == error_server_login)
            return Login_Outcome::refused;
        return error.code == error_user_refused ? Login_Outcome::locked_out : Login_Outcome::failed;
    }
    address = to;
    user = name;
    password = secret;
    mask = number_of(control, L"privilege");
    channels = count;
    return Login_Outcome::granted;
}

bool Session::set_layout(int panes)
{
    return put_property(control, L"ScreenMode", Variant(panes)) == S_OK && layout() == panes;
}

int Session::layout() const
{
    return number_of(control, L"ScreenMode");
}

int Session::active_pane() const
{
    return number_of(control, L"current_screen_num");
}

// A script sees no S_FALSE: the active pane's number tells whether it took.
bool Session::activate(int pane)
{
    Variant index(pane);
    return SUCCEEDED(call_method(control, L"active_nth_screen", {&index})) && active_pane() == pane;
}

bool Session::open(int channel, Control_Error* error)
{
    return open_stream(address, user, password, channel, error);
}

bool Session::open_stream(const std::wstring& url, const std::wstring& stream_user,
                          const std::wstring& stream_password, int channel, Control_Error* error)
{
    // A pane that shows a stream would keep it under the new number.
    if (number_of(control, L"current_active_ch") != -1)
        close_active();
    Variant user_arg(stream_user.c_str()), password_arg(stream_password.c_str()), server(url.c_str()),
        number(channel);
    // With no channel open this only gives the pane the stream's
    // credentials, empty ones too, so that no earlier stream's login goes
    // to this one; the answer is S_FALSE for the server not asked.
    (void)call_method(control, L"set_usr", {&user_arg, &user_arg, &password_arg});
    // The pane's record tells whether the channel opened.
    (void)call_method(control, L"open_channel", {&server, &number});
    *error = last_error();
    return number_of(control, L"current_active_ch") == channel;
}

void Session::close_active()
{
    Variant handle(0);
    // Always S_OK with the window; the pane's record shows the outcome.
    (void)call_method(control, L"close_channel", {&handle});
}

void Session::close_all()
{
    const int active = active_pane();
    for (int pane = 0; pane < max_panes; ++pane)
        if (activate(pane) && number_of(control, L"current_active_ch") != -1)
            close_active();
    (void)activate(active);  // the operator's pane stays active when it can
}

void Session::start_move(const wchar_t* member)
{
    // A failed move leaves its code in the channel, shown by the status.
    (void)call_method(control, member);
}

void Session::stop_move()
{
    (void)call_method(control, L"ptz_stop");  // as a move: the status shows a failure
}

void Session::set_speed(int speed)
{
    (void)put_property(control, L"ptz_speed", Variant(speed));  // refused only without the PTZ bit
}

std::wstring Session::set_folder(const std::wstring& folder)
{
    Variant path(folder.c_str()), stored;
    if (FAILED(call_method(control, L"set_file_path", {&path})) ||
        FAILED(get_property(control, L"save_filepath", &stored)))
        return std::wstring();
    return stored.text();
}

bool Session::start_recording(Control_Error* error)
{
    Variant handle(0);
    (void)call_method(control, L"start_recorde", {&handle});  // a script's view: the error code tells
    *error = last_error();
    return error->code == 0;
}

void Session::stop_recording()
{
    Variant handle(0);
    (void)call_method(control, L"stop_recorde", {&handle});  // S_OK after the gate
}

bool Session::snapshot(Control_Error* error)
{
    (void)call_method(control, L"capture");  // a script's view: the error code tells
    *error = last_error();
    return error->code == 0;
}

// A script sees no S_FALSE: enable_audio read back tells whether it took.
bool Session::set_sound(bool on)
{
    const int wanted = on ? 1 : 0;
    (void)put_property(control, L"enable_audio", Variant(wanted));  // the read-back tells
    return number_of(control, L"enable_audio") == wanted;
}

// The address of the active pane is read as the viewer gave it: for a
// camera the screen state names only the URL's host.
Pane_Status Session::status(int pane) const
{
    Pane_Status status;
    status.pane = pane;
    const bool active = pane == active_pane();
    const auto opened_address = [&](std::wstring* address) {
        Variant text;
        if (!active || FAILED(get_property(control, L"current_active_ipaddr", &text)))
            return false;
        *address = text.text();
        return true;
    };
    Variant index(pane), info;
    if (SUCCEEDED(call_method(control, L"get_screen_state", {&index})) &&
        SUCCEEDED(get_property(control, L"screen_state_info", &info)) && !info.text().empty()) {
        // "<address>,<channel as one character>"
        const std::wstring text = info.text();
        status.state = Pane_State::live;
        status.channel = text.back();
        if (!opened_address(&status.server))
            status.server = text.substr(0, text.rfind(L','));
        return status;
    }
    status.channel = number_of(control, L"current_active_ch");
    if (status.channel != -1 && opened_address(&status.server))
        status.state = Pane_State::lost;
    return status;
}

Control_Error Session::last_error() const
{
    Control_Error error;
    Variant text;
    if (SUCCEEDED(get_property(control, L"error_msg", &text)))
        error.text = text.text();
    error.code = error_code_of(error.text.c_str());
    return error;
}

std::wstring newest_file(const std::wstring& folder, const wchar_t* pattern)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\" + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return std::wstring();
    std::wstring newest = found.cFileName;
    FILETIME newest_time = found.ftLastWriteTime;
    while (FindNextFileW(search, &found)) {
        if (CompareFileTime(&found.ftLastWriteTime, &newest_time) > 0) {
            newest = found.cFileName;
            newest_time = found.ftLastWriteTime;
        }
    }
    FindClose(search);
    return folder + L"\\" + newest;
}

// What an operator does with the control, each step through its IDispatch
// by name: connect, choose panes and channels, move a camera, record, take
// snapshots, and read back what the active pane is doing.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>

constexpr int max_panes = 16;

// The panes in a row of a layout of `panes` panes (1, 4, 9 or 16): the
// layouts are square grids.
int layout_side(int panes);

// Where a pane stands, as the control tells it.
enum class Pane_State { closed, live, lost };

struct Pane_Status {
    int pane = 0;
    Pane_State state = Pane_State::closed;
    std::wstring server;
    int channel = -1;
};

// The control's last error: its code (0 when none, -1 for a text the
// table does not know) and its own text.
struct Control_Error {
    int code = 0;
    std::wstring text;
};

// What became of a login, as the control tells it.
enum class Login_Outcome {
    granted,
    // Refused with code 10: the DVR refused the user name and password, or
    // the control refused the login that starts its lockout.
    refused,
    // Refused with code 11: the control's lockout refuses every login.
    locked_out,
    // The DVR gave its channel count but the login call failed (code 1).
    failed,
    // The DVR did not give its channel count; no login was sent.
    no_answer,
};

class Session {
public:
    explicit Session(IDispatch* control) : control(control) {}

    // Asks the DVR for its channel count, then logs in; the server, user
    // and channel count are kept when the login holds.
    Login_Outcome connect(const std::wstring& address, const std::wstring& user, const std::wstring& password);
    const std::wstring& server() const { return address; }
    const std::wstring& user_name() const { return user; }
    long privilege() const { return mask; }
    long channel_count() const { return channels; }

    bool set_layout(int panes);
    int layout() const;
    int active_pane() const;
    bool activate(int pane);
    // Opens `channel` of the server in the active pane, closing what it
    // showed first; false with the error when it did not open.
    bool open(int channel, Control_Error* error);
    // The same for a camera: its stream URL, with the pane given the
    // camera's own user and password (empty for none), not the login's.
    bool open_stream(const std::wstring& url, const std::wstring& user, const std::wstring& password, int channel,
                     Control_Error* error);
    void close_active();
    void close_all();

    // Starts the move of a camera command ("ptz_left", ...) or stops it.
    void start_move(const wchar_t* member);
    void stop_move();
    void set_speed(int speed);

    // The folder as the control stores it ("D:/video/"); empty when refused.
    std::wstring set_folder(const std::wstring& folder);
    bool start_recording(Control_Error* error);
    void stop_recording();
    bool snapshot(Control_Error* error);

    // Starts (true) or stops the active pane's sound, silencing any other
    // pane; false when the control refused: no stream, no sound in it, or
    // no sound right.
    bool set_sound(bool on);

    Pane_Status status(int pane) const;
    Control_Error last_error() const;

private:
    IDispatch* control;
    std::wstring address;
    std::wstring user;
    std::wstring password;
    long mask = -1;
    long channels = 0;
};

// The newest file of `folder` that matches `pattern`, as a full path; empty
// when there is none.
std::wstring newest_file(const std::wstring& folder, const wchar_t* pattern);

// The operator's window: the control on the left, the panel of servers and channels,
// layouts, camera and media buttons on the right, the status bar below.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "ax_container.h"
#include "com_ptr.h"
#include "control_wall.h"
#include "full_screen.h"
#include "login_lockout.h"
#include "pane_lines.h"
#include "saved_views.h"
#include "server_panel.h"
#include "session.h"
#include "sound_controls.h"
#include "status_bar.h"
#include "wall_health.h"

class Main_Window {
public:
    Main_Window() = default;
    Main_Window(const Main_Window&) = delete;
    Main_Window& operator=(const Main_Window&) = delete;

    // Creates and shows the window with the control; false (and a message
    // on standard error) when the window or the control cannot be made.
    bool create();
    HWND handle() const { return frame; }
    IDispatch* control_dispatch() const { return control.get(); }

    // What the connect dialog's Connect, --server and --camera do: the
    // server or camera of the address and user of `wanted` joins the list
    // (as `wanted`, for this run only, when it was not in it), with
    // `password`, and is connected (a camera only takes its password) and
    // chosen.
    bool connect_to(const Server_Entry& wanted, const std::wstring& password);
    // What the panel's buttons, the menu and the keys do.
    void command(int id);
    // Opens channels `first` to `last` of the server connected last in
    // panes `first_pane`, `first_pane` + 1, ...
    void open_range(int first, int last, int first_pane = 0);
    void use_folder(const std::wstring& folder);
    // A camera button held down, and released.
    void press(int id);
    void release();
    // Starts the active pane's sound; false, with the reason in the status
    // bar, when the control refused.
    bool start_sound();
    // Runs the window until it is closed; the exit status.
    int run_message_loop();
    // Reads the active pane's state from the control now, for when the
    // viewer has learnt of a change some other way (the outage watch).
    void refresh_status();
    // Shows `text` in the status bar and prints it on standard output.
    void tell(const std::wstring& text);
    // Shows `panes` panes (1, 4, 9 or 16); a refusal is told.
    void on_layout(int panes);

    // The server list and the saved views (server_panel.h, saved_views.h).
    Session& wall_session() { return *session; }
    Server_Panel& server_panel() { return *servers; }
    Saved_Views& saved_views() { return *views; }
    // Logs in the server `id` of the list, asking its password when the
    // viewer has none, and lists its channels; false, with the reason in
    // the status bar, when the login did not hold.
    bool connect_server(int id);
    // Opens `channel` of the server `id` in the active pane, logging in
    // that server again first when the control's last login was another's
    // (the control keeps the rights of its last login only); false with
    // the reason in words.
    bool open_channel_of(int id, int channel, std::wstring* reason);

private:
    static LRESULT CALLBACK window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    static INT_PTR CALLBACK panel_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
    bool create_children();
    void on_size(int width, int height);
    // The panes take what the panel and the status bar leave, or in full
    // screen the whole window.
    void place_children(int width, int height);
    // The least size that shows the whole panel beside some of the panes.
    void on_min_max_info(MINMAXINFO* info) const;
    void on_timer();
    bool pre_translate(MSG* message);
    // The arrow keys, Enter and, in full screen, Esc on the panes; false
    // for any other key and for a key that the focused control takes.
    bool pane_key(const MSG& message);
    void move_active_pane(WPARAM arrow_key);
    // The time logins stay locked, in the status bar, and once over, that
    // they are possible again.
    void show_lockout();
    // The health of the panes shown, in the status bar and, at each
    // change, on standard output.
    void show_wall_health();
    // Each change of a pane's state of `panes` (the health of the panes
    // shown), on standard output.
    void print_pane_changes(const std::vector<Pane_Health>& panes);
    // A click on the health line makes the pane lost longest active.
    void activate_oldest_lost();
    // The panes of `server` are captioned with its name.
    void label_panes_of(const Server_Entry& server);

    void on_connect();
    void on_exit();
    void on_layout_1() { on_layout(1); }
    void on_layout_4() { on_layout(4); }
    void on_layout_9() { on_layout(9); }
    void on_layout_16() { on_layout(16); }
    void on_open();
    void on_open_all();
    void on_close_pane();
    void on_close_all();
    void on_zoom();
    void on_full_screen();
    void on_record();
    void on_snapshot();
    void on_folder();
    void on_recordings();
    void on_help_keys();
    void on_sound();

    bool open_in_active(int server_id, int channel);
    void open_channels(int server_id, int first, int last, int first_pane = 0);
    void stop_recording(int pane);
    void update_title();

    // The server list's commands and the View menu's.
    void on_server_add() { servers->add(); }
    void on_camera_add() { servers->add_camera(); }
    void on_server_edit();
    void on_server_remove() { servers->remove(); }
    void on_server_connect();
    void on_view_save() { views->save(); }
    void on_view_delete() { views->remove(); }
    void on_view_open_last() { views->toggle_open_last(); }
    // A double click in the server list connects a server or opens a channel.
    void on_server_list_double_click();
    // One login of `server` with its password of this run; a refusal is
    // told, naming the server.
    Login_Outcome log_in(Server_Entry& server);
    // The control's last login made the server `id`'s: connected first
    // when it is not, logged in again when another server's login came
    // since.
    bool log_in_for_channels(int id);

    HWND frame = nullptr;
    HWND panel = nullptr;
    Status_Bar status_bar;
    HWND control_host = nullptr;
    HACCEL accelerators = nullptr;
    // The panel's least size in its font, measured once it is made.
    SIZE panel_size = {0, 0};
    Full_Screen full_screen;
    Ax_Container container;
    Com_Ptr<IDispatch> control;
    std::unique_ptr<Session> session;
    std::unique_ptr<Sound_Controls> sound;
    std::unique_ptr<Control_Wall> wall;
    Wall_Health wall_health;
    Pane_Lines pane_lines;
    std::unique_ptr<Server_Panel> servers;
    std::unique_ptr<Saved_Views> views;
    // The server of the control's last login that held; 0 for none.
    int control_login = 0;
    bool connected = false;
    Login_Lockout lockout;
    bool lockout_shown = false;
    std::wstring folder;
    DWORD recording_since[max_panes] = {};
    bool recording[max_panes] = {};
    int moving = 0;
    // The active pane's state as last read from the control: while it is
    // live, read again only when another pane becomes active, after a
    // command, and every few seconds, since each read of a live pane writes
    // a trace pair to the control's log.
    Pane_Status shown_status;
    DWORD status_read_at = 0;
    bool status_stale = true;
};

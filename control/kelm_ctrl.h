// kelm_ctrl: the control object.  It owns the sixteen panes and the current
// split layout while its window exists, the login state with the privilege
// gate, its last error code and the cache of settings values the host reads
// and writes as properties.
//
// Its members live in several files, one group each: kelm_ctrl.cpp
// (construction, the gate, pane ids, window creation), control_window.cpp
// (the window's messages, watch timer, ending from another thread),
// view_members.cpp, channel_members.cpp, file_path_members.cpp,
// login_members.cpp, settings_members.cpp, settings_properties.cpp and
// ptz_members.cpp (the dispatch members their names say).
#pragma once

#include <ctime>
#include <map>
#include <string>
#include <vector>
#include <windows.h>
#include <oleauto.h>

#include <boost/thread/mutex.hpp>

#include "privilege.h"

class Screen;
class Split_Layout;

class kelm_ctrl {
public:
    enum { pane_count = 16, server_address_units = 20 };

    kelm_ctrl();
    ~kelm_ctrl();

    // The control's window: the dialog of template 104 as a child of
    // `parent`.  Null when it cannot be created or already exists.
    HWND create_window(HWND parent);
    void destroy_window();
    HWND window() const { return hwnd; }

    // The last reference to the control went on a thread other than its
    // window's, which alone may destroy the window: the window's thread is
    // asked to destroy it and then to call `done(context)`, which frees the
    // control.  False when there is no live window to hand this to; the
    // caller then frees the control itself.
    typedef void (*End_Callback)(void* context);
    bool end_on_window_thread(End_Callback done, void* context);

    // Dispatch members: split mode and the active pane.
    HRESULT get_ScreenMode(LONG* mode);
    HRESULT put_ScreenMode(LONG mode);
    HRESULT active_nth_screen(SHORT nth);
    HRESULT get_current_screen_num(SHORT* num);
    HRESULT get_screen_state(USHORT num);
    HRESULT get_screen_state_info(BSTR* info);
    HRESULT get_current_active_ch(SHORT* channel);
    HRESULT get_current_active_ipaddr(BSTR* address);

    // Dispatch members: channels of the active pane.  open_channel answers
    // the channel handle (0 to 32767) on success.
    HRESULT open_channel(BSTR svr_ip, LONG channel_index);
    HRESULT close_channel(LONG channel_handle);
    HRESULT start_recorde(LONG channel_handle);
    HRESULT stop_recorde(LONG channel_handle);
    HRESULT capture();

    // Dispatch members: the save directory of recordings and snapshots.
    HRESULT get_save_filepath(BSTR* path);
    HRESULT put_save_filepath(BSTR path);
    HRESULT set_file_path(BSTR fpath);

    // Dispatch members: login, the error text, the server's channel count.
    HRESULT login(BSTR ip, BSTR username, BSTR password);
    HRESULT get_is_login(SHORT* state);
    HRESULT get_privilege(LONG* mask);
    HRESULT get_error_msg(BSTR* message);
    HRESULT get_svr_chnum(BSTR ipaddr);
    HRESULT get_svr_channel_cnt(LONG* count);
    HRESULT get_ver(BSTR* version);

    // Dispatch members: the active pane's user and network settings.
    HRESULT set_usr(BSTR old_usr_name, BSTR usr_name, BSTR usr_pswd);
    HRESULT set_net(LONG net_type, USHORT svr_port, USHORT clt_port, USHORT ttl);

    // Dispatch members that push the settings cache to the active pane's
    // channel or fill it from there.  set_video_para answers the pane's 0
    // or -1.
    HRESULT set_encode();
    HRESULT set_video_para();
    HRESULT set_video_effect();
    HRESULT get_video_effect();
    HRESULT set_ptz();
    HRESULT get_ptz();
    HRESULT set_osdlogo();
    HRESULT get_osdlogo();
    HRESULT get_osd_pos(USHORT* code);
    HRESULT put_osd_pos(USHORT code);

    // Dispatch members: camera moves of the active pane's channel.
    HRESULT ptz_op(LONG dir, LONG range, LONG speed);
    HRESULT ptz_left();
    HRESULT ptz_right();
    HRESULT ptz_up();
    HRESULT ptz_down();
    HRESULT ptz_tele();
    HRESULT ptz_wild();
    HRESULT ptz_near();
    HRESULT ptz_far();
    HRESULT ptz_stop();
    HRESULT ptz_iris(BOOL open);

    // Settings properties: the cache, behind the privilege gate.
    HRESULT get_brightness(USHORT* value);
    HRESULT put_brightness(USHORT value);
    HRESULT get_contrast(USHORT* value);
    HRESULT put_contrast(USHORT value);
    HRESULT get_hue(USHORT* value);
    HRESULT put_hue(USHORT value);
    HRESULT get_saturation(USHORT* value);
    HRESULT put_saturation(USHORT value);
    HRESULT get_video_standard(USHORT* value);
    HRESULT put_video_standard(USHORT value);
    HRESULT get_bitrate(USHORT* value);
    HRESULT put_bitrate(USHORT value);
    HRESULT get_video_format(USHORT* value);
    HRESULT put_video_format(USHORT value);
    HRESULT get_quanlity(USHORT* value);
    HRESULT put_quanlity(USHORT value);
    HRESULT get_enable_audio(LONG* value);
    HRESULT put_enable_audio(LONG value);
    // Ikelm_sound.
    HRESULT get_sound_volume(LONG* volume);
    HRESULT put_sound_volume(LONG volume);
    HRESULT get_sounding_pane(LONG* pane);
    // Ikelm_wall (wall_members.cpp).
    HRESULT get_captions(VARIANT_BOOL* shown);
    HRESULT put_captions(VARIANT_BOOL shown);
    HRESULT label_server(BSTR address, BSTR label);
    HRESULT get_pane_health(LONG pane, LONG* state, LONG* lost_seconds);
    HRESULT get_pane_reason(LONG pane, LONG* kind, BSTR* text);
    HRESULT get_frame_rate(LONG* value);
    HRESULT put_frame_rate(LONG value);
    HRESULT get_ptz_protocol(LONG* value);
    HRESULT put_ptz_protocol(LONG value);
    HRESULT get_ptz_address(LONG* value);
    HRESULT put_ptz_address(LONG value);
    HRESULT get_ptz_speed(LONG* value);
    HRESULT put_ptz_speed(LONG value);
    HRESULT get_ptz_port(USHORT* value);
    HRESULT put_ptz_port(USHORT value);
    HRESULT get_osd_text(BSTR* value);
    HRESULT put_osd_text(BSTR value);
    HRESULT put_logo_filepath(BSTR value);
    HRESULT put_enable_osd_time(BOOL value);
    HRESULT put_enable_osd_date(BOOL value);
    HRESULT get_keyframe(USHORT* value);
    HRESULT put_keyframe(USHORT value);
    HRESULT get_bframe(USHORT* value);
    HRESULT put_bframe(USHORT value);
    HRESULT get_pframe(USHORT* value);
    HRESULT put_pframe(USHORT value);
    HRESULT get_logo_ox(USHORT* value);
    HRESULT put_logo_ox(USHORT value);
    HRESULT get_logo_oy(USHORT* value);
    HRESULT put_logo_oy(USHORT value);
    HRESULT get_logo_lx(USHORT* value);
    HRESULT put_logo_lx(USHORT value);
    HRESULT get_logo_ly(USHORT* value);
    HRESULT put_logo_ly(USHORT value);

    // The clock of the login lockout, in whole seconds; tests replace it so
    // that no test waits out the lockout.  Null restores the real clock.
    typedef time_t (*Clock)();
    void set_lockout_clock(Clock clock);

    // True when the privilege mask holds every bit of `bits`.
    bool check_privilege(unsigned bits) const;
    // Moves the active-pane frame to pane `index` (0 to 15) and makes it the
    // active pane; `active_index` is left to the caller.
    void activate_screen(int index);
    // The dialog item id of 1-based pane number `n`, or -1.
    static int pane_item_id(int n);
    // The size in pixels a new control shows at: the view all controls of
    // the process share, and its frame.
    static SIZE natural_size();

    kelm_ctrl(const kelm_ctrl&) = delete;
    kelm_ctrl& operator=(const kelm_ctrl&) = delete;

private:
    friend struct kelm_ctrl_probe;  // tests look at the state directly

    static INT_PTR CALLBACK dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
    bool handle_message(UINT message, WPARAM wparam, LPARAM lparam, INT_PTR* result);
    void on_init_dialog();
    void on_size(int client_width, int client_height);
    bool on_command(int item, int code);
    INT_PTR on_ctlcolor_static(HDC dc, HWND item);
    void on_watch_timer();
    void on_paint();
    struct End_Request {
        End_Callback done = nullptr;
        void* context = nullptr;
    };
    End_Request on_destroy();
    void release_panes();
    void place_split_controls(int client_width, int extended_height);
    // Brings every pane's caption up to date, or takes them all away while
    // captions are off.
    void update_captions();
    std::wstring server_name(const std::wstring& address) const;
    int pane_index_of_item(int item) const;
    bool allowed(Gated_Member member) const;
    static bool is_openable_address(const wchar_t* address);
    HRESULT service_answer(HRESULT usual) const;
    void reset_pane_record(int index);
    time_t lockout_now() const;
    HRESULT local_login(const wchar_t* username, const wchar_t* password);
    HRESULT ask_server_login(const wchar_t* address, const wchar_t* username, const wchar_t* password);
    HRESULT count_login_refusal();
    HRESULT ptz_move(Gated_Member member, int command);
    void refresh_picture();
    template <class Field, class Value>
    HRESULT read_setting(Gated_Member member, const Field& field, Value* value) const;
    template <class Field, class Value>
    HRESULT write_setting(Gated_Member member, Field& field, Value value);

    HWND hwnd = nullptr;
    bool reconnect_lost_streams = true;  // read when the window is made
    bool captions_shown = false;         // read when the control is made, then as the host puts it
    // The names captions give servers, by address as the host wrote it
    // (upper case); bounded by label_server.
    std::map<std::wstring, std::wstring> server_labels;

    // Ending from another thread (control_window.cpp); the lock guards the
    // three fields below.
    boost::mutex end_lock;
    bool window_alive = false;  // from WM_INITDIALOG to WM_DESTROY
    End_Request end_request;    // asked for by end_on_window_thread

    std::vector<Screen*> screens;
    Split_Layout* layout = nullptr;
    Screen* active_screen = nullptr;
    unsigned short active_index = 0;
    short pane_channel[pane_count];
    std::wstring pane_address[pane_count];  // as the host gave it

    Clock lockout_clock = nullptr;  // null: time()
    long privilege = -1;  // -1: no login has succeeded; every bit allowed
    static const long loudest_sound = 0xFFFF;
    long sound_volume = loudest_sound;  // what a pane's sound plays at, 0 to 65535
    long login_failures = 0;
    time_t lockout_start = 0;
    long error_code = 0;
    long svr_channel_cnt = 0;
    std::wstring screen_state_info;
    std::wstring save_filepath;

    // Settings cache.
    unsigned short brightness = 64;
    unsigned short contrast = 64;
    unsigned short saturation = 64;
    unsigned short hue = 64;
    long frame_rate = 25;
    long bitrate = 786;
    long video_format = 0;
    long quanlity = 0;
    long video_standard = 1;  // server coding 1 or 2; 1 until put or read
    long ptz_protocol = 0;
    long ptz_address = 0;
    long ptz_port = 0;
    long ptz_speed = 0;
    unsigned short keyframe = 0;  // sent as words 0 to 2: 0 keeps the server's value
    unsigned short bframe = 0;
    unsigned short pframe = 0;
    unsigned short logo_ox = 0;
    unsigned short logo_oy = 0;
    unsigned short logo_lx = 50;
    unsigned short logo_ly = 50;
    unsigned short osd_pos = 0;  // matches the logo origin 0, 0
    unsigned char enable_osd_time = 0;
    unsigned char enable_osd_date = 0;
    std::wstring osd_text;
    std::wstring logo_filepath;
};

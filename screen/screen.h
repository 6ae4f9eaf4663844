// Screen: one video pane of the control's window.  It places, shows and
// hides its pane, draws the frame that marks the active pane and enlarges the
// pane to the whole view and back.  It also owns the pane's channel, built
// from the pane's parameters by an open and kept until the pane is closed
// (a lost stream keeps it, so its service link goes on answering), and
// forwards every channel operation to it.
//
// The members live in three files: screen.cpp (placement, zoom, frame,
// caption),
// screen_channel.cpp (open, close, parameters, forwarding, the pane's error
// code) and pane_watch.cpp (watching the stream, loss and reconnection).
#pragma once

#include <windows.h>

#include <string>

#include "channel_records.h"
#include "pane_caption.h"
#include "stream_state.h"

class Channel;
class Split_Layout;

// Where a pane's stream stands as the control watches it.  A live stream
// that fails is lost; the control then starts it again by itself
// (reconnecting) until it runs, or until the host closes or reopens the pane.
// A lost or reconnecting pane still has its channel.
enum class Pane_Stream { closed, live, lost, reconnecting };

class Screen {
public:
    explicit Screen(HWND pane);  // hides the pane
    ~Screen();                   // closes the channel

    // Channel side (screen_channel.cpp).  Results are those of the channel;
    // -1 when the pane has no channel.  A failure leaves its code in the
    // pane (see take_last_error).
    int open_channel(const wchar_t* address, int channel_index);  // 1: already open
    int close_channel();                                           // always 0
    int set_net(int server_port, int client_port, int net_type, int ttl);
    int set_usr(const wchar_t* old_user, const wchar_t* user, const wchar_t* password);
    int start_recorde(const wchar_t* directory);
    int stop_recorde();
    int snapshot(const wchar_t* directory);
    int ptz_op(int command, int range, int speed);
    int set_video_para(Video_Para para, int selection);
    int get_video_para(Video_Para* para, int selection);
    int get_video_effect(Video_Effect* effect, int selection);
    int set_video_effect(Video_Effect effect, int selection);
    int set_osdlogo(Osd_Logo logo, int selection);
    int get_osdlogo(Osd_Logo* logo, int selection);
    int set_ptz(int type, int address, int port, int selection);
    int get_ptz(Ptz_Para* para, int selection);
    // Starts the pane's sound at `volume` (0 to 65535).
    int start_audio(long volume);
    // Stops the pane's sound, and its return with a lost stream.
    int stop_audio();
    void set_audio_volume(long volume);
    // True while the pane's sound plays, or would play again once its lost
    // stream is back.
    bool audio_playing() const;
    bool audio_heard() const;
    Channel* channel_handle() const { return channel; }
    const Channel_Param& channel_params() const { return params; }
    // True when the pane's channel plays a stream URL, which has no web service.
    bool plays_stream_url() const;
    bool channel_open() const { return status == Pane_Stream::live; }
    Pane_Stream stream_status() const { return status; }
    // The newest error code of the pane, given once: the code a failed
    // operation left (the channel's, or the operation's own when the channel
    // set none), or 10 for a stream lost and not back since.
    int take_last_error();

    // Watching (pane_watch.cpp), called by the control's timer on the host's thread; never
    // waits on the network.  `now` is a tick count; a lost stream is
    // started again when `reconnect` is on, once its server answers and
    // when `may_start` lets this call spend the time.
    void watch(DWORD now, bool reconnect, bool may_start);
    // True while the pane shows a text of its own instead of video.
    bool notice_shown() const { return !notice.empty(); }
    // Milliseconds since the stream was lost, for a lost or reconnecting
    // pane; 0 otherwise.
    DWORD lost_for(DWORD now) const;
    // Why the stream was lost, while the pane is lost or reconnecting.
    Stream_Reason loss_why() const;
    std::wstring pane_source() const;

    // View side (screen.cpp).

    int hide();
    int show();
    int refresh();  // immediate repaint of any invalid part
    int set_rect(int x, int y, int width, int height);
    int do_draw(int x, int y, int width, int height);
    int zoom(int width, int height);
    int restore();
    int toggle_zoom(Split_Layout& layout);
    int draw_frame(bool active);  // red when active, black otherwise
    // Shows the caption with `source_name` (the server's label or address)
    // while the pane has a channel, and hides it while it has none.
    void show_caption(const std::wstring& source_name);
    void remove_caption();

    HWND window() const { return pane; }
    bool zoomed() const { return zoom_state == zoom_whole_view; }

    Screen(const Screen&) = delete;
    Screen& operator=(const Screen&) = delete;

private:
    enum { zoom_in_cell = 0, zoom_whole_view = 1 };

    Channel* channel = nullptr;  // owned
    Channel_Param built_for;     // what `channel` was built from
    HWND pane;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    int zoom_state = zoom_in_cell;
    Channel_Param params;

    // Building and dropping the channel, and the error code
    // (screen_channel.cpp).
    bool build_channel();
    void drop_channel();
    int settle(int result, int member_code);
    void keep_error(int code, bool from_loss);
    void forget_loss();

    // Watching and reconnection (pane_watch.cpp).
    void end_reconnection();
    void lose(DWORD now, Stream_State state);
    void note_stream_endpoint();
    void try_reconnect(DWORD now);
    void follow_reconnection(DWORD now);
    // `why`: the attempt's own reason, in English; empty when none is known.
    void attempt_failed(DWORD now, Stream_State state, const std::string& why);
    void note_refusal(DWORD now, bool refused);
    void become_live(DWORD now);
    void resume_sound();
    void show_notice(const std::wstring& text);
    void show_lost_notice(DWORD now, bool reconnect);

    Pane_Stream status = Pane_Stream::closed;
    std::wstring record_directory;  // where the pane records; empty when it does not
    bool sound_wanted = false;       // the pane's sound played when its stream was lost
    long sound_volume = 0xFFFF;      // what the pane's sound was started at
    std::wstring notice;            // shown in the pane instead of video
    std::wstring lost_clock;        // local time of the loss, "hh:mm:ss"
    Stream_Reason loss_reason;      // why the stream was lost, while it is not back
    std::string probe_host;         // where the lost stream came from, asked before
    unsigned short probe_port = 0;  // each attempt; empty host: the server's own
    DWORD waiting_since = 0;        // tick of the loss, or of the last attempt's end
    DWORD next_try = 0;             // tick of the next attempt, as the notice tells it
    DWORD live_since = 0;           // tick the stream last became live
    DWORD lost_at = 0;              // tick the stream was lost, while it is not back
    DWORD retry_after = 0;          // no attempt before this tick
    int refusals = 0;               // attempts in a row the server said no to
    DWORD attempt_logged = 0;       // tick of the last attempt written to the log
    bool any_attempt_logged = false;

    Pane_Caption caption;           // shown only while the host asks for captions

    int last_error = 0;             // given once through take_last_error
    bool last_error_is_loss = false;
};

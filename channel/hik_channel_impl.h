// Hik_Channel_Impl: the channel built on the streaming library: the live
// stream into the pane's window, recording, audio, the state report and
// snapshots fetched through the web service.
#pragma once

#include "channel_impl.h"

class Hik_Channel_Impl : public Channel_Impl {
public:
    // `control_window` is handed to the library at start-up.
    Hik_Channel_Impl(const Channel_Param& param, HWND control_window);
    ~Hik_Channel_Impl() override;

    int open_channel() override;
    void pause_stream() override;
    Stream_State resume_stream(const Channel_Param& latest) override;
    Stream_State stream_state() override;
    bool stream_endpoint(std::string* host, unsigned short* port) override;
    Stream_Reason stream_reason() override;
    int close_channel() override;
    int start_recorde(const std::wstring& directory) override;
    int stop_recorde() override;
    int snapshot(const wchar_t* directory) override;
    int start_audio() override;
    int stop_audio() override;
    void set_audio_volume(int volume) override;
    int get_audio_volume() override;
    int ptz_op(int command, int range, int speed) override;
    int set_ptz(int type, int address, int port, int selection) override;
    int get_ptz(Ptz_Para* para, int selection) override;
    int set_video_para(Video_Para para, int selection) override;
    int get_video_para(Video_Para* para, int selection) override;
    int get_video_effect(Video_Effect* effect, int selection) override;
    int set_video_effect(Video_Effect effect, int selection) override;
    int set_caption(Osd_Logo logo, int selection) override;
    int get_osdlogo(Osd_Logo* logo, int selection) override;
    int get_channel_state(Channel_State* state) override;
    int set_usr(const char* old_id, const char* new_id, const char* password) override;
    int take_last_error(int, int) override;
    bool audio_playing() const override { return audio_on; }

private:
    void log_sound_refused() const;
    // `wait`: up to the library's bound for the first picture, as an open
    // does; a stream started again after a loss is followed instead.
    int start_stream(const Channel_Param& source, bool wait, long* handle);
    int check_connect_state(long handle);
    Stream_Reason reason_of(long handle) const;
    void log_reason(long handle) const;  // why an open failed, in English
    int refuse_connection(const char* message);  // code 10, the state's line, -1
    void report_video_signal();
    void set_last_error(int code) { last_error = code; }
    template <class Record>
    int read_record(const char* status_format, int (Web_Service::*read)(int, Record*&), Record* copy,
                    bool log_always = false);
    template <class Call>
    int store_call(const char* status_format, Call call, int* answer);
    template <class Call>
    int store(const char* status_format, Call call);
    bool saved_picture_in(const wchar_t* directory, const unsigned char* bytes, int count);
    int save_shown_picture(const wchar_t* directory);
    bool has_service();

    long stream_handle = -1;
    bool connected = false;
    bool stream_on = false;  // stream_handle names a stream not stopped since
    int para_cache[4] = {};
    int audio_volume = 0;
    bool audio_on = false;  // the library plays one stream's sound at a time
    int last_error = 0;
    Channel_State state_buffer = {};
};

// Channel_Impl: the abstract channel.  It keeps its own copy of the channel
// parameters and the link to the server's web service, and declares every
// channel operation.  Channel is the handle a pane owns; it forwards to its
// implementation.
#pragma once

#include <string>
#include <windows.h>

#include "channel_records.h"
#include "stream_state.h"

class Web_Service;

class Channel_Impl {
public:
    explicit Channel_Impl(const Channel_Param& param);
    virtual ~Channel_Impl();

    virtual int open_channel() = 0;
    // The stream of an open channel can stop while the channel stays open:
    // its service link (snapshots, PTZ, settings) goes on answering.
    // pause_stream stops the stream; resume_stream starts it again with the
    // credentials and ports of `latest` without waiting for it, and answers
    // its first state (connecting or running when it goes on; any other
    // state, and the stream is stopped again).
    virtual void pause_stream() = 0;
    virtual Stream_State resume_stream(const Channel_Param& latest) = 0;
    // The state of the channel's stream; none while the channel is closed
    // or its stream paused.
    virtual Stream_State stream_state() = 0;
    // The host and port the stream plays from (the URL's own, which need
    // not be the server's address and stream port); false while no stream
    // runs or the library cannot tell.
    virtual bool stream_endpoint(std::string* host, unsigned short* port) = 0;
    // Why the stream failed or ended; kind none while it runs or when no
    // stream was started.  Read before pause_stream, which forgets it.
    virtual Stream_Reason stream_reason() = 0;
    virtual int close_channel() = 0;
    virtual int start_recorde(const std::wstring& directory) = 0;
    virtual int stop_recorde() = 0;
    virtual int snapshot(const wchar_t* directory) = 0;
    virtual int start_audio() = 0;
    virtual int stop_audio() = 0;
    virtual void set_audio_volume(int volume) = 0;
    virtual int get_audio_volume() = 0;
    virtual int ptz_op(int command, int range, int speed) = 0;
    virtual int set_ptz(int type, int address, int port, int selection) = 0;
    virtual int get_ptz(Ptz_Para* para, int selection) = 0;
    virtual int set_video_para(Video_Para para, int selection) = 0;
    virtual int get_video_para(Video_Para* para, int selection) = 0;
    virtual int get_video_effect(Video_Effect* effect, int selection) = 0;
    virtual int set_video_effect(Video_Effect effect, int selection) = 0;
    virtual int set_caption(Osd_Logo logo, int selection) = 0;
    virtual int get_osdlogo(Osd_Logo* logo, int selection) = 0;
    virtual int get_channel_state(Channel_State* state) = 0;
    virtual int set_usr(const char* old_id, const char* new_id, const char* password) = 0;
    virtual int take_last_error(int, int) = 0;
    // True while this channel's stream is the one whose sound is played.
    virtual bool audio_playing() const = 0;

    Channel_Impl(const Channel_Impl&) = delete;
    Channel_Impl& operator=(const Channel_Impl&) = delete;

protected:
    // True when the address is a stream URL: no web service stands behind it.
    bool plays_stream_url() const;

    const Channel_Param param;
    Web_Service* web_service = nullptr;  // owned; null when it could not be made
};

class Channel {
public:
    explicit Channel(Channel_Impl* impl) : impl(impl) {}  // takes ownership
    virtual ~Channel();

    virtual int open_channel();
    virtual void pause_stream();
    virtual Stream_State resume_stream(const Channel_Param& latest);
    virtual Stream_State stream_state();
    virtual bool stream_endpoint(std::string* host, unsigned short* port);
    virtual Stream_Reason stream_reason();
    virtual int close_channel();
    virtual int start_recorde(const wchar_t* directory);
    virtual int stop_recorde();
    virtual int snapshot(const wchar_t* directory);
    virtual int set_video_para(Video_Para para, int selection);  // also traced to c:\ocx.txt
    virtual int get_video_para(Video_Para* para, int selection);
    virtual int get_video_effect(Video_Effect* effect, int selection);
    virtual int set_video_effect(Video_Effect effect, int selection);
    virtual int set_caption(Osd_Logo logo, int selection);
    virtual int get_osdlogo(Osd_Logo* logo, int selection);
    virtual int set_ptz(int type, int address, int port, int selection);
    virtual int get_ptz(Ptz_Para* para, int selection);
    virtual int ptz_op(int command, int range, int speed);
    virtual int placeholder();
    virtual int get_channel_state(Channel_State* state);
    virtual int set_usr(const char* old_id, const char* new_id, const char* password);
    virtual int take_last_error(int, int);
    virtual int start_audio();
    virtual int stop_audio();
    virtual void set_audio_volume(int volume);
    virtual bool audio_playing() const;

    Channel(const Channel&) = delete;
    Channel& operator=(const Channel&) = delete;

private:
    Channel_Impl* impl;
};

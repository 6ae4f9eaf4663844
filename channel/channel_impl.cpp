// Channel_Impl's service link, and the Channel handle's forwarding.
#include "channel_impl.h"

#include <cstdio>
#include <new>

#include "logger.h"
#include "method_trace.h"
#include "ocx_log.h"
#include "service_address.h"
#include "service_link.h"
#include "web_service.h"

Channel_Impl::Channel_Impl(const Channel_Param& param) : param(param)
{
    KELM_TRACE("Channel_Impl::Channel_Impl");
    if (plays_stream_url())
        return;  // a camera or other RTSP source: its URL is all there is
    web_service = make_web_service(param.server_ip);
    if (!web_service) {
        Logger::instance().write(log_status, "web service create failure!");
    } else {
        // A trace pair as the status message: entry and exit at once.
        Method_Trace created(__FILE__, "web service create successful!", __LINE__);
    }
}

bool Channel_Impl::plays_stream_url() const
{
    return is_stream_url(param.server_ip.c_str());
}

Channel_Impl::~Channel_Impl()
{
    KELM_TRACE("Channel_Impl::~Channel_Impl");
    delete web_service;
}

Channel::~Channel()
{
    delete impl;
}

int Channel::open_channel() { return impl->open_channel(); }
void Channel::pause_stream() { impl->pause_stream(); }
Stream_State Channel::resume_stream(const Channel_Param& latest) { return impl->resume_stream(latest); }
Stream_State Channel::stream_state() { return impl->stream_state(); }
bool Channel::stream_endpoint(std::string* host, unsigned short* port) { return impl->stream_endpoint(host, port); }
Stream_Reason Channel::stream_reason() { return impl->stream_reason(); }
int Channel::close_channel() { return impl->close_channel(); }

int Channel::start_recorde(const wchar_t* directory)
{
    return impl->start_recorde(directory ? std::wstring(directory) : std::wstring());
}

int Channel::stop_recorde() { return impl->stop_recorde(); }
int Channel::snapshot(const wchar_t* directory) { return impl->snapshot(directory); }

// Each picture change leaves a record of its values (brightness, contrast,
// hue, saturation) in the value trace.
int Channel::set_video_para(Video_Para para, int selection)
{
    char text[256] = {};
    snprintf(text, sizeof text, "%d_%d_%d_%d \n", para.brightness, para.contrast, para.hue,
             para.saturation);
    ocx_log(text);
    return impl->set_video_para(para, selection);
}

int Channel::get_video_para(Video_Para* para, int selection) { return impl->get_video_para(para, selection); }
int Channel::get_video_effect(Video_Effect* effect, int selection) { return impl->get_video_effect(effect, selection); }
int Channel::set_video_effect(Video_Effect effect, int selection) { return impl->set_video_effect(effect, selection); }
int Channel::set_caption(Osd_Logo logo, int selection) { return impl->set_caption(logo, selection); }
int Channel::get_osdlogo(Osd_Logo* logo, int selection) { return impl->get_osdlogo(logo, selection); }

int Channel::set_ptz(int type, int address, int port, int selection)
{
    return impl->set_ptz(type, address, port, selection);
}

int Channel::get_ptz(Ptz_Para* para, int selection) { return impl->get_ptz(para, selection); }
int Channel::ptz_op(int command, int range, int speed) { return impl->ptz_op(command, range, speed); }
int Channel::placeholder() { return 0; }
int Channel::get_channel_state(Channel_State* state) { return impl->get_channel_state(state); }

int Channel::set_usr(const char* old_id, const char* new_id, const char* password)
{
    return impl->set_usr(old_id, new_id, password);
}

int Channel::take_last_error(int a, int b) { return impl->take_last_error(a, b); }
int Channel::start_audio() { return impl->start_audio(); }
int Channel::stop_audio() { return impl->stop_audio(); }
void Channel::set_audio_volume(int volume) { impl->set_audio_volume(volume); }
bool Channel::audio_playing() const { return impl->audio_playing(); }

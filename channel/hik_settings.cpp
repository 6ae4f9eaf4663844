// Hik_Channel_Impl's settings side: camera moves, the PTZ line, encoder and
// on-screen settings on the server through the web service, the picture
// adjustment of the live stream through the library, and the change of a
// user's id and password.
#include "hik_channel_impl.h"

#include <cstring>
#include <cwchar>

#include "streaming_library.h"
#include "logger.h"
#include "method_trace.h"
#include "text_convert.h"
#include "web_service.h"

namespace {

const size_t osd_text_bytes = 512;  // narrow text, at most 511 bytes and the zero
const size_t osd_text_units = sizeof(Osd_Logo::text) / sizeof(wchar_t);

// Selection bits of set_ptz.
const int select_ptz_type = 0x100;
const int select_ptz_address = 0x400;
const int select_ptz_port = 0x800;

// Selection bits of set_caption.
const int select_osd_time = 0x1000000;
const int select_osd_date = 0x2000000;
const int select_osd_text = 0x4000000;
const int select_osd_rect = 0x10000000;

const int ptz_commands[] = {11, 20, 21, 22, 23, 24, 25, 28, 29};

// A command the server knows, or 0.
int accepted_ptz_command(int command)
{
    for (int known : ptz_commands) {
        if (known == command)
            return command;
    }
    return 0;
}

// The video standard as the control reads it: 1, 2 or 4, anything else 1.
int read_standard(int standard)
{
    return standard == 1 || standard == 2 || standard == 4 ? standard : 1;
}

// The resolution as the control reads it: 0 to 7, anything else 0.
int read_resolution(int resolution)
{
    return resolution >= 0 && resolution <= 7 ? resolution : 0;
}

// Releases what the channel's service calls decoded when the operation that
// made them ends, however it ends.
class Results_Scope {
public:
    explicit Results_Scope(Web_Service* service) : service(service) {}
    ~Results_Scope()
    {
        if (service)
            service->release_results();
    }
    Results_Scope(const Results_Scope&) = delete;
    Results_Scope& operator=(const Results_Scope&) = delete;

private:
    Web_Service* service;
};

void log_status_line(const char* format, int status)
{
    Logger::instance().write(log_status, format, status);
}

} // namespace

// Code 1 without a service: a pane playing a stream URL has none, and the
// log says so at each call that needed one.
bool Hik_Channel_Impl::has_service()
{
    if (web_service)
        return true;
    set_last_error(1);
    if (plays_stream_url())
        Logger::instance().write(log_status, "channel %d plays a stream URL and has no web service\n",
                                 param.channel_index);
    return false;
}

// One read of a record from the server into `copy`: code 1 without a
// service or when the call fails, -1 without a code when the answer holds
// no record.  The status line is logged for a failed call, and for every
// call when `log_always` is set.
template <class Record>
int Hik_Channel_Impl::read_record(const char* status_format, int (Web_Service::*read)(int, Record*&),
                                  Record* copy, bool log_always)
{
    if (!has_service())
        return -1;
    Record* answer = nullptr;
    const int status = (web_service->*read)(param.channel_index, answer);
    if (status != 0 || log_always)
        log_status_line(status_format, status);
    if (status != 0) {
        set_last_error(1);
        return -1;
    }
    if (!answer)
        return -1;
    *copy = *answer;
    return 0;
}

// One store call: its status line logged and its status returned, the
// server's answer in `*answer` (-1 when the call failed).
template <class Call>
int Hik_Channel_Impl::store_call(const char* status_format, Call call, int* answer)
{
    *answer = -1;
    const int status = call(*web_service, *answer);
    log_status_line(status_format, status);
    return status;
}

// An operation made of one store call: code 1 without a service, then the
// server's answer, or -1 when the call failed.
template <class Call>
int Hik_Channel_Impl::store(const char* status_format, Call call)
{
    if (!has_service())
        return -1;
    Results_Scope results(web_service);
    int answer = -1;
    return store_call(status_format, call, &answer) == 0 ? answer : -1;
}

int Hik_Channel_Impl::ptz_op(int command, int range, int)
{
    KELM_TRACE("Hik_Channel_Impl::ptz_op");
    if (!connected) {
        Logger::instance().write(log_status, "server is not connect!!");
        return -1;
    }
    // The server takes no speed with a move.
    const int op = accepted_ptz_command(command);
    return store("Hik_Channel_Impl::ptz_op,return is [%d]", [&](Web_Service& service, int& answer) {
        return service.ptzop(param.channel_index, op, range, answer);
    });
}

int Hik_Channel_Impl::set_ptz(int type, int address, int port, int selection)
{
    KELM_TRACE("Hik_Channel_Impl::set_ptz");
    PtzInfo_T info;
    if (selection & select_ptz_address)
        info.ptzaddr = address;
    if (selection & select_ptz_type)
        info.ptztype = type;
    if (selection & select_ptz_port)
        info.port = port;
    return store("set_ptzinfo,return is [%d]\n", [&](Web_Service& service, int& answer) {
        return service.set_ptzinfo(param.channel_index, &info, answer);
    });
}

int Hik_Channel_Impl::get_ptz(Ptz_Para* para, int)
{
    Results_Scope results(web_service);
    PtzInfo_T info;
    if (read_record("get_ptzinfo,return is [%d]\n", &Web_Service::get_ptzinfo, &info, true) != 0 || !para)
        return -1;
    para->values[0] = info.ptztype == 1 ? 1 : 0;
    para->values[1] = info.ptzaddr;
    para->values[2] = info.port;
    return 0;
}

int Hik_Channel_Impl::set_video_para(Video_Para para, int)
{
    KELM_TRACE("Hik_Channel_Impl::set_video_para");
    if (!connected)
        return -1;
    para_cache[0] = para.brightness;
    para_cache[1] = para.saturation;
    para_cache[2] = para.contrast;
    para_cache[3] = para.hue;
    return streaming::MP4_ClientSetVideoPara(stream_handle, 0, para.brightness, para.contrast, para.saturation, para.hue)
               ? 0
               : -1;
}

int Hik_Channel_Impl::get_video_para(Video_Para* para, int)
{
    KELM_TRACE("Hik_Channel_Impl::get_video_para");
    if (!connected || !para)
        return -1;
    if (!streaming::MP4_ClientGetVideoPara(stream_handle, 0, &para_cache[0], &para_cache[2], &para_cache[1], &para_cache[3]))
        return -1;
    para->brightness = para_cache[0];
    para->saturation = para_cache[1];
    para->contrast = para_cache[2];
    para->hue = para_cache[3];
    return 0;
}

int Hik_Channel_Impl::get_video_effect(Video_Effect* effect, int selection)
{
    KELM_TRACE("Hik_Channel_Impl::get_video_effect");
    if (!connected)
        return -1;
    Results_Scope results(web_service);
    IBPMode_T frames;
    VideoQuantify_T quantify;
    ChannelInfo_T channel;
    if (read_record("get_ibpmode,return is [%d]\n", &Web_Service::get_ibpmode, &frames) != 0 ||
        read_record("get_videoquantify,return is [%d]\n", &Web_Service::get_videoquantify, &quantify) != 0 ||
        read_record("get_channelinfo,return is [%d]\n", &Web_Service::get_channelinfo, &channel) != 0)
        return -1;
    if (selection && effect) {
        const int32_t values[10] = {frames.frames_in2i, frames.bframes, frames.pframes, frames.framerate,
                                    channel.coderate, quantify.bq, quantify.pq, quantify.iq,
                                    read_standard(channel.standard), read_resolution(channel.resolution)};
        memcpy(effect->values, values, sizeof values);
    }
    return 0;
}

// Words 0 to 4 replace the server's values only when greater than 0; the
// quantisers, the standard and the resolution always replace them.
static void apply_effect(const Video_Effect& effect, IBPMode_T* frames, ChannelInfo_T* channel,
                         VideoQuantify_T* quantify)
{
    const int32_t* v = effect.values;
    if (v[0] > 0)
        frames->frames_in2i = v[0];
    if (v[1] > 0)
        frames->bframes = v[1];
    if (v[2] > 0)
        frames->pframes = v[2];
    if (v[3] > 0)
        frames->framerate = v[3];
    if (v[4] > 0)
        channel->coderate = v[4];
    channel->standard = v[8];
    channel->resolution = v[9];
    quantify->bq = v[5];
    quantify->pq = v[6];
    quantify->iq = v[7];
}

int Hik_Channel_Impl::set_video_effect(Video_Effect effect, int selection)
{
    KELM_TRACE("Hik_Channel_Impl::set_video_effect");
    if (!connected)
        return -1;
    Results_Scope results(web_service);
    IBPMode_T frames;
    ChannelInfo_T channel;
    VideoQuantify_T quantify;
    if (read_record("get_ibpmode,return is [%d]\n", &Web_Service::get_ibpmode, &frames) != 0 ||
        read_record("get_channelinfo,return is [%d]\n", &Web_Service::get_channelinfo, &channel) != 0 ||
        read_record("get_videoquantify,return is [%d]\n", &Web_Service::get_videoquantify, &quantify) != 0)
        return -1;
    if (selection)
        apply_effect(effect, &frames, &channel, &quantify);

    // All three are sent whatever the earlier ones gave; the last one the
    // server took decides the answer.
    const int channel_index = param.channel_index;
    int result = -1;
    int answer = -1;
    if (store_call("set_ibpmode,return is [%d]\n", [&](Web_Service& service, int& r) {
            return service.set_ibpmode(channel_index, &frames, r);
        }, &answer) == 0)
        result = answer;
    if (store_call("set_channelinfo,return is [%d]\n", [&](Web_Service& service, int& r) {
            return service.set_channelinfo(channel_index, &channel, r);
        }, &answer) == 0)
        result = answer;
    if (store_call("set_videoquantify,return is [%d]\n", [&](Web_Service& service, int& r) {
            return service.set_videoquantify(channel_index, &quantify, r);
        }, &answer) == 0)
        result = answer;
    return result;
}

// The on-screen text of the record as narrow text; false when the record's
// text has no terminating zero or its narrow form exceeds 511 bytes.
static bool osd_text_of(const Osd_Logo& logo, char* narrow)
{
    wchar_t wide[osd_text_units];
    memcpy(wide, logo.text, sizeof wide);
    if (wmemchr(wide, L'\0', osd_text_units) == nullptr)
        return false;
    return wide_to_ansi(wide, narrow, osd_text_bytes) != nullptr;
}

int Hik_Channel_Impl::set_caption(Osd_Logo logo, int selection)
{
    KELM_TRACE("Hik_Channel_Impl::set_caption");
    if (!connected)
        return -1;
    OsdLogo_T record;
    if (selection & select_osd_date)
        record.date = logo.show_date != 0;
    if (selection & select_osd_time)
        record.time = logo.show_time != 0;
    if (selection & select_osd_text) {
        // A text that cannot be sent whole is not sent cut short.
        char narrow[osd_text_bytes];
        if (!osd_text_of(logo, narrow) || record.set_osdmsg(narrow) != 0)
            return -1;
    }
    if (selection & select_osd_rect) {
        record.ox = logo.ox;
        record.oy = logo.oy;
        record.lx = logo.lx;
        record.ly = logo.ly;
    }
    return store("set_osdlogo,return is [%d]", [&](Web_Service& service, int& answer) {
        return service.set_osdlogo(param.channel_index, &record, answer);
    });
}

// Answers 1 when the record was filled.
int Hik_Channel_Impl::get_osdlogo(Osd_Logo* logo, int)
{
    if (!has_service())
        return -1;
    Results_Scope results(web_service);
    OsdLogo_T* answer = nullptr;
    if (web_service->get_osdlogo(param.channel_index, answer) != 0) {
        set_last_error(1);
        return -1;
    }
    if (!answer || !logo)
        return -1;
    log_status_line("get_osdlogo,return is [%d]\n", 1);
    logo->ox = static_cast<uint16_t>(answer->ox);
    logo->oy = static_cast<uint16_t>(answer->oy);
    logo->lx = static_cast<uint16_t>(answer->lx);
    logo->ly = static_cast<uint16_t>(answer->ly);
    logo->show_date = answer->date ? 1 : 0;
    logo->show_time = answer->time ? 1 : 0;
    if (answer->osdmsg) {
        const size_t length = strnlen(answer->osdmsg, osd_text_bytes - 1);
        memcpy(logo->text, answer->osdmsg, length);
        logo->text[length] = 0;
    }
    return 1;
}

// 0 when the server changed the user; -1 when there is no service, the call
// failed or the server refused the change.
int Hik_Channel_Impl::set_usr(const char* old_id, const char* new_id, const char* password)
{
    if (!has_service())
        return -1;
    Results_Scope results(web_service);
    int answer = -1;
    const int status = web_service->idpwd(old_id, new_id, password, answer);
    return status == 0 && answer >= 0 ? 0 : -1;
}

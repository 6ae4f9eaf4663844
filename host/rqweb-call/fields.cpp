/*
 * fields.cpp: tables of the record fields (XML name, member) and the
 * printing and setting done from them.
 */

#include "fields.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

template <class T> struct Field
{
    const char *name;
    int T::*number;
    bool T::*flag;
    char *T::*text;
    int (T::*set_text)(const char *);
};

template <class T> Field<T> number(const char *name, int T::*member)
{
    return Field<T>{name, member, nullptr, nullptr, nullptr};
}
template <class T> Field<T> flag(const char *name, bool T::*member)
{
    return Field<T>{name, nullptr, member, nullptr, nullptr};
}
template <class T> Field<T> text(const char *name, char *T::*member, int (T::*setter)(const char *))
{
    return Field<T>{name, nullptr, nullptr, member, setter};
}

const Field<VideoPara_T> video_fields[] = {
    number("brightness", &VideoPara_T::brightness), number("contrast", &VideoPara_T::contrast),
    number("saturation", &VideoPara_T::saturation), number("hue", &VideoPara_T::hue),
    number("ret", &VideoPara_T::ret)};
const Field<VideoQuantify_T> quantify_fields[] = {
    number("iq", &VideoQuantify_T::iq), number("bq", &VideoQuantify_T::bq), number("pq", &VideoQuantify_T::pq),
    number("ret", &VideoQuantify_T::ret)};
const Field<IBPMode_T> ibp_fields[] = {
    number("frames-in2i", &IBPMode_T::frames_in2i), number("bframes", &IBPMode_T::bframes),
    number("pframes", &IBPMode_T::pframes), number("framerate", &IBPMode_T::framerate),
    number("ret", &IBPMode_T::ret)};
const Field<OsdLogo_T> osd_fields[] = {
    number("ox", &OsdLogo_T::ox), number("oy", &OsdLogo_T::oy), number("lx", &OsdLogo_T::lx),
    number("ly", &OsdLogo_T::ly), flag("date", &OsdLogo_T::date), flag("time", &OsdLogo_T::time),
    text("osdmsg", &OsdLogo_T::osdmsg, &OsdLogo_T::set_osdmsg), number("ret", &OsdLogo_T::ret)};
const Field<PtzInfo_T> ptz_fields[] = {
    number("port", &PtzInfo_T::port), number("ptzaddr", &PtzInfo_T::ptzaddr),
    number("ptztype", &PtzInfo_T::ptztype), number("ptzspeed", &PtzInfo_T::ptzspeed),
    number("ret", &PtzInfo_T::ret)};
const Field<ChannelInfo_T> channel_fields[] = {
    number("channel", &ChannelInfo_T::channel), text("name", &ChannelInfo_T::name, &ChannelInfo_T::set_name),
    number("standard", &ChannelInfo_T::standard), number("coderate", &ChannelInfo_T::coderate),
    number("resolution", &ChannelInfo_T::resolution), number("stream-type", &ChannelInfo_T::stream_type),
    number("ret", &ChannelInfo_T::ret)};
const Field<ServerInfo_T> server_fields[] = {
    number("channel-cnt", &ServerInfo_T::channel_cnt), text("name", &ServerInfo_T::name, &ServerInfo_T::set_name),
    number("svrport", &ServerInfo_T::svrport), number("cltport", &ServerInfo_T::cltport),
    flag("recorde", &ServerInfo_T::recorde), number("ret", &ServerInfo_T::ret)};
const Field<VodInfo_T> vod_fields[] = {
    number("r-chnl", &VodInfo_T::r_chnl), number("flen", &VodInfo_T::flen), number("almlen", &VodInfo_T::almlen),
    number("svdays", &VodInfo_T::svdays)};

template <class T, size_t N> void print_fields(std::FILE *out, const T &record, const Field<T> (&fields)[N])
{
    for (const Field<T> &f : fields) {
        if (f.number)
            std::fprintf(out, "%s=%d\n", f.name, record.*f.number);
        else if (f.flag)
            std::fprintf(out, "%s=%s\n", f.name, record.*f.flag ? "true" : "false");
        else if (record.*f.text)
            std::fprintf(out, "%s=%s\n", f.name, record.*f.text);
        else
            std::fprintf(out, "%s=(null)\n", f.name);
    }
}

template <class T, size_t N> bool set_fields(T &record, const char *assignment, const Field<T> (&fields)[N])
{
    const char *equals = std::strchr(assignment, '=');
    if (!equals)
        return false;
    const size_t length = static_cast<size_t>(equals - assignment);
    const char *value = equals + 1;
    for (const Field<T> &f : fields) {
        if (std::strlen(f.name) != length || std::strncmp(f.name, assignment, length) != 0)
            continue;
        if (f.number)
            return parse_int(value, record.*f.number);
        if (f.flag)
            return parse_bool(value, record.*f.flag);
        return (record.*f.set_text)(value) == 0;
    }
    return false;
}

template <class T, size_t N> const char *names_of(const Field<T> (&fields)[N], char *buffer, size_t size)
{
    buffer[0] = '\0';
    for (const Field<T> &f : fields) {
        if (buffer[0])
            std::strncat(buffer, " ", size - std::strlen(buffer) - 1);
        std::strncat(buffer, f.name, size - std::strlen(buffer) - 1);
    }
    return buffer;
}

char names_buffer[256];

} // namespace

/* Decimal only, an optional minus sign and digits: "010" is ten, and a
   leading space, a plus sign or "0x" are refused rather than guessed at. */
bool parse_int(const char *text, int &value)
{
    const char *digits = *text == '-' ? text + 1 : text;
    if (*digits < '0' || *digits > '9')
        return false;
    char *end = nullptr;
    errno = 0;
    const long long number = std::strtoll(text, &end, 10);
    if (*end || errno || number < INT_MIN || number > INT_MAX)
        return false;
    value = static_cast<int>(number);
    return true;
}

bool parse_bool(const char *text, bool &value)
{
    if (!std::strcmp(text, "true") || !std::strcmp(text, "1"))
        value = true;
    else if (!std::strcmp(text, "false") || !std::strcmp(text, "0"))
        value = false;
    else
        return false;
    return true;
}

void print_record(std::FILE *out, const VideoPara_T &r) { print_fields(out, r, video_fields); }
void print_record(std::FILE *out, const VideoQuantify_T &r) { print_fields(out, r, quantify_fields); }
void print_record(std::FILE *out, const IBPMode_T &r) { print_fields(out, r, ibp_fields); }
void print_record(std::FILE *out, const OsdLogo_T &r) { print_fields(out, r, osd_fields); }
void print_record(std::FILE *out, const PtzInfo_T &r) { print_fields(out, r, ptz_fields); }
void print_record(std::FILE *out, const ChannelInfo_T &r) { print_fields(out, r, channel_fields); }
void print_record(std::FILE *out, const ServerInfo_T &r) { print_fields(out, r, server_fields); }
void print_record(std::FILE *out, const VodInfo_T &r) { print_fields(out, r, vod_fields); }

void print_array(std::FILE *out, const Byte_Array &array)
{
    std::fprintf(out, "count=%d\n", array.__size);
    for (int i = 0; array.__ptr && i < array.__size; ++i)
        std::fprintf(out, "item=%u\n", array.__ptr[i]);
}

void print_array(std::FILE *out, const String_Array &array)
{
    std::fprintf(out, "count=%d\n", array.__size);
    for (int i = 0; array.__ptr && i < array.__size; ++i)
        std::fprintf(out, "item=%s\n", array.__ptr[i] ? array.__ptr[i] : "(null)");
}

bool set_field(VideoPara_T &r, const char *a) { return set_fields(r, a, video_fields); }
bool set_field(VideoQuantify_T &r, const char *a) { return set_fields(r, a, quantify_fields); }
bool set_field(IBPMode_T &r, const char *a) { return set_fields(r, a, ibp_fields); }
bool set_field(OsdLogo_T &r, const char *a) { return set_fields(r, a, osd_fields); }
bool set_field(PtzInfo_T &r, const char *a) { return set_fields(r, a, ptz_fields); }
bool set_field(ChannelInfo_T &r, const char *a) { return set_fields(r, a, channel_fields); }
bool set_field(ServerInfo_T &r, const char *a) { return set_fields(r, a, server_fields); }
bool set_field(VodInfo_T &r, const char *a) { return set_fields(r, a, vod_fields); }

const char *field_names(const VideoPara_T *) { return names_of(video_fields, names_buffer, sizeof names_buffer); }
const char *field_names(const VideoQuantify_T *) { return names_of(quantify_fields, names_buffer, sizeof names_buffer); }
const char *field_names(const IBPMode_T *) { return names_of(ibp_fields, names_buffer, sizeof names_buffer); }
const char *field_names(const OsdLogo_T *) { return names_of(osd_fields, names_buffer, sizeof names_buffer); }
const char *field_names(const PtzInfo_T *) { return names_of(ptz_fields, names_buffer, sizeof names_buffer); }
const char *field_names(const ChannelInfo_T *) { return names_of(channel_fields, names_buffer, sizeof names_buffer); }
const char *field_names(const ServerInfo_T *) { return names_of(server_fields, names_buffer, sizeof names_buffer); }
const char *field_names(const VodInfo_T *) { return names_of(vod_fields, names_buffer, sizeof names_buffer); }

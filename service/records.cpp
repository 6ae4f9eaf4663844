/*
 * records.cpp: construction values of the rqweb records, and the ownership of
 * the one text that OsdLogo_T, ChannelInfo_T and ServerInfo_T each hold.
 *
 * A text-holding record knows the runtime context that owns it through its
 * soap member: null for a record built here (a request), the decoding context
 * for a record the runtime made (a result).  The text is allocated and
 * released through that context when there is one, from the general heap
 * otherwise.  Copies never share the source's context: a copy is the
 * caller's, so its text lives on the heap.
 */

#include "rqwebH.h"

#include <cstdlib>
#include <cstring>

namespace {

/* Copies text into a new block owned by context (or the heap when null). */
char *copy_text(struct soap *context, const char *text)
{
    if (!text)
        return nullptr;
    const size_t size = std::strlen(text) + 1;
    void *block = context ? soap_malloc(context, size) : std::malloc(size);
    if (block)
        std::memcpy(block, text, size);
    return static_cast<char *>(block);
}

/* Releases text by the same rule it was allocated with. */
void release_text(struct soap *context, char *text)
{
    if (!text)
        return;
    if (context)
        soap_dealloc(context, text);
    else
        std::free(text);
}

/* Replaces *slot with a private copy of text; a null text changes nothing. */
int replace_text(struct soap *context, char **slot, const char *text)
{
    if (!text)
        return -1;
    char *copy = copy_text(context, text);
    if (!copy)
        return -1;
    release_text(context, *slot);
    *slot = copy;
    return 0;
}

} // namespace

VideoPara_T::VideoPara_T() : brightness(128), contrast(64), saturation(64), hue(0), ret(0) {}

VideoQuantify_T::VideoQuantify_T() : iq(18), bq(23), pq(18), ret(0) {}

IBPMode_T::IBPMode_T() : frames_in2i(25), bframes(0), pframes(0), framerate(25), ret(0) {}

PtzInfo_T::PtzInfo_T() : port(0), ptzaddr(1), ptztype(0), ptzspeed(0), ret(0) {}

VodInfo_T::VodInfo_T() : r_chnl(255), flen(60), almlen(512), svdays(7) {}

/* ---- OsdLogo_T ------------------------------------------------------------ */

OsdLogo_T::OsdLogo_T()
    : ox(0), oy(0), lx(0), ly(0), date(true), time(true), osdmsg(nullptr), ret(0), soap(nullptr)
{
}

OsdLogo_T::OsdLogo_T(const OsdLogo_T &other)
    : ox(other.ox), oy(other.oy), lx(other.lx), ly(other.ly), date(other.date), time(other.time),
      osdmsg(copy_text(nullptr, other.osdmsg)), ret(other.ret), soap(nullptr)
{
}

OsdLogo_T &OsdLogo_T::operator=(const OsdLogo_T &other)
{
    if (this == &other)
        return *this;
    ox = other.ox;
    oy = other.oy;
    lx = other.lx;
    ly = other.ly;
    date = other.date;
    time = other.time;
    ret = other.ret;
    (void)replace_text(soap, &osdmsg, other.osdmsg); /* a null source keeps our text */
    return *this;
}

OsdLogo_T::~OsdLogo_T()
{
    release_text(soap, osdmsg);
}

int OsdLogo_T::set_osdmsg(const char *text)
{
    return replace_text(soap, &osdmsg, text);
}

/* ---- ChannelInfo_T -------------------------------------------------------- */

/* "channel" is left to the caller, who always fills it before sending; it
   starts at 0 rather than at whatever the memory held. */
ChannelInfo_T::ChannelInfo_T()
    : channel(0), name(nullptr), standard(2), coderate(0xC0000), resolution(0), stream_type(1), ret(0),
      soap(nullptr)
{
}

ChannelInfo_T::ChannelInfo_T(const ChannelInfo_T &other)
    : channel(other.channel), name(copy_text(nullptr, other.name)), standard(other.standard),
      coderate(other.coderate), resolution(other.resolution), stream_type(other.stream_type),
      ret(other.ret), soap(nullptr)
{
}

ChannelInfo_T &ChannelInfo_T::operator=(const ChannelInfo_T &other)
{
    if (this == &other)
        return *this;
    channel = other.channel;
    standard = other.standard;
    coderate = other.coderate;
    resolution = other.resolution;
    stream_type = other.stream_type;
    ret = other.ret;
    (void)replace_text(soap, &name, other.name); /* a null source keeps our text */
    return *this;
}

ChannelInfo_T::~ChannelInfo_T()
{
    release_text(soap, name);
}

int ChannelInfo_T::set_name(const char *text)
{
    return replace_text(soap, &name, text);
}

/* ---- ServerInfo_T --------------------------------------------------------- */

ServerInfo_T::ServerInfo_T()
    : channel_cnt(1), name(nullptr), svrport(12000), cltport(6050), recorde(false), ret(0), soap(nullptr)
{
}

ServerInfo_T::ServerInfo_T(const ServerInfo_T &other)
    : channel_cnt(other.channel_cnt), name(copy_text(nullptr, other.name)), svrport(other.svrport),
      cltport(other.cltport), recorde(other.recorde), ret(other.ret), soap(nullptr)
{
}

ServerInfo_T &ServerInfo_T::operator=(const ServerInfo_T &other)
{
    if (this == &other)
        return *this;
    channel_cnt = other.channel_cnt;
    svrport = other.svrport;
    cltport = other.cltport;
    recorde = other.recorde;
    ret = other.ret;
    (void)replace_text(soap, &name, other.name); /* a null source keeps our text */
    return *this;
}

ServerInfo_T::~ServerInfo_T()
{
    release_text(soap, name);
}

int ServerInfo_T::set_name(const char *text)
{
    return replace_text(soap, &name, text);
}

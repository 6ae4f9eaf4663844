/*
 * rqweb_service.cpp: the 27 operations of the rqweb service as the simulated
 * DVR serves them, through the server skeleton generated from the same
 * definition as the client (service/rqweb.h).
 *
 * Each operation first logs its request and applies the behaviour set for it
 * (answer(), below); when the behaviour is normal it answers from the DVR
 * state: a set stores what a later get returns.  Channels 0 to 255 exist; any
 * other number is answered with a Client fault.
 */

#include "raw_answers.h"
#include "rqweb_namespaces.h"
#include "simulator.h"
#include "snapshot_jpeg.h"

#include "rqwebH.h"

#include <chrono>
#include <cstring>
#include <thread>

#include <unistd.h>

namespace {

/* One connection being served. */
struct Connection
{
    Simulator *sim;
    size_t (*receive)(struct soap *, char *, size_t);
    long trickle_ms; /* pause after each byte sent, for a trickling answer */
    long pace_bytes; /* bytes per second of a paced answer */
    std::string raw; /* the request as received */
    bool logged;
};

Connection &connection_of(struct soap *soap)
{
    return *static_cast<Connection *>(soap->user);
}

Simulator &sim_of(struct soap *soap)
{
    return *connection_of(soap).sim;
}

/* Receives through the runtime's own function, keeping a copy of the bytes. */
size_t capture(struct soap *soap, char *buffer, size_t size)
{
    Connection &connection = connection_of(soap);
    const size_t n = connection.receive(soap, buffer, size);
    connection.raw.append(buffer, n);
    return n;
}

void wait_for_quit(Simulator &sim, int seconds)
{
    for (int i = 0; i < seconds * 10 && !sim.quitting; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
}

int fault(struct soap *soap, const std::string &text)
{
    const size_t space = text.find(' ');
    const std::string code = text.substr(0, space);
    const std::string reason = space == std::string::npos ? "dvr-sim fault" : text.substr(space + 1);
    *soap_faultcode(soap) = soap_strdup(soap, code.c_str());
    *soap_faultstring(soap) = soap_strdup(soap, reason.c_str());
    return SOAP_FAULT;
}

/* Sends the answer the skeleton writes one byte at a time, pausing after
   each, until it is all sent, the client has gone or the simulator quits. */
int trickle(struct soap *soap, const char *bytes, size_t size)
{
    Connection &connection = connection_of(soap);
    for (size_t i = 0; i < size; ++i) {
        if (connection.sim->quitting || !send_all(soap->socket, std::string(1, bytes[i])))
            return SOAP_EOF;
        std::this_thread::sleep_for(std::chrono::milliseconds(connection.trickle_ms));
    }
    return SOAP_OK;
}

/* Sends the answer the skeleton writes at the connection's pace: a tenth of
   a second's bytes at a time, until it is all sent, the client has gone or
   the simulator quits. */
int paced(struct soap *soap, const char *bytes, size_t size)
{
    Connection &connection = connection_of(soap);
    const size_t slice = static_cast<size_t>(connection.pace_bytes > 10 ? connection.pace_bytes / 10 : 1);
    auto next = std::chrono::steady_clock::now();
    for (size_t at = 0; at < size; at += slice) {
        std::this_thread::sleep_until(next);
        next += std::chrono::milliseconds(100);
        const size_t n = size - at < slice ? size - at : slice;
        if (connection.sim->quitting || !send_all(soap->socket, std::string(bytes + at, n)))
            return SOAP_EOF;
    }
    return SOAP_OK;
}

/* Logs the request and applies the behaviour set for the operation.  Returns
   -1 when the operation should answer itself (normal, oversize, trickle, pace), else the
   code the operation returns to the skeleton: SOAP_FAULT to have the fault
   sent, SOAP_STOP when the answer has been written here (or never will be). */
int intercept(struct soap *soap, const char *operation, Behaviour &behaviour)
{
    Connection &connection = connection_of(soap);
    connection.sim->log.add(operation, connection.raw);
    connection.logged = true;
    behaviour = connection.sim->behaviours.of(operation);
    switch (behaviour.kind) {
    case Answer_Kind::normal:
    case Answer_Kind::oversize:
        return -1;
    case Answer_Kind::trickle:
        connection.trickle_ms = behaviour.number;
        soap->fsend = trickle;
        return -1;
    case Answer_Kind::pace:
        connection.pace_bytes = behaviour.number;
        soap->fsend = paced;
        return -1;
    case Answer_Kind::fault:
        return fault(soap, behaviour.text);
    case Answer_Kind::hang:
        wait_for_quit(*connection.sim, 60);
        return SOAP_STOP;
    default:
        (void)send_all(soap->socket, generic_answer(operation, behaviour)); /* a client gone is no concern */
        return SOAP_STOP;
    }
}

/* The common frame of every operation: intercept, then work(behaviour). */
template <class Work> int operate(struct soap *soap, const char *operation, Work work)
{
    Behaviour behaviour;
    const int code = intercept(soap, operation, behaviour);
    return code >= 0 ? code : work(behaviour);
}

/* The same for an operation on one channel: work(settings) under the lock. */
template <class Work> int on_channel(struct soap *soap, const char *operation, int channel, Work work)
{
    return operate(soap, operation, [&](const Behaviour &) {
        if (!Dvr_State::valid_channel(channel))
            return soap_sender_fault(soap, "no such channel", nullptr);
        sim_of(soap).state.with_channel(channel, work);
        return SOAP_OK;
    });
}

template <class Work> int on_server(struct soap *soap, const char *operation, Work work)
{
    return operate(soap, operation, [&](const Behaviour &) {
        sim_of(soap).state.with_server(work);
        return SOAP_OK;
    });
}

/* Sends an answer built here and stops the skeleton; through the context's
   send function, so that a trickling answer still trickles. */
int send_raw(struct soap *soap, const std::string &answer)
{
    (void)soap->fsend(soap, answer.data(), answer.size()); /* a client gone is no concern */
    return SOAP_STOP;
}

String_Array *text_array(struct soap *soap, const std::vector<std::string> &texts)
{
    String_Array *array = soap_new_String_Array(soap);
    if (!array)
        return nullptr;
    array->__size = static_cast<int>(texts.size());
    array->__ptr = static_cast<char **>(soap_malloc(soap, sizeof(char *) * (texts.size() + 1)));
    for (size_t i = 0; array->__ptr && i < texts.size(); ++i)
        array->__ptr[i] = soap_strdup(soap, texts[i].c_str());
    return array;
}

std::string text_or_empty(const char *text)
{
    return text ? text : "";
}

std::vector<std::string> vod_files(int channel, int t1, int t2, int minutes)
{
    std::vector<std::string> names;
    const long step = minutes > 0 ? minutes * 60L : 3600L;
    for (long t = t1; t <= t2 && names.size() < 50; t += step)
        names.push_back(std::to_string(t) + "-" + std::to_string(channel) + ".mp4");
    return names;
}

} // namespace

void serve_rqweb(Simulator &sim, int fd)
{
    struct soap *soap = soap_new();
    if (!soap) {
        (void)::close(fd);
        return;
    }
    soap_set_namespaces(soap, rqweb_namespaces);
    soap->recv_timeout = 10;
    soap->send_timeout = 10;
    soap->socket = fd;
    Connection connection{&sim, soap->frecv, 0, 0, std::string(), false};
    soap->user = &connection;
    soap->frecv = capture;
    (void)soap_serve(soap); /* failures have been answered to the client already */
    if (!connection.logged)
        sim.log.add("", connection.raw);
    if (soap_valid_socket(soap->socket))
        (void)::close(soap->socket);
    soap->socket = SOAP_INVALID_SOCKET;
    soap_destroy(soap);
    soap_end(soap);
    soap_free(soap);
}

/* ---- channel settings ----------------------------------------------------- */

int rqweb__get_channelinfo(struct soap *soap, int channel, ChannelInfo_T *&out)
{
    out = soap_new_ChannelInfo_T(soap);
    return on_channel(soap, "get-channelinfo", channel, [&](Channel_Settings &c) {
        out->channel = channel;
        (void)out->set_name(c.name.c_str());
        out->standard = c.standard;
        out->coderate = c.coderate;
        out->resolution = c.resolution;
        out->stream_type = c.stream_type;
        out->ret = 0;
    });
}

int rqweb__set_channelinfo(struct soap *soap, int channel, ChannelInfo_T *in, int &r)
{
    r = in ? 0 : -1;
    return on_channel(soap, "set-channelinfo", channel, [&](Channel_Settings &c) {
        if (!in)
            return;
        if (in->name)
            c.name = in->name;
        c.standard = in->standard;
        c.coderate = in->coderate;
        c.resolution = in->resolution;
        c.stream_type = in->stream_type;
    });
}

int rqweb__get_videopara(struct soap *soap, int channel, VideoPara_T *&out)
{
    out = soap_new_VideoPara_T(soap);
    return on_channel(soap, "get-videopara", channel, [&](Channel_Settings &c) {
        out->brightness = c.brightness;
        out->contrast = c.contrast;
        out->saturation = c.saturation;
        out->hue = c.hue;
        out->ret = 0;
    });
}

int rqweb__set_videopara(struct soap *soap, int channel, VideoPara_T *in, int &r)
{
    r = in ? 0 : -1;
    return on_channel(soap, "set-videopara", channel, [&](Channel_Settings &c) {
        if (!in)
            return;
        c.brightness = in->brightness;
        c.contrast = in->contrast;
        c.saturation = in->saturation;
        c.hue = in->hue;
    });
}

int rqweb__get_videoquantify(struct soap *soap, int channel, VideoQuantify_T *&out)
{
    out = soap_new_VideoQuantify_T(soap);
    return on_channel(soap, "get-videoquantify", channel, [&](Channel_Settings &c) {
        out->iq = c.iq;
        out->bq = c.bq;
        out->pq = c.pq;
        out->ret = 0;
    });
}

int rqweb__set_videoquantify(struct soap *soap, int channel, VideoQuantify_T *in, int &r)
{
    r = in ? 0 : -1;
    return on_channel(soap, "set-videoquantify", channel, [&](Channel_Settings &c) {
        if (!in)
            return;
        c.iq = in->iq;
        c.bq = in->bq;
        c.pq = in->pq;
    });
}

int rqweb__get_ibpmode(struct soap *soap, int channel, IBPMode_T *&out)
{
    out = soap_new_IBPMode_T(soap);
    return on_channel(soap, "get-ibpmode", channel, [&](Channel_Settings &c) {
        out->frames_in2i = c.frames_in2i;
        out->bframes = c.bframes;
        out->pframes = c.pframes;
        out->framerate = c.framerate;
        out->ret = 0;
    });
}

int rqweb__set_ibpmode(struct soap *soap, int channel, IBPMode_T *in, int &r)
{
    r = in ? 0 : -1;
    return on_channel(soap, "set-ibpmode", channel, [&](Channel_Settings &c) {
        if (!in)
            return;
        c.frames_in2i = in->frames_in2i;
        c.bframes = in->bframes;
        c.pframes = in->pframes;
        c.framerate = in->framerate;
    });
}

int rqweb__get_osdlogo(struct soap *soap, int channel, OsdLogo_T *&out)
{
    out = soap_new_OsdLogo_T(soap);
    return on_channel(soap, "get-osdlogo", channel, [&](Channel_Settings &c) {
        out->ox = c.ox;
        out->oy = c.oy;
        out->lx = c.lx;
        out->ly = c.ly;
        out->date = c.date;
        out->time = c.time;
        (void)out->set_osdmsg(c.osdmsg.c_str());
        out->ret = 0;
    });
}

int rqweb__set_osdlogo(struct soap *soap, int channel, OsdLogo_T *in, int &r)
{
    r = in ? 0 : -1;
    return on_channel(soap, "set-osdlogo", channel, [&](Channel_Settings &c) {
        if (!in)
            return;
        c.ox = in->ox;
        c.oy = in->oy;
        c.lx = in->lx;
        c.ly = in->ly;
        c.date = in->date;
        c.time = in->time;
        if (in->osdmsg)
            c.osdmsg = in->osdmsg;
    });
}

int rqweb__get_ptzinfo(struct soap *soap, int channel, PtzInfo_T *&out)
{
    out = soap_new_PtzInfo_T(soap);
    return on_channel(soap, "get-ptzinfo", channel, [&](Channel_Settings &c) {
        out->port = c.port;
        out->ptzaddr = c.ptzaddr;
        out->ptztype = c.ptztype;
        out->ptzspeed = c.ptzspeed;
        out->ret = 0;
    });
}

int rqweb__set_ptzinfo(struct soap *soap, int channel, PtzInfo_T *in, int &r)
{
    r = in ? 0 : -1;
    return on_channel(soap, "set-ptzinfo", channel, [&](Channel_Settings &c) {
        if (!in)
            return;
        c.port = in->port;
        c.ptzaddr = in->ptzaddr;
        c.ptztype = in->ptztype;
        c.ptzspeed = in->ptzspeed;
    });
}

int rqweb__ptzop(struct soap *soap, int channel, int op, int range, int &r)
{
    r = 0;
    return on_channel(soap, "ptzop", channel, [&](Channel_Settings &c) {
        c.last_ptz_op = op;
        c.last_ptz_range = range;
        c.ptz.command(op, ptz_clock_ms());
    });
}

int rqweb__setptzlogo(struct soap *soap, int channel, Byte_Array *logo, int x, int y, int &r)
{
    r = 0;
    return on_channel(soap, "setptzlogo", channel, [&](Channel_Settings &c) {
        c.logo_bytes = logo ? logo->__size : -1;
        c.logo_x = x;
        c.logo_y = y;
    });
}

int rqweb__videosignal(struct soap *soap, int channel, bool &r)
{
    return on_channel(soap, "videosignal", channel, [&](Channel_Settings &c) { r = c.signal; });
}

/* ---- pictures and recordings ---------------------------------------------- */

int rqweb__snapshot(struct soap *soap, int channel, Byte_Array *&out)
{
    return operate(soap, "snapshot", [&](const Behaviour &behaviour) {
        if (!Dvr_State::valid_channel(channel))
            return soap_sender_fault(soap, "no such channel", nullptr);
        Dvr_State &state = sim_of(soap).state;
        const std::string jpeg = snapshot_jpeg(state, channel, state.snapshot_bytes());
        (void)out; /* the answer is written directly, as the generated code would write it */
        return send_raw(soap, behaviour.kind == Answer_Kind::oversize
                                  ? byte_array_answer("snapshot", jpeg, behaviour.number)
                                  : snapshot_answer(jpeg));
    });
}

int rqweb__get_vodflist(struct soap *soap, int channel, int t1, int t2, String_Array *&out)
{
    return operate(soap, "get-vodflist", [&](const Behaviour &behaviour) {
        if (!Dvr_State::valid_channel(channel))
            return soap_sender_fault(soap, "no such channel", nullptr);
        const int minutes = sim_of(soap).state.with_server([](Server_Settings &s) { return s.flen; });
        const std::vector<std::string> names = vod_files(channel, t1, t2, minutes);
        if (behaviour.kind == Answer_Kind::oversize)
            return send_raw(soap, text_array_answer("get-vodflist", names, behaviour.number));
        out = text_array(soap, names);
        return out ? SOAP_OK : SOAP_EOM;
    });
}

int rqweb__get_vcardsn(struct soap *soap, String_Array *&out)
{
    return operate(soap, "get-vcardsn", [&](const Behaviour &behaviour) {
        const std::vector<std::string> serials =
            sim_of(soap).state.with_server([](Server_Settings &s) { return s.vcard_serials; });
        if (behaviour.kind == Answer_Kind::oversize)
            return send_raw(soap, text_array_answer("get-vcardsn", serials, behaviour.number));
        out = text_array(soap, serials);
        return out ? SOAP_OK : SOAP_EOM;
    });
}

int rqweb__set_vodflen(struct soap *soap, int len, int &r)
{
    r = 0;
    return on_server(soap, "set-vodflen", [&](Server_Settings &s) { s.flen = len; });
}

/* ---- server settings ------------------------------------------------------ */

int rqweb__get_serverinfo(struct soap *soap, ServerInfo_T *&out)
{
    out = soap_new_ServerInfo_T(soap);
    return on_server(soap, "get-serverinfo", [&](Server_Settings &s) {
        out->channel_cnt = s.channel_cnt;
        (void)out->set_name(s.name.c_str());
        out->svrport = s.svrport;
        out->cltport = s.cltport;
        out->recorde = s.recorde;
        out->ret = 0;
    });
}

int rqweb__set_serverinfo(struct soap *soap, ServerInfo_T *in, int &r)
{
    r = in ? 0 : -1;
    return on_server(soap, "set-serverinfo", [&](Server_Settings &s) {
        if (!in)
            return;
        s.channel_cnt = in->channel_cnt;
        if (in->name)
            s.name = in->name;
        s.svrport = in->svrport;
        s.cltport = in->cltport;
        s.recorde = in->recorde;
    });
}

int rqweb__get_vodinfo(struct soap *soap, VodInfo_T *&out)
{
    out = soap_new_VodInfo_T(soap);
    return on_server(soap, "get-vodinfo", [&](Server_Settings &s) {
        out->r_chnl = s.r_chnl;
        out->flen = s.flen;
        out->almlen = s.almlen;
        out->svdays = s.svdays;
    });
}

int rqweb__set_vodinfo(struct soap *soap, VodInfo_T *in, int &r)
{
    r = in ? 0 : -1;
    return on_server(soap, "set-vodinfo", [&](Server_Settings &s) {
        if (!in)
            return;
        s.r_chnl = in->r_chnl;
        s.flen = in->flen;
        s.almlen = in->almlen;
        s.svdays = in->svdays;
    });
}

/* ---- users ---------------------------------------------------------------- */

int rqweb__logon(struct soap *soap, char *usrid, char *usrpwd, int &r)
{
    return operate(soap, "logon", [&](const Behaviour &) {
        r = sim_of(soap).state.logon(text_or_empty(usrid), text_or_empty(usrpwd));
        return SOAP_OK;
    });
}

int rqweb__idpwd(struct soap *soap, char *oldid, char *newid, char *newpwd, int &r)
{
    return operate(soap, "idpwd", [&](const Behaviour &) {
        r = oldid && newid ? sim_of(soap).state.change_user(oldid, newid, text_or_empty(newpwd)) : -1;
        return SOAP_OK;
    });
}

int rqweb__addusr(struct soap *soap, char *usrid, char *usrpwd, int op, int &r)
{
    return operate(soap, "addusr", [&](const Behaviour &) {
        r = usrid ? sim_of(soap).state.add_user(usrid, text_or_empty(usrpwd), op) : -1;
        return SOAP_OK;
    });
}

int rqweb__rmusr(struct soap *soap, char *usrid, int &r)
{
    return operate(soap, "rmusr", [&](const Behaviour &) {
        r = usrid ? sim_of(soap).state.remove_user(usrid) : -1;
        return SOAP_OK;
    });
}

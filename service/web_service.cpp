/*
 * web_service.cpp: the Web_Service proxy.  Every method is the one call
 * pattern below applied to the operation's generated call function, with the
 * empty SOAPAction.
 */

#include "web_service.h"

#include "call_guard.h"
#include "rqweb_namespaces.h"
#include "service_address.h"
#include "socket_transport.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace {

char *copy_endpoint(const char *endpoint)
{
    if (!endpoint)
        return nullptr;
    const size_t size = std::strlen(endpoint) + 1;
    char *copy = static_cast<char *>(std::malloc(size));
    if (copy)
        std::memcpy(copy, endpoint, size);
    return copy;
}

/* The generated call functions take texts as char * but only read them. */
char *text(const char *value)
{
    return const_cast<char *>(value);
}

} // namespace

Web_Service::Web_Service(const char *endpoint_)
    : soap(soap_new()), endpoint(copy_endpoint(endpoint_)), guard(nullptr)
{
    if (!soap)
        return;
    soap_set_namespaces(soap, rqweb_namespaces);
    use_socket_transport(soap);
    guard = new (std::nothrow) Call_Guard(soap);
}

Web_Service::~Web_Service()
{
    if (soap) {
        soap_destroy(soap);
        soap_end(soap);
        soap_free(soap); /* finalises the context, closing a socket still open */
    }
    delete guard;
    std::free(endpoint);
}

void Web_Service::release_results()
{
    if (!soap)
        return;
    soap_destroy(soap);
    soap_end(soap);
}

/* One call: refuse without a context or without an endpoint that names a
   host (the output untouched), arm the guard, call, and report the guard's
   reading of the result.  The
   generated call function resets the output once the request has been sent
   and sets it only from a complete answer. */
template <class Invoke>
int Web_Service::call(const char *operation, Invoke invoke)
{
    if (!soap || !guard)
        return SOAP_EOM;
    if (!is_service_endpoint(endpoint))
        return ws_no_connection;
    guard->arm(operation);
    return guard->outcome(invoke());
}

int Web_Service::get_channelinfo(int channel, ChannelInfo_T *&out)
{
    return call("get-channelinfo", [&] { return soap_call_rqweb__get_channelinfo(soap, endpoint, "", channel, out); });
}

int Web_Service::set_channelinfo(int channel, ChannelInfo_T *in, int &r)
{
    return call("set-channelinfo", [&] { return soap_call_rqweb__set_channelinfo(soap, endpoint, "", channel, in, r); });
}

int Web_Service::get_serverinfo(ServerInfo_T *&out)
{
    return call("get-serverinfo", [&] { return soap_call_rqweb__get_serverinfo(soap, endpoint, "", out); });
}

int Web_Service::set_serverinfo(ServerInfo_T *in, int &r)
{
    return call("set-serverinfo", [&] { return soap_call_rqweb__set_serverinfo(soap, endpoint, "", in, r); });
}

int Web_Service::get_videopara(int channel, VideoPara_T *&out)
{
    return call("get-videopara", [&] { return soap_call_rqweb__get_videopara(soap, endpoint, "", channel, out); });
}

int Web_Service::set_videopara(int channel, VideoPara_T *in, int &r)
{
    return call("set-videopara", [&] { return soap_call_rqweb__set_videopara(soap, endpoint, "", channel, in, r); });
}

int Web_Service::get_videoquantify(int channel, VideoQuantify_T *&out)
{
    return call("get-videoquantify", [&] { return soap_call_rqweb__get_videoquantify(soap, endpoint, "", channel, out); });
}

int Web_Service::set_videoquantify(int channel, VideoQuantify_T *in, int &r)
{
    return call("set-videoquantify", [&] { return soap_call_rqweb__set_videoquantify(soap, endpoint, "", channel, in, r); });
}

int Web_Service::get_ibpmode(int channel, IBPMode_T *&out)
{
    return call("get-ibpmode", [&] { return soap_call_rqweb__get_ibpmode(soap, endpoint, "", channel, out); });
}

int Web_Service::set_ibpmode(int channel, IBPMode_T *in, int &r)
{
    return call("set-ibpmode", [&] { return soap_call_rqweb__set_ibpmode(soap, endpoint, "", channel, in, r); });
}

int Web_Service::get_osdlogo(int channel, OsdLogo_T *&out)
{
    return call("get-osdlogo", [&] { return soap_call_rqweb__get_osdlogo(soap, endpoint, "", channel, out); });
}

int Web_Service::set_osdlogo(int channel, OsdLogo_T *in, int &r)
{
    return call("set-osdlogo", [&] { return soap_call_rqweb__set_osdlogo(soap, endpoint, "", channel, in, r); });
}

int Web_Service::get_ptzinfo(int channel, PtzInfo_T *&out)
{
    return call("get-ptzinfo", [&] { return soap_call_rqweb__get_ptzinfo(soap, endpoint, "", channel, out); });
}

int Web_Service::set_ptzinfo(int channel, PtzInfo_T *in, int &r)
{
    return call("set-ptzinfo", [&] { return soap_call_rqweb__set_ptzinfo(soap, endpoint, "", channel, in, r); });
}

int Web_Service::snapshot(int channel, Byte_Array *&out)
{
    return call("snapshot", [&] { return soap_call_rqweb__snapshot(soap, endpoint, "", channel, out); });
}

int Web_Service::ptzop(int channel, int op, int range, int &r)
{
    return call("ptzop", [&] { return soap_call_rqweb__ptzop(soap, endpoint, "", channel, op, range, r); });
}

int Web_Service::setptzlogo(int channel, Byte_Array *logo, int x, int y, int &r)
{
    return call("setptzlogo", [&] { return soap_call_rqweb__setptzlogo(soap, endpoint, "", channel, logo, x, y, r); });
}

int Web_Service::set_vodflen(int len, int &r)
{
    return call("set-vodflen", [&] { return soap_call_rqweb__set_vodflen(soap, endpoint, "", len, r); });
}

int Web_Service::get_vodflist(int channel, int t1, int t2, String_Array *&out)
{
    return call("get-vodflist", [&] { return soap_call_rqweb__get_vodflist(soap, endpoint, "", channel, t1, t2, out); });
}

int Web_Service::idpwd(const char *oldid, const char *newid, const char *newpwd, int &r)
{
    return call("idpwd", [&] { return soap_call_rqweb__idpwd(soap, endpoint, "", text(oldid), text(newid), text(newpwd), r); });
}

int Web_Service::addusr(const char *usrid, const char *usrpwd, int op, int &r)
{
    return call("addusr", [&] { return soap_call_rqweb__addusr(soap, endpoint, "", text(usrid), text(usrpwd), op, r); });
}

int Web_Service::rmusr(const char *usrid, int &r)
{
    return call("rmusr", [&] { return soap_call_rqweb__rmusr(soap, endpoint, "", text(usrid), r); });
}

int Web_Service::logon(const char *usrid, const char *usrpwd, int &r)
{
    return call("logon", [&] { return soap_call_rqweb__logon(soap, endpoint, "", text(usrid), text(usrpwd), r); });
}

int Web_Service::get_vcardsn(String_Array *&out)
{
    return call("get-vcardsn", [&] { return soap_call_rqweb__get_vcardsn(soap, endpoint, "", out); });
}

int Web_Service::videosignal(int channel, bool &r)
{
    return call("videosignal", [&] { return soap_call_rqweb__videosignal(soap, endpoint, "", channel, r); });
}

int Web_Service::set_vodinfo(VodInfo_T *in, int &r)
{
    return call("set-vodinfo", [&] { return soap_call_rqweb__set_vodinfo(soap, endpoint, "", in, r); });
}

int Web_Service::get_vodinfo(VodInfo_T *&out)
{
    return call("get-vodinfo", [&] { return soap_call_rqweb__get_vodinfo(soap, endpoint, "", out); });
}

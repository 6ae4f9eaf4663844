/*
 * web_service.h: Web_Service, the client of the rqweb web service that every
 * DVR server offers at "http://" + address + ":8000".
 *
 * One proxy owns one runtime context.  Each method makes one call (one TCP
 * connection, closed before the method returns) and returns a code: 0 on
 * success, otherwise one of the codes below.  Records and arrays a call
 * decodes belong to the proxy: they stay valid across later calls until
 * release_results() or the proxy's destruction, so a caller copies what it
 * needs and then releases them when its own operation has finished.
 *
 * Every call is bounded: 5 s to connect (a refused connection returns 25 at
 * once), 5 s for each send, and 5 s for the whole call plus a share of a
 * second for every byte of the answer received at 64 KiB/s (an answer that
 * keeps coming that fast is read to its end; one that stops or trickles is
 * cut off at the bound), answers of at most 32 MiB (a
 * snapshot picture of 1 MiB encoded one element per byte fits), arrays of at
 * most 2 Mi items, elements nested at most 64 deep, at most 4,096 elements
 * with an id or href.  A call cut off by a time bound returns -1, as one
 * whose server closed the connection early.
 *
 * Memory is bounded by the answer: during a call the runtime may allocate
 * 2 MiB plus twice the bytes received so far, at most 32 MiB; past that the
 * call fails with 20.  A declared array size is believed only as the
 * runtime reads it, up to 2 Mi items, as far as the rest of the announced
 * body can hold items and the budget can pay for them; otherwise the items
 * are read one by one.  Nothing is built for a body element after
 * the response that no reference names (the call fails with 3), nor for an
 * element inside it that only its id would have kept.
 *
 * The answer must be HTTP/1.x with a status from 100 to 599 and a plain
 * Content-Length (or none): anything else fails with 29.  Nothing past the
 * Content-Length is read, and a body shorter than it fails with -1.
 *
 * The endpoint must be "http://HOST[:PORT...]" (service_address.h); any
 * other is refused with 25 before anything is opened.
 */
#ifndef KELM_SERVICE_WEB_SERVICE_H
#define KELM_SERVICE_WEB_SERVICE_H

#include "rqwebH.h"

/* What a call returns.  Codes that are not listed are the runtime's own
   codes for transport, HTTP and XML errors: 4 for a type error (also a
   result or referenced element whose xsi:type is not the expected type, and
   text inside an array), 5 for malformed XML (also a character reference
   to 0 or below), 7 for an array index out of range (also an item beyond
   the declared size), 20 for an answer that needs more memory than its size
   allows, 29 for an answer that is not HTTP/1.x with a readable status line
   and Content-Length, ... */
enum Web_Service_Code {
    ws_ok = 0,
    ws_client_fault = 1,       /* fault "SOAP-ENV:Client" or "SOAP-ENV:Sender" */
    ws_server_fault = 2,       /* fault "SOAP-ENV:Server" or "SOAP-ENV:Receiver" */
    ws_no_response = 3,        /* the body held neither the response nor a fault, or an
                                  element after the response that no reference names */
    ws_must_understand = 8,    /* fault "SOAP-ENV:MustUnderstand", or such a header entry */
    ws_other_fault = 12,       /* fault with any other faultcode */
    ws_empty_answer = 14,      /* status 200 without a body */
    ws_html_page = 24,         /* an HTML page instead of an envelope */
    ws_no_connection = 25,     /* no TCP connection to the endpoint */
    ws_version_mismatch = 34,  /* fault "SOAP-ENV:VersionMismatch", or a root element that is
                                  neither an envelope nor an HTML page */
    ws_too_large = 45,         /* the answer is larger than the message bound */
    ws_closed_early = -1,      /* the server closed the connection before the answer was complete */
    ws_too_many_references = 60, /* the answer carries more than 4,096 elements with an id or href */
    /* The runtime's codes that would read as one of the codes above are
       reported as 1000 + code: 1024 duplicate id, 1025 missing id (an href
       that names no element), 1034 attachment mismatch. */
    ws_renumbered = 1000,
};
/* Any HTTP status other than 200, 400 and 500 (and another 2xx without a
   body) is returned as its number, 100 to 599. */

class Call_Guard;

class Web_Service
{
public:
    explicit Web_Service(const char *endpoint);
    ~Web_Service();
    Web_Service(const Web_Service &) = delete;
    Web_Service &operator=(const Web_Service &) = delete;

    int get_channelinfo(int channel, ChannelInfo_T *&out);
    int set_channelinfo(int channel, ChannelInfo_T *in, int &r);
    int get_serverinfo(ServerInfo_T *&out);
    int set_serverinfo(ServerInfo_T *in, int &r);
    int get_videopara(int channel, VideoPara_T *&out);
    int set_videopara(int channel, VideoPara_T *in, int &r);
    int get_videoquantify(int channel, VideoQuantify_T *&out);
    int set_videoquantify(int channel, VideoQuantify_T *in, int &r);
    int get_ibpmode(int channel, IBPMode_T *&out);
    int set_ibpmode(int channel, IBPMode_T *in, int &r);
    int get_osdlogo(int channel, OsdLogo_T *&out);
    int set_osdlogo(int channel, OsdLogo_T *in, int &r);
    int get_ptzinfo(int channel, PtzInfo_T *&out);
    int set_ptzinfo(int channel, PtzInfo_T *in, int &r);
    int snapshot(int channel, Byte_Array *&out);
    int ptzop(int channel, int op, int range, int &r);
    int setptzlogo(int channel, Byte_Array *logo, int x, int y, int &r);
    int set_vodflen(int len, int &r);
    int get_vodflist(int channel, int t1, int t2, String_Array *&out);
    int idpwd(const char *oldid, const char *newid, const char *newpwd, int &r);
    int addusr(const char *usrid, const char *usrpwd, int op, int &r);
    int rmusr(const char *usrid, int &r);
    int logon(const char *usrid, const char *usrpwd, int &r);
    int get_vcardsn(String_Array *&out);
    int videosignal(int channel, bool &r);
    int set_vodinfo(VodInfo_T *in, int &r);
    int get_vodinfo(VodInfo_T *&out);

    /* Deletes every record, array and text the calls have decoded so far and
       returns their memory; pointers handed out before become invalid. */
    void release_results();

    struct soap *soap; /* the context of all calls; owned */
    char *endpoint;    /* copy of the endpoint given at construction; owned */

private:
    template <class Invoke> int call(const char *operation, Invoke invoke);

    Call_Guard *guard;
};

#endif

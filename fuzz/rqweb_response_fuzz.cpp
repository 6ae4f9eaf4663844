/*
 * rqweb_response_fuzz.cpp: libFuzzer target over the client's decoding of
 * answers.  The first byte of an input picks one of the 27 operations; the
 * rest is the whole answer the server sends (HTTP status line, headers,
 * body).  The call goes through Web_Service as callers make it; only the
 * transport is a stand-in: the request is discarded and the answer is read
 * from the input.  Built with AddressSanitizer, so any bad memory access,
 * leak or crash fails the run.  An allocation the C library cannot make
 * returns null here as it does in the product (where the runtime then fails
 * the call), instead of stopping the run.
 */

#include "web_service.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

struct Answer
{
    const uint8_t *data;
    size_t size;
};

Answer answer;

SOAP_SOCKET fake_open(struct soap *, const char *, const char *, int)
{
    return 3; /* any valid number: the stand-in functions below never use it */
}

int fake_send(struct soap *, const char *, size_t)
{
    return SOAP_OK;
}

size_t fake_receive(struct soap *, char *buffer, size_t size)
{
    const size_t n = answer.size < size ? answer.size : size;
    std::memcpy(buffer, answer.data, n);
    answer.data += n;
    answer.size -= n;
    return n;
}

int fake_close(struct soap *, SOAP_SOCKET)
{
    return SOAP_OK;
}

int fake_shutdown(struct soap *, SOAP_SOCKET, int)
{
    return SOAP_OK;
}

/* Calls operation (0 to 26) with plain arguments. */
int call(Web_Service &service, int operation)
{
    int r = 0;
    bool flag = false;
    ChannelInfo_T channel;
    ServerInfo_T server;
    VideoPara_T video;
    VideoQuantify_T quantify;
    IBPMode_T ibp;
    OsdLogo_T osd;
    PtzInfo_T ptz;
    VodInfo_T vod;
    ChannelInfo_T *channel_out = nullptr;
    ServerInfo_T *server_out = nullptr;
    VideoPara_T *video_out = nullptr;
    VideoQuantify_T *quantify_out = nullptr;
    IBPMode_T *ibp_out = nullptr;
    OsdLogo_T *osd_out = nullptr;
    PtzInfo_T *ptz_out = nullptr;
    VodInfo_T *vod_out = nullptr;
    Byte_Array *bytes_out = nullptr;
    String_Array *texts_out = nullptr;
    unsigned char logo_bytes[3] = {1, 2, 3};
    Byte_Array logo;
    logo.__ptr = logo_bytes;
    logo.__size = 3;
    switch (operation) {
    case 0: return service.get_channelinfo(1, channel_out);
    case 1: return service.set_channelinfo(1, &channel, r);
    case 2: return service.get_serverinfo(server_out);
    case 3: return service.set_serverinfo(&server, r);
    case 4: return service.get_videopara(1, video_out);
    case 5: return service.set_videopara(1, &video, r);
    case 6: return service.get_videoquantify(1, quantify_out);
    case 7: return service.set_videoquantify(1, &quantify, r);
    case 8: return service.get_ibpmode(1, ibp_out);
    case 9: return service.set_ibpmode(1, &ibp, r);
    case 10: return service.get_osdlogo(1, osd_out);
    case 11: return service.set_osdlogo(1, &osd, r);
    case 12: return service.get_ptzinfo(1, ptz_out);
    case 13: return service.set_ptzinfo(1, &ptz, r);
    case 14: return service.snapshot(1, bytes_out);
    case 15: return service.ptzop(1, 11, 10, r);
    case 16: return service.setptzlogo(1, &logo, 0, 0, r);
    case 17: return service.set_vodflen(60, r);
    case 18: return service.get_vodflist(1, 0, 3600, texts_out);
    case 19: return service.idpwd("a", "b", "c", r);
    case 20: return service.addusr("a", "b", 1, r);
    case 21: return service.rmusr("a", r);
    case 22: return service.logon("a", "b", r);
    case 23: return service.get_vcardsn(texts_out);
    case 24: return service.videosignal(1, flag);
    case 25: return service.set_vodinfo(&vod, r);
    default: return service.get_vodinfo(vod_out);
    }
}

} // namespace

extern "C" const char *__asan_default_options()
{
    return "allocator_may_return_null=1";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    Web_Service service("http://dvr.invalid:8000");
    if (!service.soap)
        return 0;
    service.soap->fopen = fake_open;
    service.soap->fsend = fake_send;
    service.soap->frecv = fake_receive;
    service.soap->fclosesocket = fake_close;
    service.soap->fshutdownsocket = fake_shutdown;
    answer = Answer{data + 1, size - 1};
    (void)call(service, data[0] % 27); /* any code will do; only safety is checked */
    service.release_results();
    return 0;
}

/*
 * hikclient.h: the interface of the streaming library, hikclient.dll, that
 * the channels stream through.  Every function is __stdcall and exported by
 * its plain name.  Functions answering BOOL report success as non-zero.
 * Exports for tests and benchmarks only are in hikclient_test.h.
 */
#ifndef KELM_HIKCLIENT_H
#define KELM_HIKCLIENT_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

#ifdef HIKCLIENT_BUILDING
#define HIKCLIENT_API __declspec(dllexport)
#else
#define HIKCLIENT_API __declspec(dllimport)
#endif

/* What MP4_ClientStart needs to reach one channel of one server (24 bytes). */
typedef struct Client_Info {
    BYTE channel;          /* server-side channel number (low byte) */
    BYTE link_mode;        /* 1: TCP, the only mode this library speaks */
    BYTE multicast;        /* 0: unicast */
    BYTE padding;
    char *server_ip;       /* dotted address, narrow text */
    char *user_name;       /* stream login, narrow text, at most 39 bytes */
    char *password;        /* stream login, narrow text, at most 39 bytes */
    LONG reserved;         /* 0 */
    HWND display_window;   /* the picture is painted into this window */
} Client_Info;

/* Raw stream data callback; this library never calls it. */
typedef void(CALLBACK *MP4_Data_Callback)(LONG handle, char *data, DWORD size, DWORD user);

/* Connection states answered by MP4_ClientGetState. */
enum {
    HIK_STATE_UNKNOWN_HANDLE = -1,
    HIK_STATE_CONNECTING = 1,
    HIK_STATE_RUNNING = 2,
    HIK_STATE_BROKEN_OFF = 3,
    HIK_STATE_NO_SIGNAL = 4,
    HIK_STATE_UNREACHABLE = 5,
    HIK_STATE_REFUSED = 6
};

HIKCLIENT_API BOOL __stdcall MP4_ClientStartup(UINT message, HWND window);
HIKCLIENT_API BOOL __stdcall MP4_ClientCleanup(void);
HIKCLIENT_API BOOL __stdcall MP4_ClientSetNetPort(WORD server_port, WORD client_port);
HIKCLIENT_API BOOL __stdcall MP4_ClientSetTTL(BYTE ttl);
/* A stream handle at once (the connection is made in the background), or -1
   when the library is not started up or the record is unusable. */
HIKCLIENT_API LONG __stdcall MP4_ClientStart(Client_Info *info, MP4_Data_Callback callback);
/* As MP4_ClientStart, but returns without waiting for the first picture:
   for a caller that starts many streams at once and follows their states. */
HIKCLIENT_API LONG __stdcall HIK_ClientStartNoWait(Client_Info *info);
HIKCLIENT_API BOOL __stdcall MP4_ClientStop(LONG handle);
/* The host (as the URL names it: a dotted address or a name) and the port
   of the URL the stream plays, once it is made from the template; FALSE
   for an unknown handle, before that, or when `host` of `size` bytes is
   too small.  Where to ask whether the stream's server is back. */
HIKCLIENT_API BOOL __stdcall HIK_ClientStreamEndpoint(LONG handle, char *host, DWORD size, WORD *port);
HIKCLIENT_API int __stdcall MP4_ClientGetState(LONG handle);
HIKCLIENT_API BOOL __stdcall MP4_ClientStartCaptureFile(LONG handle, char *path);
HIKCLIENT_API BOOL __stdcall MP4_ClientStopCapture(LONG handle);
HIKCLIENT_API BOOL __stdcall MP4_ClientAudioStart(LONG handle);
HIKCLIENT_API BOOL __stdcall MP4_ClientAudioStop(void);
HIKCLIENT_API BOOL __stdcall MP4_ClientAudioVolume(WORD volume);
/* The codec of the stream's audio track as FFmpeg names it ("pcm_mulaw",
   "pcm_alaw", "aac", ...), or "none" when the stream has none, into `name`
   of `size` bytes; FALSE for an unknown handle, a stream not yet playing,
   or a name that does not fit.  Tells why MP4_ClientAudioStart failed. */
HIKCLIENT_API BOOL __stdcall HIK_ClientAudioCodec(LONG handle, char *name, DWORD size);
HIKCLIENT_API BOOL __stdcall MP4_ClientSetVideoPara(LONG handle, DWORD reserved, int brightness,
                                                    int contrast, int saturation, int hue);
HIKCLIENT_API BOOL __stdcall MP4_ClientGetVideoPara(LONG handle, DWORD reserved, int *brightness,
                                                    int *contrast, int *saturation, int *hue);

#ifdef __cplusplus
}
#endif

#endif

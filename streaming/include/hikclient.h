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
    char *server_ip;       /* the server's address ("HOST" or "HOST:PORT"), or a
                              stream URL ("rtsp://..."), narrow text, at most
                              1023 bytes */
    char *user_name;       /* stream login, narrow text, at most 39 bytes */
    char *password;        /* stream login, narrow text, at most 39 bytes */
    LONG reserved;         /* 0 */
    HWND display_window;   /* the picture is painted into this window */
} Client_Info;

/* Why a stream failed or ended (HIK_ClientStreamEnd). */
enum {
    HIK_END_NONE = 0,           /* still running, or stopped by its caller */
    HIK_END_LOGIN_REFUSED = 1,  /* 401 or 403: wrong user name or password */
    HIK_END_NOT_FOUND = 2,      /* 404 or 454: no such stream at that address */
    HIK_END_UNREACHABLE = 3,    /* name not resolved, connection refused or unanswered, no route */
    HIK_END_UNSUPPORTED = 4,    /* no video track, or a codec or profile not decoded here */
    HIK_END_SERVER_ERROR = 5,   /* a 5xx answer */
    HIK_END_ENDED = 6,          /* the server ended the session or closed the connection */
    HIK_END_SILENT = 7,         /* nothing, or nothing decodable, came for 5 s */
    HIK_END_FAILED = 8          /* another refusal or an answer that could not be used */
};
/* Where in the session it happened. */
enum {
    HIK_STEP_NONE = 0,
    HIK_STEP_CONNECT = 1,
    HIK_STEP_DESCRIBE = 2,
    HIK_STEP_SETUP = 3,
    HIK_STEP_PLAY = 4,
    HIK_STEP_RECEIVE = 5,
    HIK_STEP_DECODE = 6
};
typedef struct HIK_STREAM_END {
    DWORD size;         /* set by the caller: sizeof(HIK_STREAM_END) */
    int kind;           /* HIK_END_* */
    int step;           /* HIK_STEP_* */
    int status;         /* the RTSP status of the refusal, 0 when none */
    char url[256];      /* the URL played, without its login; may be empty */
    char detail[256];   /* the server's or FFmpeg's own words, in English */
} HIK_STREAM_END;

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
/* Why the stream of `handle` failed or ended; kind HIK_END_NONE while it
   connects or runs.  FALSE for an unknown handle or a record whose size is
   not sizeof(HIK_STREAM_END). */
HIKCLIENT_API BOOL __stdcall HIK_ClientStreamEnd(LONG handle, HIK_STREAM_END *end);
/* The last picture the stream of `handle` showed, as a JPEG of its own size,
   into `jpeg` of `size` bytes, its length in `*written`.  FALSE for an
   unknown handle, a stream not running (the picture of a lost stream is not
   live), a picture that could not be encoded, or a buffer too small: then
   `*written` is the size needed and 0 otherwise. */
HIKCLIENT_API BOOL __stdcall HIK_ClientSnapshot(LONG handle, BYTE *jpeg, DWORD size, DWORD *written);
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

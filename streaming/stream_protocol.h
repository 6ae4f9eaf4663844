/*
 * stream_protocol.h: the live-stream wire protocol between the streaming
 * library and the simulated DVR, and the recording file format.  Plain C,
 * little-endian, shared by the Windows library and the Linux server.
 * PROTOCOL.md describes the exchange.
 */
#ifndef KELM_STREAM_PROTOCOL_H
#define KELM_STREAM_PROTOCOL_H

#include <stdint.h>

#define STREAM_PROTOCOL_VERSION 1
#define STREAM_TEXT_BYTES 40
#define STREAM_MAX_SIDE 1024

/* Client to server, once after connecting. */
typedef struct Stream_Login {
    char magic[4];                     /* "KLGN" */
    uint16_t version;                  /* STREAM_PROTOCOL_VERSION */
    uint16_t channel;
    char user_name[STREAM_TEXT_BYTES]; /* zero-filled */
    char password[STREAM_TEXT_BYTES];  /* zero-filled */
} Stream_Login;

enum Stream_Login_Status {
    STREAM_ACCEPTED = 0,
    STREAM_REFUSED = 1,   /* unknown user or wrong password */
    STREAM_NO_CHANNEL = 2, /* the server has no such channel */
    STREAM_NO_SIGNAL = 3   /* accepted, but the channel has no video signal */
};

/* Server to client, the answer to the login. */
typedef struct Stream_Login_Reply {
    char magic[4]; /* "KACK" */
    uint32_t status;
} Stream_Login_Reply;

/* Server to client after an accepted login, once per frame, followed by
   payload_size bytes of pixels: rows top to bottom, 3 bytes a pixel in the
   order blue, green, red. */
typedef struct Stream_Frame_Header {
    char magic[4]; /* "KFRM" */
    uint32_t sequence;
    uint32_t width;
    uint32_t height;
    uint32_t seconds; /* server time, seconds since 1970 */
    uint32_t payload_size;
} Stream_Frame_Header;

/* A recording file: this header, then every frame as received (header and
   payload), from the start of the capture to its end. */
typedef struct Recording_Header {
    char magic[4]; /* "KREC" */
    uint32_t version;
    uint32_t channel;
} Recording_Header;

#ifdef __cplusplus
static_assert(sizeof(Stream_Login) == 88, "login layout");
static_assert(sizeof(Stream_Login_Reply) == 8, "reply layout");
static_assert(sizeof(Stream_Frame_Header) == 24, "frame header layout");
static_assert(sizeof(Recording_Header) == 12, "recording header layout");
#endif

#endif

// The records a channel exchanges with the pane and the control, laid out
// byte for byte as the control's callers expect them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <windows.h>

// What the next channel of a pane is built from.
struct Channel_Param {
    int32_t channel_index = 0;
    int32_t net_type = 0;
    int32_t server_port = 12000;  // low 16 bits used
    int32_t client_port = 6050;   // low 16 bits used
    int32_t ttl = 128;            // low 8 bits used
    bool user_set = false;
    std::wstring server_ip;
    std::wstring user_name;
    std::wstring password;
    HWND display_window = nullptr;
};

// Address and channel of an open stream.
struct Channel_State {
    char server_ip[20];
    int32_t channel_index;
};

// PTZ line settings: type flag, address, port.
struct Ptz_Para {
    int32_t values[3];
};

// Picture adjustment: brightness, saturation, contrast, hue.
struct Video_Para {
    int32_t brightness;
    int32_t saturation;
    int32_t contrast;
    int32_t hue;
};

// Encoder settings: key-frame interval, B frames, P frames, frame rate,
// bit rate, B, P and I quantisers, video standard, resolution.
struct Video_Effect {
    int32_t values[10];
};

#pragma pack(push, 1)
// On-screen display settings.
struct Osd_Logo {
    uint16_t ox;
    uint16_t oy;
    uint16_t lx;
    uint16_t ly;
    uint8_t show_date;
    uint8_t show_time;
    uint8_t text[512];       // wide text to set_caption, narrow from get_osdlogo
    wchar_t logo_path[128];  // filled by the control; unused by the channel
};
#pragma pack(pop)

static_assert(sizeof(Channel_State) == 24, "Channel_State is 24 bytes");
static_assert(offsetof(Channel_State, channel_index) == 20, "channel after the address");
static_assert(sizeof(Ptz_Para) == 12, "three values");
static_assert(sizeof(Video_Para) == 16, "four values");
static_assert(sizeof(Video_Effect) == 40, "ten values");
static_assert(sizeof(Osd_Logo) == 778, "Osd_Logo is 778 bytes");
static_assert(offsetof(Osd_Logo, show_date) == 8 && offsetof(Osd_Logo, text) == 10 &&
                  offsetof(Osd_Logo, logo_path) == 522,
              "Osd_Logo offsets");

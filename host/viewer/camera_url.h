// A camera's stream URL as the operator gives it ("rtsp://[user:password@]
// host[:port]/path"), checked before the control sees it, its login taken
// out so that the URL shown and stored names none.
#pragma once

#include <string>

// The control takes URLs up to this length.
const size_t longest_camera_url = 255;
// A camera's channels, as its channel range gives them.
const int most_camera_channel = 64;

// Whether `address` is a stream URL rather than a DVR's address: any
// "scheme://" is, so that a wrong scheme is refused as a URL.
bool is_stream_url(const std::wstring& address);
// Why `url` cannot be a camera's, as the id of a text (viewer.rc): not
// rtsp://, rtsps://, too long, a space in it, no host; 0 when it can.
unsigned camera_url_problem(const std::wstring& url);
bool has_channel_field(const std::wstring& url);

struct Url_Login {
    std::wstring url;    // without "user:password@"
    bool given = false;  // the URL named a user
    std::wstring user;
    std::wstring password;
};
// The login of `url` taken out of it, "%XX" decoded.
Url_Login split_url_login(const std::wstring& url);

// "A-B" or "A", channels 1 to `most` with A <= B; false otherwise.
bool parse_channel_range(const std::wstring& text, int most, int* first, int* last);

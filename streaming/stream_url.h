// Where a stream is fetched from: the URL template, read from the
// registry at each open, with the server's address, port and channel
// filled in and the login put in front of the host.
#pragma once

#include <cstdint>
#include <string>

// The template used when the registry names none; it fits dvr-sim.
extern const char default_stream_url[];

// The host and port a stream's URL names (554 when it names none).
struct Url_Endpoint {
    std::string host;
    uint16_t port = 554;
};
Url_Endpoint url_endpoint(const std::string& url);
// `url` without the "user:password@" before its host, for logs.
std::string url_without_login(const std::string& url);

// Whether a server address is a stream URL ("rtsp://..."), played as it
// stands, rather than a server whose URL is made from the template.
bool is_url_address(const std::string& server);
// The host a server address names: the URL's host, or "HOST" of "HOST" and
// "HOST:PORT" (the port of the server's web service).
std::string address_host(const std::string& server);

struct Stream_Address {
    std::string url;        // with the login, for the demuxer
    bool udp = false;       // RTP over UDP rather than interleaved in the RTSP connection
};

// `{address}`, `{port}` and `{channel}` of `url_template` filled in; the
// user and password, percent-encoded, put between the scheme and the host.
// Empty when the template has no "scheme://" to put them after.
std::string fill_stream_url(const std::string& url_template, const std::string& address, uint16_t port,
                            unsigned channel, const std::string& user, const std::string& password);

// The template and transport for `server` (as the caller named it, with
// its ":PORT" when it has one): the values StreamUrl and StreamTransport
// under HKEY_CURRENT_USER\Software\kelm\Servers\<server>, else under
// HKEY_CURRENT_USER\Software\kelm, else the defaults (the template above,
// TCP); `{address}` becomes `address`, the server's looked-up address.  A
// stream URL is its own template.
Stream_Address stream_address(const std::string& server, const std::string& address, uint16_t port,
                              unsigned channel, const std::string& user, const std::string& password);

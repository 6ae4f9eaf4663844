#include "stream_url.h"

#include <windows.h>

#include <cstdio>

extern "C" {
#include <libavformat/avformat.h>
}

const char default_stream_url[] = "rtsp://{address}:{port}/live/{channel}";

namespace {

const char settings_key[] = "Software\\kelm";
const DWORD most_value_bytes = 2048;

// Letters, digits and -._~ pass as they are; every other byte is written
// as %XX, so a ':' or '@' of a password cannot be read as part of the URL.
std::string percent_encoded(const std::string& text)
{
    std::string encoded;
    for (unsigned char c : text) {
        if (isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
            encoded += static_cast<char>(c);
        } else {
            char escape[4];
            (void)snprintf(escape, sizeof escape, "%%%02X", c);
            encoded += escape;
        }
    }
    return encoded;
}

void replace_all(std::string& text, const std::string& field, const std::string& value)
{
    for (size_t at = text.find(field); at != std::string::npos; at = text.find(field, at + value.size()))
        text.replace(at, field.size(), value);
}

// A REG_SZ value of HKEY_CURRENT_USER\<key>; empty when missing, of
// another type or too long to be a URL.
std::string registry_text(const std::string& key, const char* name)
{
    char value[most_value_bytes] = {};
    DWORD size = sizeof value - 1;
    if (RegGetValueA(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return std::string();
    return value;
}

// The server's own value, else the one for all servers.
std::string setting_for(const std::string& address, const char* name)
{
    const std::string own = registry_text(std::string(settings_key) + "\\Servers\\" + address, name);
    return own.empty() ? registry_text(settings_key, name) : own;
}

} // namespace

std::string fill_stream_url(const std::string& url_template, const std::string& address, uint16_t port,
                            unsigned channel, const std::string& user, const std::string& password)
{
    std::string url = url_template;
    const size_t scheme_end = url.find("://");
    if (scheme_end == std::string::npos || scheme_end == 0)
        return std::string();
    replace_all(url, "{address}", address);
    replace_all(url, "{port}", std::to_string(port));
    replace_all(url, "{channel}", std::to_string(channel));
    // A template that names its own login keeps it.  Otherwise the login is
    // sent even when both texts are empty: a server that asks for one then
    // hears the empty login, which it may accept.
    const size_t host_end = url.find('/', scheme_end + 3);
    if (url.substr(scheme_end + 3, host_end == std::string::npos ? std::string::npos : host_end - scheme_end - 3)
            .find('@') != std::string::npos)
        return url;
    url.insert(scheme_end + 3, percent_encoded(user) + ":" + percent_encoded(password) + "@");
    return url;
}

Stream_Address stream_address(const std::string& server, const std::string& address, uint16_t port,
                              unsigned channel, const std::string& user, const std::string& password)
{
    std::string url_template = is_url_address(server) ? server : setting_for(server, "StreamUrl");
    if (url_template.empty())
        url_template = default_stream_url;
    Stream_Address result;
    result.url = fill_stream_url(url_template, address, port, channel, user, password);
    result.udp = lstrcmpiA(setting_for(server, "StreamTransport").c_str(), "udp") == 0;
    return result;
}

bool is_url_address(const std::string& server)
{
    return server.find("://") != std::string::npos;
}

std::string address_host(const std::string& server)
{
    return is_url_address(server) ? url_endpoint(server).host : server.substr(0, server.find(':'));
}

Url_Endpoint url_endpoint(const std::string& url)
{
    char host[256] = {};
    int port = -1;
    av_url_split(nullptr, 0, nullptr, 0, host, sizeof host, &port, nullptr, 0, url.c_str());
    Url_Endpoint endpoint;
    endpoint.host = host;
    if (port > 0 && port < 65536)
        endpoint.port = static_cast<uint16_t>(port);
    return endpoint;
}

std::string url_without_login(const std::string& url)
{
    const size_t scheme_end = url.find("://");
    if (scheme_end == std::string::npos)
        return url;
    const size_t host_start = scheme_end + 3;
    const size_t at = url.find('@', host_start);
    const size_t path = url.find('/', host_start);
    if (at == std::string::npos || (path != std::string::npos && at > path))
        return url;
    return url.substr(0, host_start) + url.substr(at + 1);
}

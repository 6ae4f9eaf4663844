/*
 * service_address.cpp: the address and endpoint rules of service_address.h,
 * written once over any character type.
 */

#include "service_address.h"

#include <cstddef>

namespace {

template <class Char> bool is_host_character(Char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-'
           || c == '_';
}

/* Skips a non-empty host; null when there is none. */
template <class Char> const Char *after_host(const Char *text)
{
    const Char *p = text;
    while (is_host_character(*p))
        ++p;
    return p == text ? nullptr : p;
}

/* Skips ":PORT" (1 to 65535, at most five digits); null when text does not
   start with one. */
template <class Char> const Char *after_port(const Char *text)
{
    if (*text != ':')
        return nullptr;
    const Char *p = text + 1;
    long port = 0;
    while (*p >= '0' && *p <= '9' && p - text <= 5)
        port = port * 10 + (*p++ - '0');
    if (p == text + 1 || (*p >= '0' && *p <= '9') || port < 1 || port > 65535)
        return nullptr;
    return p;
}

/* HOST followed by at most max_ports ":PORT" parts (-1: any number), and
   nothing else. */
template <class Char> bool is_host_and_ports(const Char *text, int max_ports)
{
    const Char *p = text ? after_host(text) : nullptr;
    for (int ports = 0; p && *p; ++ports) {
        if (ports == max_ports)
            return false;
        p = after_port(p);
    }
    return p != nullptr;
}

/* Whether text starts with scheme (lower case), in any case. */
template <class Char> bool starts_with_scheme(const Char *text, const char *scheme)
{
    for (const char *s = scheme; *s; ++s, ++text) {
        const Char c = (*text >= 'A' && *text <= 'Z') ? static_cast<Char>(*text - 'A' + 'a') : *text;
        if (c != static_cast<Char>(*s))
            return false;
    }
    return true;
}

const char stream_scheme[] = "rtsp://";
const size_t stream_scheme_units = sizeof stream_scheme - 1;

/* Where the host of a URL's authority starts (after "user:password@"),
   and where the authority ends (the path's '/', or the end). */
size_t authority_end(const std::wstring &url, size_t start)
{
    const size_t slash = url.find(L'/', start);
    return slash == std::wstring::npos ? url.size() : slash;
}

size_t host_start(const std::wstring &url, size_t start)
{
    const size_t at = url.rfind(L'@', authority_end(url, start));
    return at == std::wstring::npos || at < start ? start : at + 1;
}

bool has_space_or_control(const std::wstring &text)
{
    for (wchar_t c : text) {
        if (c <= L' ' || c == 0x7F)
            return true;
    }
    return false;
}

} // namespace

bool is_service_address(const char *address)
{
    return is_host_and_ports(address, 1);
}

bool is_service_address(const wchar_t *address)
{
    return is_host_and_ports(address, 1);
}

bool is_service_endpoint(const char *endpoint)
{
    return endpoint && starts_with_scheme(endpoint, "http://") && is_host_and_ports(endpoint + 7, -1);
}

bool is_stream_url(const wchar_t *address)
{
    if (!address || !starts_with_scheme(address, stream_scheme))
        return false;
    const std::wstring url(address);
    if (url.size() > stream_url_most_units || has_space_or_control(url))
        return false;
    const size_t host = host_start(url, stream_scheme_units);
    return is_host_and_ports(url.substr(host, authority_end(url, host) - host).c_str(), 1);
}

bool is_secure_stream_url(const wchar_t *address)
{
    return address && starts_with_scheme(address, "rtsps://");
}

std::wstring address_without_login(const std::wstring &address)
{
    if (!starts_with_scheme(address.c_str(), stream_scheme))
        return address;
    const size_t host = host_start(address, stream_scheme_units);
    return address.substr(0, stream_scheme_units) + address.substr(host);
}

std::wstring stream_url_host(const std::wstring &url)
{
    const size_t host = host_start(url, stream_scheme_units);
    const std::wstring authority = url.substr(host, authority_end(url, host) - host);
    return authority.substr(0, authority.find(L':'));
}

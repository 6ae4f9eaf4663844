/*
 * service_address.cpp: the address and endpoint rules of service_address.h,
 * written once over any character type.
 */

#include "service_address.h"

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

bool starts_with_http(const char *text)
{
    static const char scheme[] = "http://";
    for (const char *s = scheme; *s; ++s, ++text) {
        const char c = (*text >= 'A' && *text <= 'Z') ? static_cast<char>(*text - 'A' + 'a') : *text;
        if (c != *s)
            return false;
    }
    return true;
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
    return endpoint && starts_with_http(endpoint) && is_host_and_ports(endpoint + 7, -1);
}

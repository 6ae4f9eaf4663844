#include "camera_url.h"

#include <windows.h>

#include <cwchar>
#include <cwctype>

#include "resource.h"

namespace {

const wchar_t channel_field[] = L"{channel}";

bool starts_with_nocase(const std::wstring& text, const wchar_t* start)
{
    return _wcsnicmp(text.c_str(), start, wcslen(start)) == 0;
}

int hex_digit(wchar_t c)
{
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    c = static_cast<wchar_t>(towlower(c));
    return c >= L'a' && c <= L'f' ? c - L'a' + 10 : -1;
}

// "%XX" escapes decoded as bytes of UTF-8; a "%" that escapes nothing stays.
std::wstring percent_decoded(const std::wstring& text)
{
    std::string bytes;
    for (size_t at = 0; at < text.size(); ++at) {
        const int high = at + 2 < text.size() && text[at] == L'%' ? hex_digit(text[at + 1]) : -1;
        const int low = high >= 0 ? hex_digit(text[at + 2]) : -1;
        if (low >= 0) {
            bytes += static_cast<char>(high * 16 + low);
            at += 2;
            continue;
        }
        char utf8[8];
        const int size = WideCharToMultiByte(CP_UTF8, 0, &text[at], 1, utf8, sizeof utf8, nullptr, nullptr);
        bytes.append(utf8, size > 0 ? size : 0);
    }
    std::wstring decoded(bytes.size(), L'\0');
    const int size = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), &decoded[0],
                                         static_cast<int>(decoded.size()));
    decoded.resize(size > 0 ? size : 0);
    return decoded;
}

// Where the host part of `url` starts and ends: after "scheme://" and any
// login, before the path.
struct Authority {
    size_t start = 0;
    size_t login_end = std::wstring::npos;  // the "@", when there is one
    size_t end = 0;
};

Authority authority_of(const std::wstring& url)
{
    Authority found;
    const size_t scheme_end = url.find(L"://");
    found.start = scheme_end == std::wstring::npos ? 0 : scheme_end + 3;
    found.end = url.find_first_of(L"/?#", found.start);
    if (found.end == std::wstring::npos)
        found.end = url.size();
    const size_t at = url.rfind(L'@', found.end);
    if (at != std::wstring::npos && at >= found.start)
        found.login_end = at;
    return found;
}

} // namespace

bool is_stream_url(const std::wstring& address)
{
    return address.find(L"://") != std::wstring::npos;
}

unsigned camera_url_problem(const std::wstring& url)
{
    if (starts_with_nocase(url, L"rtsps://"))
        return IDS_CAMERA_URL_RTSPS;
    if (!starts_with_nocase(url, L"rtsp://"))
        return IDS_CAMERA_URL_NOT_RTSP;
    if (url.size() > longest_camera_url)
        return IDS_CAMERA_URL_LONG;
    if (url.find_first_of(L" \t\r\n") != std::wstring::npos)
        return IDS_CAMERA_URL_SPACE;
    const Authority authority = authority_of(url);
    const size_t host = authority.login_end == std::wstring::npos ? authority.start : authority.login_end + 1;
    if (host >= authority.end || url[host] == L':')
        return IDS_CAMERA_URL_NO_HOST;
    return 0;
}

bool has_channel_field(const std::wstring& url)
{
    return url.find(channel_field) != std::wstring::npos;
}

Url_Login split_url_login(const std::wstring& url)
{
    Url_Login split;
    const Authority authority = authority_of(url);
    if (authority.login_end == std::wstring::npos) {
        split.url = url;
        return split;
    }
    const std::wstring login = url.substr(authority.start, authority.login_end - authority.start);
    const size_t colon = login.find(L':');
    split.given = true;
    split.user = percent_decoded(login.substr(0, colon));
    if (colon != std::wstring::npos)
        split.password = percent_decoded(login.substr(colon + 1));
    split.url = url.substr(0, authority.start) + url.substr(authority.login_end + 1);
    return split;
}

bool parse_channel_range(const std::wstring& text, int most, int* first, int* last)
{
    int from = 0, to = 0, used = 0;
    if (swscanf(text.c_str(), L"%d%n", &from, &used) == 1 && used == static_cast<int>(text.size()))
        to = from;
    else if (swscanf(text.c_str(), L"%d-%d%n", &from, &to, &used) != 2 || used != static_cast<int>(text.size()))
        return false;
    if (from < 1 || to < from || to > most)
        return false;
    *first = from;
    *last = to;
    return true;
}

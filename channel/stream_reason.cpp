#include "stream_reason.h"

#include <cstring>

namespace {

struct Kind_Text {
    int library_kind;
    Stream_End_Kind kind;
    const char* sentence;  // %1 stands for the URL, %2 for the detail
};

const Kind_Text kind_texts[] = {
    {HIK_END_LOGIN_REFUSED, Stream_End_Kind::login_refused, "%1 refused the user name or password (%2)"},
    {HIK_END_NOT_FOUND, Stream_End_Kind::not_found, "%1 answered %2: no such stream"},
    {HIK_END_UNREACHABLE, Stream_End_Kind::unreachable, "%1 cannot be reached: %2"},
    {HIK_END_UNSUPPORTED, Stream_End_Kind::unsupported, "%1 sends a stream that cannot be played here: %2"},
    {HIK_END_SERVER_ERROR, Stream_End_Kind::server_error, "%1 answered %2"},
    {HIK_END_ENDED, Stream_End_Kind::ended, "%1: %2"},
    {HIK_END_SILENT, Stream_End_Kind::silent, "%1: %2"},
    {HIK_END_FAILED, Stream_End_Kind::failed, "%1 failed: %2"},
};

void replace(std::string& text, const char* mark, const std::string& with)
{
    const size_t at = text.find(mark);
    if (at != std::string::npos)
        text.replace(at, 2, with);
}

} // namespace

// The library fills both texts within their fields; they are read up to
// their first zero, and at most the field's size.
Stream_Reason stream_reason_of(const HIK_STREAM_END& end)
{
    Stream_Reason reason;
    for (const Kind_Text& entry : kind_texts) {
        if (entry.library_kind != end.kind)
            continue;
        const std::string url(end.url, strnlen(end.url, sizeof end.url));
        const std::string detail(end.detail, strnlen(end.detail, sizeof end.detail));
        reason.kind = entry.kind;
        reason.text = entry.sentence;
        replace(reason.text, "%1", url.empty() ? std::string("the stream") : url);
        replace(reason.text, "%2", detail);
    }
    return reason;
}

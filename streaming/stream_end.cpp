#include <winsock2.h>

#include "stream_end.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

extern "C" {
#include <libavutil/error.h>
}

#include "hikclient.h"

namespace {

struct Step_Name {
    const char* method;
    int step;
};

const Step_Name request_steps[] = {
    {"OPTIONS", HIK_STEP_CONNECT}, {"DESCRIBE", HIK_STEP_DESCRIBE}, {"SETUP", HIK_STEP_SETUP},
    {"PLAY", HIK_STEP_PLAY},
};

int step_of_method(const char* method)
{
    for (const Step_Name& name : request_steps) {
        if (std::strcmp(name.method, method) == 0)
            return name.step;
    }
    return HIK_STEP_CONNECT;
}

int kind_of_status(int status)
{
    if (status == 401 || status == 403)
        return HIK_END_LOGIN_REFUSED;
    if (status == 404 || status == 454)
        return HIK_END_NOT_FOUND;
    if (status >= 500)
        return HIK_END_SERVER_ERROR;
    return HIK_END_FAILED;
}

// libavformat's socket errors on Windows are the system's own codes
// (WSAECONNREFUSED); others are the C library's.
bool one_of(int error, std::initializer_list<int> codes)
{
    for (int code : codes) {
        if (error == AVERROR(code))
            return true;
    }
    return false;
}

bool unreachable(int error)
{
    return one_of(error, {ECONNREFUSED, ETIMEDOUT, EHOSTUNREACH, ENETUNREACH, WSAECONNREFUSED, WSAETIMEDOUT,
                          WSAEHOSTUNREACH, WSAENETUNREACH});
}

bool timed_out(int error)
{
    return error == AVERROR_EXIT || one_of(error, {ETIMEDOUT, WSAETIMEDOUT});
}

bool connection_ended(int error)
{
    return one_of(error, {EIO, ECONNRESET, EPIPE, WSAECONNRESET, WSAECONNABORTED, WSAENOTCONN});
}

} // namespace

bool parse_refusal(const std::string& line, Rtsp_Refusal* refusal)
{
    char method[16] = {};
    int status = 0;
    int consumed = 0;
    if (std::sscanf(line.c_str(), "method %15s failed: %d%n", method, &status, &consumed) != 2)
        return false;
    refusal->step = step_of_method(method);
    refusal->status = status;
    refusal->reason = line.substr(static_cast<size_t>(consumed));
    const size_t first = refusal->reason.find_first_not_of(' ');
    refusal->reason = first == std::string::npos ? std::string() : refusal->reason.substr(first);
    return true;
}

std::string ffmpeg_error_text(int error)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    if (av_strerror(error, text, sizeof text) < 0)
        return "error " + std::to_string(error);
    return text;
}

Stream_End end_with_kind(int kind, int step, const std::string& detail)
{
    Stream_End end;
    end.kind = kind;
    end.step = step;
    end.detail = detail;
    return end;
}

Stream_End end_of_open(int error, bool gave_up_waiting, const Rtsp_Refusal& refusal, const std::string& last_line)
{
    if (refusal.status > 0) {
        Stream_End end = end_with_kind(kind_of_status(refusal.status), refusal.step,
                                       std::to_string(refusal.status) + " " + refusal.reason);
        end.status = refusal.status;
        return end;
    }
    if (timed_out(error) || gave_up_waiting)
        return end_with_kind(HIK_END_SILENT, HIK_STEP_CONNECT, "no answer within 4 s");
    if (unreachable(error))
        return end_with_kind(HIK_END_UNREACHABLE, HIK_STEP_CONNECT, ffmpeg_error_text(error));
    return end_with_kind(HIK_END_FAILED, HIK_STEP_DESCRIBE,
                         last_line.empty() ? ffmpeg_error_text(error) : last_line);
}

Stream_End end_of_reading(int error, const std::string& last_line)
{
    if (timed_out(error))
        return end_with_kind(HIK_END_SILENT, HIK_STEP_RECEIVE, "nothing came for 5 s");
    if (error == AVERROR_EOF)
        return end_with_kind(HIK_END_ENDED, HIK_STEP_RECEIVE, "the server ended the session");
    if (connection_ended(error))
        return end_with_kind(HIK_END_ENDED, HIK_STEP_RECEIVE, "the server closed the connection");
    return end_with_kind(HIK_END_FAILED, HIK_STEP_RECEIVE,
                         last_line.empty() ? ffmpeg_error_text(error) : last_line);
}

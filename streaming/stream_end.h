// Stream_End: why a stream failed or ended, as the library tells its host
// (HIK_ClientStreamEnd): the kind (HIK_END_*), the step of the session
// (HIK_STEP_*), the server's RTSP status and the words of the server or of
// FFmpeg.  Made from libavformat's error codes and error lines.
#pragma once

#include <string>

struct Stream_End {
    int kind = 0;    // HIK_END_NONE
    int step = 0;    // HIK_STEP_NONE
    int status = 0;  // RTSP status of a refusal; 0 when none
    std::string detail;
};

// The server's refusal of a request, from libavformat's line
// "method DESCRIBE failed: 404 Not Found".
struct Rtsp_Refusal {
    int step = 0;
    int status = 0;
    std::string reason;  // "Not Found"
};
bool parse_refusal(const std::string& line, Rtsp_Refusal* refusal);

// An open that libavformat ended with `error`; `gave_up_waiting` when it
// took the socket's whole time-out (a server that took the connection and
// never answered ends as an answer that could not be read); `refusal` has
// a status when the server refused a request, `last_line` is FFmpeg's last
// error line.
Stream_End end_of_open(int error, bool gave_up_waiting, const Rtsp_Refusal& refusal, const std::string& last_line);
// A session whose packets ended with `error` (AVERROR_EXIT: none came in
// time).
Stream_End end_of_reading(int error, const std::string& last_line);
Stream_End end_with_kind(int kind, int step, const std::string& detail);
// FFmpeg's words for `error`.
std::string ffmpeg_error_text(int error);

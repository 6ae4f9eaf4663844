// The error codes shared by the control and its channels, and their texts.
#pragma once

enum Error_Code {
    error_none = 0,
    error_communication = 1,
    error_set_video_effect = 2,
    error_get_video_effect = 3,
    error_set_ptz = 4,
    error_get_ptz = 5,
    error_ptz_operation = 6,
    error_create_folder = 7,
    error_snapshot = 8,
    error_record = 9,
    error_server_login = 10,
    error_user_refused = 11,
};

// The UTF-16 message of `code`; the empty text for 0 and any unknown code.
const wchar_t* error_text(int code);

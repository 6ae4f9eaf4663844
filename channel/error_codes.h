// The error codes of the control and its channels, and the UTF-16 texts a
// host reads for them through error_msg.  Header-only, so that a host
// program (the viewer) can tell the codes from the texts without linking
// any of the control's code.
#pragma once

#include <cwchar>

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

// Code 7 uses the full-width comma, codes 10 and 11 the full-width
// exclamation mark.
constexpr const wchar_t* error_texts[] = {
    L"",
    L"通信错误",
    L"设置视频效果错误",
    L"获取视频效果错误",
    L"设置云台设置错误",
    L"获取云台设置错误",
    L"云台操作错误",
    L"不能创建文件夹，请检查保存路径是否正确",
    L"拍照错误",
    L"录像错误",
    L"服务器登陆错误！",
    L"服务器拒绝此用户名登陆！",
};
constexpr int error_text_count = static_cast<int>(sizeof error_texts / sizeof error_texts[0]);

// The text of `code`; the empty text for 0 and any unknown code.
inline const wchar_t* error_text(int code)
{
    return code >= 0 && code < error_text_count ? error_texts[code] : L"";
}

// The code whose text `text` is: 0 for the empty text, -1 for a text that
// is none of them.
inline int error_code_of(const wchar_t* text)
{
    for (int code = 0; code < error_text_count; ++code) {
        if (wcscmp(text, error_texts[code]) == 0)
            return code;
    }
    return -1;
}

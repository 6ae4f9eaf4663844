#include "error_table.h"

namespace {

// Code 7 uses the full-width comma, codes 10 and 11 the full-width
// exclamation mark.
const wchar_t* const messages[] = {
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

} // namespace

const wchar_t* error_text(int code)
{
    if (code < 0 || code >= static_cast<int>(sizeof messages / sizeof messages[0]))
        return L"";
    return messages[code];
}

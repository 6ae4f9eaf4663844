#include "user_settings.h"

#include <windows.h>

namespace {

// A missing key or value, or one of another type, leaves `fallback`.
bool user_flag(const wchar_t* name, bool fallback)
{
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\kelm", name, RRF_RT_REG_DWORD, nullptr, &value, &size) !=
        ERROR_SUCCESS)
        return fallback;
    return value != 0;
}

} // namespace

bool reconnect_setting()
{
    return user_flag(L"AutoReconnect", true);
}

bool captions_setting()
{
    return user_flag(L"PaneCaptions", false);
}

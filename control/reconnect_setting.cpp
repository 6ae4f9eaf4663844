#include "reconnect_setting.h"

#include <windows.h>

bool reconnect_setting()
{
    DWORD value = 1;
    DWORD size = sizeof value;
    // A missing key or value, or one of another type, leaves the default.
    if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\kelm", L"AutoReconnect", RRF_RT_REG_DWORD, nullptr,
                     &value, &size) != ERROR_SUCCESS)
        return true;
    return value != 0;
}

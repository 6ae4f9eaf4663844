// Whether the control starts lost streams again by itself: on unless the
// current user's value HKEY_CURRENT_USER\Software\kelm "AutoReconnect"
// (REG_DWORD) is 0.
#pragma once

bool reconnect_setting();

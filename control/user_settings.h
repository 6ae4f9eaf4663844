// The control's settings that the current user keeps in the registry,
// under HKEY_CURRENT_USER\Software\kelm, each a REG_DWORD.
#pragma once

// Whether the control starts lost streams again by itself: on unless
// "AutoReconnect" is 0.  Read when the control's window is made.
bool reconnect_setting();
// Whether panes start with their captions: off unless "PaneCaptions" is 1
// (or any other value than 0).  Read when the control is created.
bool captions_setting();

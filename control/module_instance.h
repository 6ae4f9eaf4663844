// The module (kelm.dll, or a program that links the control in) whose
// resources hold the control's dialog template.
#pragma once

#include <windows.h>

HINSTANCE module_instance();

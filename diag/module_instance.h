// The module this code is linked into: kelm.dll, or a program that links
// the control in (whose resources hold the dialog template, and beside
// which the streaming library is looked for).  The program's own module
// when it cannot be told.
#pragma once

#include <windows.h>

HINSTANCE module_instance();

// The viewer's standard error without the control's log echo.  The
// control copies every line of its log to standard error, in the Chinese
// code page its texts are in, which is noise in the operator's console
// (its log file keeps them all).  Unless the operator asks for them, the
// viewer points standard error at NUL before it creates the control, and
// writes its own messages to the stream standard error was.
#pragma once

#include <cstdio>

// Points standard error at NUL: the C library's descriptor 2 (which the
// control's echo writes to) and the process's handle (which a C library
// that starts later takes as its own).  False when NUL cannot be opened;
// standard error is left as it was then.
bool silence_standard_error();
// Where the viewer's own error messages go: standard error as the viewer
// was started with it.
FILE* viewer_errors();

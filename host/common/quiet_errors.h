// A host's quiet console: the control echoes every line of its log to
// standard error, in the ANSI code page of a Chinese Windows, which floods
// a console and garbles one that shows UTF-8.  Unless asked to be verbose,
// a host points standard error at NUL before it creates the control and
// keeps a copy of the real one for its own messages.  The control's log
// file is written as before.
#pragma once

#include <cstdio>

// Points standard error (descriptor 2, which the control writes through
// the shared C runtime, and the process's standard error handle) at NUL,
// after keeping a copy of it for own_errors().  Call it once, before the
// control is created.  False when NUL could not be opened: standard error
// is then left as it was.
bool quiet_standard_error();

// The stream for the host's own messages: the copy of standard error kept
// by quiet_standard_error(), else stderr.
FILE* own_errors();

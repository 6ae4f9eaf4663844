#include "quiet_errors.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace {

const int error_descriptor = 2;
FILE* own_errors = nullptr;

} // namespace

bool silence_standard_error()
{
    const int nothing = _wopen(L"NUL", _O_WRONLY | _O_TEXT);
    if (nothing < 0)
        return false;
    // The viewer's own copy of standard error, when it was started with one.
    const int kept = _dup(error_descriptor);
    (void)fflush(stderr);  // what was written so far goes where it was meant to
    if (_dup2(nothing, error_descriptor) != 0) {
        (void)_close(nothing);  // standard error stays as it was
        if (kept >= 0)
            (void)_close(kept);
        return false;
    }
    (void)_close(nothing);  // descriptor 2 holds NUL now
    // A handle of -1 or -2 is none; Wine and Windows refuse nothing here
    // that the viewer could do better about.
    (void)SetStdHandle(STD_ERROR_HANDLE, reinterpret_cast<HANDLE>(_get_osfhandle(error_descriptor)));
    own_errors = kept >= 0 ? _fdopen(kept, "w") : nullptr;
    if (own_errors)
        (void)setvbuf(own_errors, nullptr, _IONBF, 0);  // each message as it comes, as on standard error
    return true;
}

FILE* viewer_errors()
{
    return own_errors ? own_errors : stderr;
}

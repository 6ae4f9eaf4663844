#include "quiet_errors.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>

namespace {

FILE* kept_errors = nullptr;

// A copy of descriptor 2 as a stream of its own, unbuffered as stderr is;
// null when there is no standard error to copy.
FILE* copy_of_standard_error()
{
    const int copy = _dup(2);
    if (copy == -1)
        return nullptr;
    FILE* stream = _fdopen(copy, "w");
    if (!stream) {
        (void)_close(copy);  // nothing was written to it
        return nullptr;
    }
    (void)setvbuf(stream, nullptr, _IONBF, 0);  // unbuffered takes no memory, so it cannot fail
    return stream;
}

} // namespace

bool quiet_standard_error()
{
    const int nul = _wopen(L"NUL", _O_WRONLY | _O_BINARY);
    if (nul == -1)
        return false;
    (void)fflush(stderr);  // nothing written so far is lost to NUL
    kept_errors = copy_of_standard_error();
    const bool moved = _dup2(nul, 2) == 0;
    (void)_close(nul);  // descriptor 2 holds NUL now, or the move failed
    if (!moved)
        return false;
    // Also for code that asks Windows, not the C runtime, for standard
    // error; should it fail, such code writes to the old console as before.
    (void)SetStdHandle(STD_ERROR_HANDLE, reinterpret_cast<HANDLE>(_get_osfhandle(2)));
    return true;
}

FILE* own_errors()
{
    return kept_errors ? kept_errors : stderr;
}

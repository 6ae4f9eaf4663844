// Holds Wine's desktop for a whole test session.  Wine starts its desktop
// process (explorer.exe /desktop) for the first program that asks for the
// desktop window, hands it that program's standard error, and ends it a
// moment after the last program using the desktop has gone.  A test that
// started it left its output pipe open in a process that outlived it, and
// CTest waited for that test until its time-out.  Started by the session
// with nothing attached, this program asks for the desktop first and keeps
// using it until the session's server ends it.
#include <windows.h>

#include <cstdio>

int main()
{
    // Returns once the desktop process is ready for windows.
    (void)GetDesktopWindow();
    std::puts("desktop ready");
    (void)std::fflush(stdout);  // the session waits for this line
    Sleep(INFINITE);
    return 0;
}

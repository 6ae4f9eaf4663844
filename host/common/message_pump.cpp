#include "message_pump.h"

void pump_for(DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    for (DWORD spent = 0; spent < milliseconds; spent = GetTickCount() - start) {
        (void)MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - spent, QS_ALLINPUT);  // woken or timed out
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            (void)TranslateMessage(&message);  // says only whether a character was made
            DispatchMessageW(&message);
        }
    }
}

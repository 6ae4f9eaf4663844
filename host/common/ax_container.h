// A standard ActiveX container: the system's ATL control-hosting window
// class "AtlAxWin" from atl.dll.  A window of that class whose text is a
// ProgID creates the control, gives it a client site and activates it in
// place; resizing the window resizes the control, and destroying the
// window closes the control and lets it go.
#pragma once

#include <windows.h>
#include <oaidl.h>

class Ax_Container {
public:
    // Loads atl.dll and registers its window class.  atl.dll stays loaded
    // for the life of the process, as the class's window procedure does.
    Ax_Container();

    bool ready() const { return get_control != nullptr; }

    // A visible child of `parent` at `rect` hosting `prog_id`; null when
    // the window cannot be made.  Whether the control came up is told by
    // control().
    HWND create(HWND parent, const wchar_t* prog_id, const RECT& rect);
    // The hosted control's IDispatch (one reference for the caller), or
    // null when no control lives in `host`.
    IDispatch* control(HWND host) const;

    Ax_Container(const Ax_Container&) = delete;
    Ax_Container& operator=(const Ax_Container&) = delete;

private:
    typedef HRESULT(WINAPI* Get_Control)(HWND, IUnknown**);
    Get_Control get_control = nullptr;
};

#include "ax_container.h"

namespace {

const wchar_t container_class[] = L"AtlAxWin";

// An export of `module` as the function type it has.
template <class Function>
Function export_of(HMODULE module, const char* name)
{
    // Through void*: FARPROC is only a placeholder for the real type.
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

} // namespace

Ax_Container::Ax_Container()
{
    HMODULE atl = LoadLibraryW(L"atl.dll");
    if (!atl)
        return;
    typedef BOOL(WINAPI * Init)();
    auto init = export_of<Init>(atl, "AtlAxWinInit");
    // A second container in the process finds the class registered already.
    WNDCLASSW registered;
    if (init && (init() || GetClassInfoW(GetModuleHandleW(nullptr), container_class, &registered)))
        get_control = export_of<Get_Control>(atl, "AtlAxGetControl");
}

HWND Ax_Container::create(HWND parent, const wchar_t* prog_id, const RECT& rect)
{
    if (!ready())
        return nullptr;
    return CreateWindowExW(0, container_class, prog_id, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, rect.left,
                           rect.top, rect.right - rect.left, rect.bottom - rect.top, parent, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

IDispatch* Ax_Container::control(HWND host) const
{
    IUnknown* unknown = nullptr;
    if (!ready() || FAILED(get_control(host, &unknown)) || !unknown)
        return nullptr;
    IDispatch* dispatch = nullptr;
    if (FAILED(unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch))))
        dispatch = nullptr;
    unknown->Release();
    return dispatch;
}

#include "test_window.h"

HWND make_test_window(DWORD style, int x, int y, int width, int height)
{
    static const wchar_t class_name[] = L"kelm_test_window";
    static const bool registered = [] {
        WNDCLASSW window_class = {};
        window_class.lpfnWndProc = DefWindowProcW;
        window_class.hInstance = GetModuleHandleW(nullptr);
        window_class.lpszClassName = class_name;
        window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        return RegisterClassW(&window_class) != 0;
    }();
    if (!registered)
        return nullptr;
    return CreateWindowExW(0, class_name, L"kelm test", style, x, y, width, height, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

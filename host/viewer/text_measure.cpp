#include "text_measure.h"

namespace {

// A device context of `window` with its font selected; released on leaving.
class Font_Context {
public:
    explicit Font_Context(HWND window) : window(window), dc(GetDC(window))
    {
        HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageW(window, WM_GETFONT, 0, 0));
        if (dc)
            previous = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
    }
    ~Font_Context()
    {
        if (!dc)
            return;
        (void)SelectObject(dc, previous);  // restores the context's own font
        (void)ReleaseDC(window, dc);       // a window's common context is always released
    }
    Font_Context(const Font_Context&) = delete;
    Font_Context& operator=(const Font_Context&) = delete;

    HDC get() const { return dc; }

private:
    HWND window;
    HDC dc;
    HGDIOBJ previous = nullptr;
};

} // namespace

SIZE text_extent(HWND window, const std::wstring& text)
{
    Font_Context context(window);
    SIZE size = {0, 0};
    if (!context.get() || !GetTextExtentPoint32W(context.get(), text.c_str(), static_cast<int>(text.size()), &size))
        return SIZE{0, 0};
    return size;
}

int line_height(HWND window)
{
    Font_Context context(window);
    TEXTMETRICW metrics;
    if (!context.get() || !GetTextMetricsW(context.get(), &metrics))
        return 0;
    return metrics.tmHeight + metrics.tmExternalLeading;
}

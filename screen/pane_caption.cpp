#include "pane_caption.h"

#include <algorithm>

#include "module_instance.h"

namespace {

const wchar_t caption_class[] = L"kelm_pane_caption";
// The active frame's width, which the library leaves free around the
// picture too: the caption sits inside it.
const int pane_margin = 2;
const int text_padding = 3;
const COLORREF caption_back = RGB(20, 20, 20);
const COLORREF source_colour = RGB(235, 235, 235);
const COLORREF recording_colour = RGB(255, 70, 70);
const wchar_t recording_mark[] = L"REC";

// The window class is registered while any caption exists and taken away
// with the last one: a DLL's classes outlive the DLL, and a later load at
// another address would find the old procedure.  Controls on several
// threads share it.
SRWLOCK class_lock = SRWLOCK_INIT;
int class_users = 0;

bool use_class(WNDPROC procedure)
{
    AcquireSRWLockExclusive(&class_lock);
    bool usable = class_users > 0;
    if (!usable) {
        WNDCLASSW window_class = {};
        window_class.lpfnWndProc = procedure;
        window_class.hInstance = module_instance();
        window_class.lpszClassName = caption_class;
        window_class.hCursor = nullptr;  // the pane's cursor shows through
        usable = RegisterClassW(&window_class) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }
    if (usable)
        ++class_users;
    ReleaseSRWLockExclusive(&class_lock);
    return usable;
}

void release_class()
{
    AcquireSRWLockExclusive(&class_lock);
    if (--class_users == 0)
        (void)UnregisterClassW(caption_class, module_instance());  // fails only while a window of it exists: none does
    ReleaseSRWLockExclusive(&class_lock);
}

// Small enough to leave most of a sixteenth of the view to the picture,
// large enough to read there.
int text_height_for(int pane_height)
{
    return std::clamp(pane_height / 12, 11, 16);
}

int text_width(HDC dc, const wchar_t* text)
{
    SIZE size = {0, 0};
    if (!GetTextExtentPoint32W(dc, text, lstrlenW(text), &size))
        return 0;
    return size.cx;
}

// Draws `text` right-aligned against `right`, in `colour`; the left edge it
// took, with a gap before the next piece.
int draw_from_right(HDC dc, const RECT& area, int right, const wchar_t* text, COLORREF colour)
{
    if (!*text)
        return right;
    const int left = std::max(static_cast<int>(area.left), right - text_width(dc, text));
    RECT box = {left, area.top, right, area.bottom};
    (void)SetTextColor(dc, colour);
    (void)DrawTextW(dc, text, -1, &box, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_RIGHT);
    return left - 2 * text_padding;
}

} // namespace

Pane_Caption::~Pane_Caption()
{
    remove();
}

bool Pane_Caption::show(HWND pane, const Caption_Content& shown)
{
    if (!window && !create(pane))
        return false;
    if (!(shown == content)) {
        content = shown;
        // The window's text says what it shows, for screen readers and
        // for tests.
        std::wstring text = content.source;
        if (content.recording)
            text += std::wstring(L" ") + recording_mark;
        text += std::wstring(L" ") + content.state;
        (void)SetWindowTextW(window, text.c_str());  // only the text for readers is lost
        (void)InvalidateRect(window, nullptr, FALSE);  // repainted at the next paint of the thread
    }
    if (!visible)
        (void)ShowWindow(window, SW_SHOWNA);
    visible = true;
    return true;
}

// Called at every tick of the control's watch: only a change reaches the
// window.
void Pane_Caption::hide()
{
    if (window && visible)
        (void)ShowWindow(window, SW_HIDE);
    visible = false;
}

void Pane_Caption::remove()
{
    if (!window)
        return;
    (void)DestroyWindow(window);  // a child of the pane: fails only if the pane went first, and took it along
    window = nullptr;
    visible = false;
    placed = RECT{0, 0, 0, 0};
    release_class();
    if (font)
        (void)DeleteObject(font);
    font = nullptr;
    font_height = 0;
    content = Caption_Content();
}

bool Pane_Caption::create(HWND pane)
{
    if (!use_class(window_proc))
        return false;
    // The library paints through the pane's DC; with the pane clipping its
    // children that paint leaves the caption alone.
    const LONG_PTR style = GetWindowLongPtrW(pane, GWL_STYLE);
    if (!(style & WS_CLIPCHILDREN))
        (void)SetWindowLongPtrW(pane, GWL_STYLE, style | WS_CLIPCHILDREN);
    // Disabled, so that clicks on it go to the pane, which activates and
    // zooms on them.
    window = CreateWindowExW(0, caption_class, L"", WS_CHILD | WS_DISABLED, 0, 0, 0, 0, pane, nullptr,
                             module_instance(), this);
    if (!window) {
        release_class();
        return false;
    }
    place();
    return true;
}

void Pane_Caption::place()
{
    if (!window)
        return;
    RECT client;
    if (!GetClientRect(GetParent(window), &client))
        return;
    const int width = std::max(static_cast<int>(client.right) - 2 * pane_margin, 0);
    const int height = text_height_for(client.bottom) + 4;
    const RECT wanted = {pane_margin, client.bottom - pane_margin - height, pane_margin + width,
                         client.bottom - pane_margin};
    if (EqualRect(&wanted, &placed))
        return;
    placed = wanted;
    // Nothing of the old strip is worth copying: it paints itself anew.
    (void)SetWindowPos(window, nullptr, wanted.left, wanted.top, width, height,
                       SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
}

HFONT Pane_Caption::font_for(int height)
{
    if (font && font_height == height)
        return font;
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    LOGFONTW face = {};
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        face = metrics.lfMessageFont;  // the system's face, which has the user's script
    face.lfHeight = -height;
    face.lfWidth = 0;
    face.lfWeight = FW_SEMIBOLD;
    HFONT made = CreateFontIndirectW(&face);
    if (!made)
        return font;  // the old size, or the DC's own font when there is none
    if (font)
        (void)DeleteObject(font);
    font = made;
    font_height = height;
    return font;
}

// The state at the right, the recording mark before it, and the source in
// what is left, shortened with an ellipsis when the pane is narrow: the
// state matters most on a crowded wall.
void Pane_Caption::paint(HDC dc, const RECT& area)
{
    HBRUSH back = CreateSolidBrush(caption_back);
    if (back) {
        (void)FillRect(dc, &area, back);
        (void)DeleteObject(back);
    }
    HFONT text_font = font_for(area.bottom - area.top - 4);
    HGDIOBJ old_font = text_font ? SelectObject(dc, text_font) : nullptr;
    (void)SetBkMode(dc, TRANSPARENT);
    int right = area.right - text_padding;
    right = draw_from_right(dc, area, right, content.state, content.state_colour);
    if (content.recording)
        right = draw_from_right(dc, area, right, recording_mark, recording_colour);
    RECT source = {area.left + text_padding, area.top, std::max(right, static_cast<int>(area.left)), area.bottom};
    (void)SetTextColor(dc, source_colour);
    (void)DrawTextW(dc, content.source.c_str(), -1, &source,
                    DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_LEFT | DT_END_ELLIPSIS);
    if (old_font)
        (void)SelectObject(dc, old_font);
}

LRESULT CALLBACK Pane_Caption::window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* caption = reinterpret_cast<Pane_Caption*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_NCHITTEST:
        return HTTRANSPARENT;  // the pane under it takes the mouse
    case WM_ERASEBKGND:
        return 1;  // the paint fills the whole strip
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT area;
        if (dc && caption && GetClientRect(window, &area))
            caption->paint(dc, area);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_NCDESTROY:
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        break;
    default:
        break;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

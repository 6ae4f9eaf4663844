// Screen: pane placement, zoom, the active-pane frame and the caption.
#include "screen.h"

#include "method_trace.h"
#include "split_layout.h"

namespace {

const int frame_pen_width = 2;
const COLORREF active_frame_colour = RGB(255, 0, 0);
const COLORREF inactive_frame_colour = RGB(0, 0, 0);

struct State_Look {
    const wchar_t* word;
    COLORREF colour;
};

State_Look look_of(Pane_Stream status)
{
    switch (status) {
    case Pane_Stream::live:
        return {L"live", RGB(90, 220, 90)};
    case Pane_Stream::lost:
        return {L"lost", RGB(255, 80, 80)};
    case Pane_Stream::reconnecting:
        return {L"reconnecting", RGB(255, 190, 60)};
    case Pane_Stream::closed:
        break;
    }
    return {L"", 0};
}

} // namespace

Screen::Screen(HWND pane) : pane(pane)
{
    KELM_TRACE("Screen::Screen");
    hide();
}

Screen::~Screen()
{
    KELM_TRACE("Screen::~Screen");
    close_channel();
}

// Window calls below have no error path worth taking: a pane that cannot be
// shown or moved simply stays as it was, and the next arrange tries again.
int Screen::hide()
{
    (void)ShowWindow(pane, SW_HIDE);
    return 0;
}

int Screen::show()
{
    (void)ShowWindow(pane, SW_SHOW);
    return 0;
}

int Screen::refresh()
{
    (void)UpdateWindow(pane);
    return 0;
}

int Screen::set_rect(int x, int y, int width, int height)
{
    this->x = x;
    this->y = y;
    this->width = width;
    this->height = height;
    zoom_state = zoom_in_cell;
    return do_draw(x, y, width, height);
}

int Screen::do_draw(int x, int y, int width, int height)
{
    KELM_TRACE("do_draw");
    show();
    // A control window the host has hidden becomes visible with its panes.
    (void)ShowWindow(GetParent(pane), SW_SHOWNORMAL);
    (void)MoveWindow(pane, x, y, width, height, TRUE);
    caption.place();
    (void)ShowWindow(pane, SW_SHOWNORMAL);
    (void)UpdateWindow(pane);
    return refresh();
}

int Screen::zoom(int width, int height)
{
    do_draw(0, 0, width, height);
    zoom_state = zoom_whole_view;
    return 0;
}

int Screen::restore()
{
    do_draw(x, y, width, height);
    zoom_state = zoom_in_cell;
    return 0;
}

int Screen::toggle_zoom(Split_Layout& layout)
{
    layout.hide_all();
    if (zoom_state == zoom_in_cell) {
        zoom(layout_width, layout_height);
    } else {
        restore();
        layout.arrange();
    }
    return 0;
}

// The frame lives only on the screen: any repaint of the pane wipes it, and
// the control draws it again when the panes ask for their colours.
int Screen::draw_frame(bool active)
{
    HPEN pen = CreatePen(PS_SOLID, frame_pen_width,
                         active ? active_frame_colour : inactive_frame_colour);
    if (!pen)
        return 0;
    HDC dc = GetDC(pane);
    if (dc) {
        HGDIOBJ old_brush = SelectObject(dc, GetStockObject(NULL_BRUSH));
        HGDIOBJ old_pen = SelectObject(dc, pen);
        RECT client;
        if (GetClientRect(pane, &client))
            (void)Rectangle(dc, client.left, client.top, client.right + 1, client.bottom + 1);
        SelectObject(dc, old_pen);
        SelectObject(dc, old_brush);
        (void)ReleaseDC(pane, dc);
    }
    (void)DeleteObject(pen);
    return 0;
}

void Screen::show_caption(const std::wstring& source_name)
{
    if (status == Pane_Stream::closed) {
        caption.hide();
        return;
    }
    Caption_Content content;
    content.source = source_name + L" ch " + std::to_wstring(params.channel_index);
    content.recording = status == Pane_Stream::live && !record_directory.empty();  // a lost pane records nothing
    const State_Look look = look_of(status);
    content.state = look.word;
    content.state_colour = look.colour;
    (void)caption.show(pane, content);  // a pane without its caption still shows its picture
}

void Screen::remove_caption()
{
    caption.remove();
}

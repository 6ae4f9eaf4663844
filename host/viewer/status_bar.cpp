#include "status_bar.h"

#include <commctrl.h>

#include "resource.h"
#include "text_measure.h"
#include "texts.h"

namespace {

enum Part { pane_part, message_part, lockout_part };

// The widest state of a pane the first part is made for.
std::wstring widest_pane_text()
{
    const std::wstring state =
        format_text(IDS_STATE_LIVE, L"255.255.255.255", 16) + format_text(IDS_STATE_RECORDING, 0ul, 0ul);
    return format_text(IDS_PANE_STATUS, 15, state.c_str());
}

void set_part_text(HWND bar, int part, const std::wstring& text)
{
    (void)SendMessageW(bar, SB_SETTEXTW, part, reinterpret_cast<LPARAM>(text.c_str()));  // the bar keeps a copy
}

} // namespace

bool Status_Bar::create(HWND parent, HFONT font)
{
    bar = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, parent,
                          nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!bar)
        return false;
    (void)SendMessageW(bar, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);  // answers nothing
    fit();
    return true;
}

int Status_Bar::height() const
{
    RECT rect;
    return GetWindowRect(bar, &rect) ? rect.bottom - rect.top : 0;
}

void Status_Bar::fit()
{
    (void)SendMessageW(bar, WM_SIZE, 0, 0);  // the bar places itself at the bottom of its parent
    set_parts();
    // The whole bar painted anew: its size grip and part edges move.
    (void)InvalidateRect(bar, nullptr, TRUE);  // fails only for a bar that is gone
}

void Status_Bar::show_pane(const std::wstring& text)
{
    set_part_text(bar, pane_part, text);
}

void Status_Bar::show_message(const std::wstring& text)
{
    set_part_text(bar, message_part, text);
}

void Status_Bar::show_lockout(const std::wstring& text)
{
    if (text == lockout)
        return;
    lockout = text;
    set_parts();
    if (!lockout.empty())
        set_part_text(bar, lockout_part, lockout);
}

// Each part's right edge; the last reaches to the bar's end.  A part's
// text needs its width and a margin of half a line at each side.
void Status_Bar::set_parts()
{
    RECT client;
    if (!GetClientRect(bar, &client))
        return;
    const int margin = line_height(bar);
    const int pane_edge = text_extent(bar, widest_pane_text()).cx + margin;
    int edges[] = {pane_edge, -1, -1};
    int parts = 2;
    if (!lockout.empty()) {
        const int grip = GetSystemMetrics(SM_CXVSCROLL);
        const int lockout_width = text_extent(bar, lockout).cx + margin + grip;
        edges[message_part] = client.right - lockout_width > pane_edge ? client.right - lockout_width : pane_edge;
        parts = 3;
    }
    (void)SendMessageW(bar, SB_SETPARTS, parts, reinterpret_cast<LPARAM>(edges));  // fails only for too many parts
}

#include "status_bar.h"

#include <commctrl.h>

#include <algorithm>

#include "resource.h"
#include "text_measure.h"
#include "texts.h"

namespace {

// The lockout part is always there, without width while logins are open,
// so that each part keeps its number.
enum Part { pane_part, message_part, lockout_part, health_part, part_count };

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
    bar = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP | SBARS_TOOLTIPS, 0, 0, 0, 0, parent,
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

// A message longer than its part shows whole in the part's tip.
void Status_Bar::show_message(const std::wstring& text)
{
    set_part_text(bar, message_part, text);
    (void)SendMessageW(bar, SB_SETTIPTEXTW, message_part, reinterpret_cast<LPARAM>(text.c_str()));  // answers nothing
}

void Status_Bar::show_lockout(const std::wstring& text)
{
    if (text == lockout)
        return;
    lockout = text;
    set_parts();
    set_part_text(bar, lockout_part, lockout);
}

void Status_Bar::show_health(const std::wstring& text)
{
    if (text == health)
        return;
    health = text;
    set_parts();
    set_part_text(bar, health_part, health);
}

bool Status_Bar::health_clicked(const NMHDR& header) const
{
    if (header.hwndFrom != bar || header.code != NM_CLICK)
        return false;
    return reinterpret_cast<const NMMOUSE&>(header).dwItemSpec == health_part;
}

// Each part's right edge; the last reaches to the bar's end.  A part's
// text needs its width and a margin of half a line at each side.
void Status_Bar::set_parts()
{
    RECT client;
    if (!GetClientRect(bar, &client))
        return;
    const int margin = line_height(bar);
    const int grip = GetSystemMetrics(SM_CXVSCROLL);
    const int health_width = health.empty() ? 0 : text_extent(bar, health).cx + margin + grip;
    const int lockout_width = lockout.empty() ? 0 : text_extent(bar, lockout).cx + margin;
    const int pane_edge = text_extent(bar, widest_pane_text()).cx + margin;
    // On a narrow window the message gives way first, then the lockout.
    const int health_edge = std::max(pane_edge, static_cast<int>(client.right) - health_width);
    const int lockout_edge = std::max(pane_edge, health_edge - lockout_width);
    int edges[part_count] = {pane_edge, lockout_edge, health_edge, -1};
    (void)SendMessageW(bar, SB_SETPARTS, part_count, reinterpret_cast<LPARAM>(edges));  // fails only for too many parts
}

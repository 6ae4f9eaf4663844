#include "wall_health.h"

#include "resource.h"
#include "texts.h"

namespace {

std::wstring clock_text(time_t when)
{
    wchar_t text[16] = L"--:--:--";
    if (const tm* local = localtime(&when))
        (void)wcsftime(text, sizeof text / sizeof text[0], L"%H:%M:%S", local);  // 0 only for a text too long
    return text;
}

} // namespace

bool Wall_Health::update(const std::vector<Pane_Health>& panes, time_t now)
{
    losses.resize(panes.size());
    int live = 0, lost = 0, empty = 0;
    oldest = -1;
    for (size_t pane = 0; pane < panes.size(); ++pane) {
        Loss& loss = losses[pane];
        const Pane_State state = panes[pane].state;
        live += state == Pane_State::live;
        empty += state == Pane_State::closed;
        if (state != Pane_State::lost) {
            loss.lost = false;
            continue;
        }
        ++lost;
        if (!loss.lost)
            loss = {true, now - static_cast<time_t>(panes[pane].lost_seconds)};
        if (oldest < 0 || loss.since < losses[oldest].since)
            oldest = static_cast<int>(pane);
    }
    const std::wstring next =
        oldest < 0 ? format_text(IDS_WALL_HEALTH, live, lost, empty)
                   : format_text(IDS_WALL_HEALTH_LOST, live, lost, oldest, clock_text(losses[oldest].since).c_str(), empty);
    if (next == text)
        return false;
    text = next;
    return true;
}

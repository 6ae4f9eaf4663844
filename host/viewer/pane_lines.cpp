#include "pane_lines.h"

#include "resource.h"
#include "texts.h"

namespace {

UINT state_word(const Pane_Health& health)
{
    switch (health.state) {
    case Pane_State::live:
        return IDS_PANE_WORD_LIVE;
    case Pane_State::lost:
        return health.reconnecting ? IDS_PANE_WORD_RECONNECTING : IDS_PANE_WORD_LOST;
    default:
        return IDS_PANE_WORD_CLOSED;
    }
}

} // namespace

std::vector<std::wstring> Pane_Lines::update(const std::vector<Pane_Report>& panes)
{
    std::vector<std::wstring> lines;
    if (told.size() < panes.size())
        told.resize(panes.size(), load_text(IDS_PANE_WORD_CLOSED));
    for (size_t pane = 0; pane < panes.size(); ++pane) {
        const Pane_Report& report = panes[pane];
        std::wstring change = load_text(state_word(report.health));
        if (!report.reason.empty())
            change += L": " + report.reason;
        if (change == told[pane])
            continue;
        told[pane] = change;
        const int number = static_cast<int>(pane);
        lines.push_back(report.name.empty() ? format_text(IDS_PANE_LINE, number, change.c_str())
                                            : format_text(IDS_PANE_LINE_NAMED, number, report.name.c_str(),
                                                          change.c_str()));
    }
    return lines;
}

// The health line of the whole wall: how many of the panes shown are live,
// lost or empty, and the oldest loss with its pane, as in
// "wall: 3 live, 1 lost (pane 2 since 08:21:07), 0 empty".
#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "control_wall.h"

class Wall_Health {
public:
    // Takes the health of the panes shown, pane 0 first, at `now`; true
    // when the line changed.  The time of a loss is fixed when the loss is
    // first seen, so the line does not change while nothing happens.
    bool update(const std::vector<Pane_Health>& panes, time_t now);
    const std::wstring& line() const { return text; }
    // The pane lost longest; -1 when none is.
    int oldest_lost_pane() const { return oldest; }

private:
    struct Loss {
        bool lost = false;
        time_t since = 0;
    };
    std::vector<Loss> losses;
    std::wstring text;
    int oldest = -1;
};

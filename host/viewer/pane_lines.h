// Each pane's changes of state as lines for standard output, one a
// change: "pane 3 door: lost: the server ended the session" (the pane, the
// name its caption gives, the state and, while it is lost, why).  A script
// that started the viewer follows each pane by them, as it follows the
// whole wall by the health line.
#pragma once

#include <string>
#include <vector>

#include "control_wall.h"

struct Pane_Report {
    std::wstring name;  // empty when the pane was never opened by the viewer
    Pane_Health health;
    std::wstring reason;  // while lost or reconnecting, when the control tells it
};

class Pane_Lines {
public:
    // Takes the reports of the panes shown, pane 0 first; the lines of the
    // panes whose state or reason is not the one last told.  A pane is
    // taken as closed until told otherwise, so the first lines are those of
    // panes that show something.
    std::vector<std::wstring> update(const std::vector<Pane_Report>& panes);

private:
    // Each pane's state and reason as last told.
    std::vector<std::wstring> told;
};

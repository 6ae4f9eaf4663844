// Split_Layout: the split modes 1, 4, 9 and 16.  A layout places the first
// k*k panes of the control's pane table in a k by k grid over the view and
// hides them again when it is deleted.
#pragma once

#include <vector>

class Screen;

// The view that layouts and zoom fill, shared by every control in the
// process; the last resized control sets it.  Starts at 640 by 480.
extern int layout_width;
extern int layout_height;

class Split_Layout {
public:
    virtual ~Split_Layout() = default;
    virtual int arrange() = 0;  // places and shows the layout's panes
    virtual int hide_all();     // hides them; the base class does nothing
    int get_mode() const { return mode; }

    Split_Layout(const Split_Layout&) = delete;
    Split_Layout& operator=(const Split_Layout&) = delete;

protected:
    Split_Layout(std::vector<Screen*>* screens, int mode) : screens(screens), mode(mode) {}

    std::vector<Screen*>* screens;  // the control's pane table, not owned
    int mode;
    int origin_x = 1;
    int origin_y = 1;
};

// The k by k grid layout; Split_Layout_1, _4, _9 and _16 below.
template <int K>
class Split_Layout_Grid final : public Split_Layout {
public:
    explicit Split_Layout_Grid(std::vector<Screen*>* screens) : Split_Layout(screens, K * K) {}
    ~Split_Layout_Grid() override { Split_Layout_Grid::hide_all(); }
    int arrange() override;
    int hide_all() override;
};

using Split_Layout_1 = Split_Layout_Grid<1>;
using Split_Layout_4 = Split_Layout_Grid<2>;
using Split_Layout_9 = Split_Layout_Grid<3>;
using Split_Layout_16 = Split_Layout_Grid<4>;

extern template class Split_Layout_Grid<1>;
extern template class Split_Layout_Grid<2>;
extern template class Split_Layout_Grid<3>;
extern template class Split_Layout_Grid<4>;

// True for the split modes 1, 4, 9 and 16.
bool is_split_mode(long mode);

// The layout for 1, 4, 9 or 16 panes; null for any other mode or when out
// of memory.
Split_Layout* make_split_layout(int mode, std::vector<Screen*>* screens);

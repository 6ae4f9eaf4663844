#include "split_layout.h"

#include <new>

#include "screen.h"

int layout_width = 640;
int layout_height = 480;

int Split_Layout::hide_all()
{
    return 0;
}

// Cells have no gaps between them; the remainders of the truncating
// divisions (up to k-1 pixels) stay empty at the right and the bottom.
template <int K>
int Split_Layout_Grid<K>::arrange()
{
    const int cell_width = layout_width / K;
    const int cell_height = layout_height / K;
    for (int i = 0; i < mode && i < static_cast<int>(screens->size()); ++i) {
        (*screens)[i]->set_rect(origin_x + cell_width * (i % K),
                                origin_y + cell_height * (i / K),
                                cell_width, cell_height);
    }
    return 0;
}

template <int K>
int Split_Layout_Grid<K>::hide_all()
{
    for (int i = 0; i < mode && i < static_cast<int>(screens->size()); ++i)
        (*screens)[i]->hide();
    return 0;
}

template class Split_Layout_Grid<1>;
template class Split_Layout_Grid<2>;
template class Split_Layout_Grid<3>;
template class Split_Layout_Grid<4>;

bool is_split_mode(long mode)
{
    return mode == 1 || mode == 4 || mode == 9 || mode == 16;
}

Split_Layout* make_split_layout(int mode, std::vector<Screen*>* screens)
{
    switch (mode) {
    case 1: return new (std::nothrow) Split_Layout_1(screens);
    case 4: return new (std::nothrow) Split_Layout_4(screens);
    case 9: return new (std::nothrow) Split_Layout_9(screens);
    case 16: return new (std::nothrow) Split_Layout_16(screens);
    default: return nullptr;
    }
}

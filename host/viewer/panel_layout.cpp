#include "panel_layout.h"

#include <commctrl.h>

#include <string>

#include "resource.h"
#include "session.h"
#include "text_measure.h"
#include "texts.h"

namespace {

// A row is divided into twelve columns: halves, thirds and quarters.
const int columns = 12;
// The server list shows at least this many lines.
const int least_list_items = 6;

enum class Row_Kind { text, buttons, slider, list };

struct Cell {
    int id;    // 0 for an empty cell
    int span;  // of the twelve columns
};

struct Row {
    Row_Kind kind;
    bool starts_group;  // a wider gap above it
    Cell cells[4];
};

const Row rows[] = {
    {Row_Kind::text, false, {{IDC_CHANNELS_TEXT, 12}}},
    {Row_Kind::list, false, {{IDC_CHANNELS, 12}}},
    {Row_Kind::buttons, false, {{ID_SERVER_ADD, 4}, {ID_SERVER_EDIT, 4}, {ID_SERVER_REMOVE, 4}}},
    {Row_Kind::buttons, false, {{ID_OPEN, 6}, {ID_OPEN_ALL, 6}}},
    {Row_Kind::buttons, false, {{ID_CLOSE_PANE, 6}, {ID_CLOSE_ALL, 6}}},
    {Row_Kind::text, true, {{IDC_SOUND_TEXT, 12}}},
    {Row_Kind::buttons, false, {{ID_SOUND, 6}}},
    {Row_Kind::slider, false, {{IDC_VOLUME_TEXT, 4}, {IDC_VOLUME, 8}}},
    {Row_Kind::text, true, {{IDC_LAYOUT_TEXT, 12}}},
    {Row_Kind::buttons, false, {{ID_LAYOUT_1, 3}, {ID_LAYOUT_4, 3}, {ID_LAYOUT_9, 3}, {ID_LAYOUT_16, 3}}},
    {Row_Kind::text, true, {{IDC_CAMERA_TEXT, 12}}},
    {Row_Kind::buttons, false, {{0, 4}, {ID_PTZ_UP, 4}}},
    {Row_Kind::buttons, false, {{ID_PTZ_LEFT, 4}, {0, 4}, {ID_PTZ_RIGHT, 4}}},
    {Row_Kind::buttons, false, {{0, 4}, {ID_PTZ_DOWN, 4}}},
    {Row_Kind::buttons, false, {{ID_PTZ_TELE, 6}, {ID_PTZ_WIDE, 6}}},
    {Row_Kind::buttons, false, {{ID_PTZ_NEAR, 6}, {ID_PTZ_FAR, 6}}},
    {Row_Kind::slider, false, {{IDC_SPEED_TEXT, 4}, {IDC_SPEED, 8}}},
    {Row_Kind::buttons, true, {{ID_RECORD, 6}, {IDC_RECORD_TIME, 6}}},
    {Row_Kind::buttons, false, {{ID_SNAPSHOT, 6}, {ID_FOLDER, 6}}},
    {Row_Kind::text, false, {{IDC_FOLDER_TEXT, 12}}},
};

// The panel's lengths in pixels of its font.
struct Metrics {
    int margin_x, margin_y;  // around the rows
    int gap_x, gap_y;        // between cells and between rows
    int group_gap;           // more above a row that starts a group
    int line;                // a line of text
    int button;              // a row of buttons or a slider
    int padding;             // at each side of a button's text
    int slider_width;        // the least width of a slider
    int list_item;           // a line of the server list
};

// `units` of the dialog font's width (x) or height (y) in pixels.
int dialog_units(HWND panel, int units, bool x)
{
    RECT rect = {0, 0, units, units};
    if (!MapDialogRect(panel, &rect))
        return units * 2;  // the dialog units of the 8-point system font
    return x ? rect.right : rect.bottom;
}

Metrics measure(HWND panel)
{
    Metrics metrics;
    metrics.margin_x = dialog_units(panel, 4, true);
    metrics.margin_y = dialog_units(panel, 4, false);
    metrics.gap_x = dialog_units(panel, 4, true);
    metrics.gap_y = dialog_units(panel, 3, false);
    metrics.group_gap = dialog_units(panel, 4, false);
    metrics.line = line_height(panel);
    metrics.button = metrics.line + dialog_units(panel, 6, false);
    metrics.padding = dialog_units(panel, 4, true);
    metrics.slider_width = dialog_units(panel, 40, true);
    const LRESULT item = SendMessageW(GetDlgItem(panel, IDC_CHANNELS), TVM_GETITEMHEIGHT, 0, 0);
    metrics.list_item = item > 0 ? static_cast<int>(item) : metrics.line;
    return metrics;
}

bool has_class(HWND control, const wchar_t* name)
{
    wchar_t found[64] = L"";
    return GetClassNameW(control, found, 64) && lstrcmpiW(found, name) == 0;
}

std::wstring text_of(HWND control)
{
    wchar_t text[256] = L"";
    (void)GetWindowTextW(control, text, 256);  // an empty control reads as empty
    return text;
}

// The widest text a label shows: the texts the viewer puts in it later, or
// its own.
std::wstring widest_label_text(HWND control)
{
    switch (GetDlgCtrlID(control)) {
    case IDC_SOUND_TEXT: return format_text(IDS_SOUND_PANE, max_panes - 1);
    case IDC_RECORD_TIME: return format_text(IDS_STATE_RECORDING, 59ul, 59ul);
    case IDC_FOLDER_TEXT: return std::wstring();  // a long path is shortened with an ellipsis
    default: return text_of(control);
    }
}

// The width `control` needs to show its text whole.
int needed_width(HWND control, const Metrics& metrics)
{
    if (has_class(control, WC_STATICW))
        return text_extent(control, widest_label_text(control)).cx;
    if (has_class(control, TRACKBAR_CLASSW))
        return metrics.slider_width;
    // A channel of the tree stands two indents in: its server's button and its own.
    if (has_class(control, WC_TREEVIEWW))
        return text_extent(control, format_text(IDS_CHANNEL_ITEM, 888)).cx + GetSystemMetrics(SM_CXVSCROLL) +
               2 * (GetSystemMetrics(SM_CXEDGE) + metrics.padding +
                    static_cast<int>(SendMessageW(control, TVM_GETINDENT, 0, 0)));
    return text_extent(control, text_of(control)).cx + 2 * metrics.padding;
}

int row_height(const Row& row, const Metrics& metrics, int list_height)
{
    switch (row.kind) {
    case Row_Kind::text: return metrics.line;
    case Row_Kind::list: return list_height;
    default: return metrics.button;
    }
}

int least_list_height(const Metrics& metrics)
{
    return least_list_items * metrics.list_item + 2 * GetSystemMetrics(SM_CYEDGE);
}

// The panel's height without the server list.
int height_without_list(const Metrics& metrics)
{
    int height = 2 * metrics.margin_y;
    for (const Row& row : rows)
        height += row_height(row, metrics, 0) + metrics.gap_y + (row.starts_group ? metrics.group_gap : 0);
    return height - metrics.gap_y;
}

// The width between the margins that gives every cell its needed width.
int needed_inner_width(HWND panel, const Metrics& metrics)
{
    int inner = 0;
    for (const Row& row : rows)
        for (const Cell& cell : row.cells) {
            if (!cell.id)
                continue;
            // A cell of `span` columns is span * (inner + gap) / columns - gap wide.
            const int needed = needed_width(GetDlgItem(panel, cell.id), metrics) + metrics.gap_x;
            const int width = (needed * columns + cell.span - 1) / cell.span - metrics.gap_x;
            if (width > inner)
                inner = width;
        }
    return inner;
}

} // namespace

SIZE panel_minimum_size(HWND panel)
{
    const Metrics metrics = measure(panel);
    return SIZE{needed_inner_width(panel, metrics) + 2 * metrics.margin_x,
                height_without_list(metrics) + least_list_height(metrics)};
}

// Labels sit in the middle of a taller row (beside a slider or a button).
void place_panel_controls(HWND panel, int height)
{
    const Metrics metrics = measure(panel);
    RECT client;
    if (!GetClientRect(panel, &client))
        return;
    const int inner = client.right - 2 * metrics.margin_x;
    const int list_height = height - height_without_list(metrics) > least_list_height(metrics)
                                ? height - height_without_list(metrics)
                                : least_list_height(metrics);
    int top = metrics.margin_y;
    for (const Row& row : rows) {
        top += row.starts_group ? metrics.group_gap : 0;
        const int row_tall = row_height(row, metrics, list_height);
        int column = 0;
        for (const Cell& cell : row.cells) {
            if (!cell.span)
                break;
            const int left = metrics.margin_x + column * (inner + metrics.gap_x) / columns;
            const int right =
                metrics.margin_x + (column + cell.span) * (inner + metrics.gap_x) / columns - metrics.gap_x;
            column += cell.span;
            HWND control = cell.id ? GetDlgItem(panel, cell.id) : nullptr;
            if (!control)
                continue;
            const bool label = has_class(control, WC_STATICW);
            const int tall = label && row.kind != Row_Kind::text ? metrics.line : row_tall;
            // A control that cannot be moved keeps its place; the next layout tries again.
            (void)SetWindowPos(control, nullptr, left, top + (row_tall - tall) / 2, right - left, tall,
                               SWP_NOZORDER | SWP_NOACTIVATE);
        }
        top += row_tall + metrics.gap_y;
    }
}

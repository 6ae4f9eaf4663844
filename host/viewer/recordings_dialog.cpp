#include "recordings_dialog.h"

#include <commctrl.h>

#include <vector>

#include "recordings.h"
#include "resource.h"
#include "texts.h"

namespace {

struct Choice {
    std::wstring folder;
    std::vector<Recording> recordings;
    std::wstring chosen;
};

enum Column { time_column, channel_column, size_column, file_column };

// The time in the user's time zone, "2024-05-01 14:03:22".
std::wstring local_time_text(ULONGLONG time)
{
    const FILETIME universal = {static_cast<DWORD>(time), static_cast<DWORD>(time >> 32)};
    FILETIME local;
    SYSTEMTIME parts;
    if (!FileTimeToLocalFileTime(&universal, &local) || !FileTimeToSystemTime(&local, &parts))
        return std::wstring();
    wchar_t text[32];  // 19 characters
    (void)swprintf(text, 32, L"%04u-%02u-%02u %02u:%02u:%02u", parts.wYear, parts.wMonth, parts.wDay, parts.wHour,
             parts.wMinute, parts.wSecond);
    return text;
}

std::wstring size_text(ULONGLONG bytes)
{
    const ULONGLONG kilobytes = (bytes + 1023) / 1024;
    return kilobytes < 10240 ? format_text(IDS_RECORDINGS_KB, static_cast<unsigned long>(kilobytes))
                             : format_text(IDS_RECORDINGS_MB, static_cast<unsigned long>(kilobytes / 1024));
}

void add_columns(HWND list)
{
    static const struct {
        UINT title;
        int width;
    } columns[] = {{IDS_RECORDINGS_TIME, 130}, {IDS_RECORDINGS_CHANNEL, 60}, {IDS_RECORDINGS_SIZE, 70},
                   {IDS_RECORDINGS_FILE, 150}};
    for (int i = 0; i < static_cast<int>(sizeof columns / sizeof *columns); ++i) {
        const std::wstring title = load_text(columns[i].title);
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = const_cast<wchar_t*>(title.c_str());
        column.cx = columns[i].width;
        (void)SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));  // a list without it still lists
    }
}

void set_cell(HWND list, int row, int column, const std::wstring& text)
{
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    (void)SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));  // the row is there
}

void fill_list(HWND list, const std::vector<Recording>& recordings)
{
    for (int row = 0; row < static_cast<int>(recordings.size()); ++row) {
        const Recording& recording = recordings[row];
        const std::wstring time = local_time_text(recording.time);
        LVITEMW item = {};
        item.mask = LVIF_TEXT;
        item.iItem = row;
        item.pszText = const_cast<wchar_t*>(time.c_str());
        if (SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)) != row)
            return;
        set_cell(list, row, channel_column,
                 recording.channel > 0 ? std::to_wstring(recording.channel) : load_text(IDS_RECORDINGS_NO_CHANNEL));
        set_cell(list, row, size_column, size_text(recording.bytes));
        set_cell(list, row, file_column, recording.name);
    }
    // The newest chosen and focused, so Enter plays it.
    LVITEMW first = {};
    first.stateMask = first.state = LVIS_SELECTED | LVIS_FOCUSED;
    (void)SendMessageW(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&first));  // an empty list has no row 0
}

void init_dialog(HWND dialog, Choice* choice)
{
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(choice));
    HWND list = GetDlgItem(dialog, IDC_RECORDINGS_LIST);
    (void)SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    add_columns(list);
    choice->recordings = list_recordings(choice->folder);
    fill_list(list, choice->recordings);
    const UINT heading = choice->recordings.empty() ? IDS_RECORDINGS_NONE : IDS_RECORDINGS_IN;
    (void)SetDlgItemTextW(dialog, IDC_RECORDINGS_FOLDER, format_text(heading, choice->folder.c_str()).c_str());
    (void)EnableWindow(GetDlgItem(dialog, IDOK), !choice->recordings.empty());
    (void)SetFocus(list);
}

// The chosen row's file; false when no row is chosen.
bool take_choice(HWND dialog, Choice* choice)
{
    const LRESULT row = SendMessageW(GetDlgItem(dialog, IDC_RECORDINGS_LIST), LVM_GETNEXTITEM, -1, LVNI_SELECTED);
    if (row < 0 || row >= static_cast<LRESULT>(choice->recordings.size()))
        return false;
    choice->chosen = choice->recordings[row].path;
    return true;
}

INT_PTR CALLBACK recordings_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_INITDIALOG) {
        init_dialog(dialog, reinterpret_cast<Choice*>(lparam));
        return FALSE;  // the focus is on the list
    }
    auto choice = reinterpret_cast<Choice*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (!choice)
        return FALSE;
    const bool double_click = message == WM_NOTIFY && reinterpret_cast<NMHDR*>(lparam)->idFrom == IDC_RECORDINGS_LIST &&
                              reinterpret_cast<NMHDR*>(lparam)->code == NM_DBLCLK;
    if (double_click || (message == WM_COMMAND && LOWORD(wparam) == IDOK)) {
        if (take_choice(dialog, choice))
            (void)EndDialog(dialog, IDOK);  // ends the dialog's loop
        return TRUE;
    }
    if (message == WM_COMMAND && LOWORD(wparam) == IDCANCEL) {
        (void)EndDialog(dialog, IDCANCEL);  // ends the dialog's loop
        return TRUE;
    }
    return FALSE;
}

} // namespace

bool choose_recording(HWND owner, const std::wstring& folder, std::wstring* path)
{
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_LISTVIEW_CLASSES};
    if (!InitCommonControlsEx(&classes))
        return false;
    Choice choice;
    choice.folder = folder;
    if (DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_RECORDINGS), owner, recordings_proc,
                        reinterpret_cast<LPARAM>(&choice)) != IDOK)
        return false;
    *path = choice.chosen;
    return true;
}

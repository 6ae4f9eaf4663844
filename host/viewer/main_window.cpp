#include "main_window.h"

#include <commctrl.h>
#include <shlobj.h>

#include <ctime>

#include "camera_url.h"
#include "connect_dialog.h"
#include "console_line.h"
#include "dispatch_call.h"
#include "pane_keys.h"
#include "pane_zoom.h"
#include "panel_layout.h"
#include "player_window.h"
#include "recordings_dialog.h"
#include "resource.h"
#include "settings.h"
#include "texts.h"

namespace {

const wchar_t frame_class[] = L"kelm_viewer";
const wchar_t control_prog_id[] = L"kelm.kelm_ctrl";
// The control's natural size, which the window has at first, and the
// least the panes may have beside the panel.
const int view_width = 641;
const int view_height = 481;
const int least_view_width = 160;
const int least_view_height = 120;
const UINT_PTR status_timer = 1;
const UINT status_period_ms = 500;
// A live pane's state is read from the control this often at most (each
// read writes a trace pair to the control's log); the pane itself shows a
// loss at once.
const DWORD status_read_ms = 5000;
const int default_speed = 5;
const int max_speed = 7;

// The reason in English for the control's error, with its own text beside it.
std::wstring explain(const Control_Error& error, UINT format)
{
    const std::wstring reason = error.code >= 0 ? load_text(IDS_ERROR_BASE + error.code) : error.text;
    return format_text(format, reason.c_str(), error.text.c_str());
}

struct Command {
    int id;
    void (Main_Window::*handler)();
};

// The camera buttons and the member each starts.
struct Move {
    int id;
    UINT key;
    const wchar_t* member;
};

const Move moves[] = {
    {ID_PTZ_UP, VK_NUMPAD8, L"ptz_up"},       {ID_PTZ_DOWN, VK_NUMPAD2, L"ptz_down"},
    {ID_PTZ_LEFT, VK_NUMPAD4, L"ptz_left"},   {ID_PTZ_RIGHT, VK_NUMPAD6, L"ptz_right"},
    {ID_PTZ_TELE, VK_ADD, L"ptz_tele"},       {ID_PTZ_WIDE, VK_SUBTRACT, L"ptz_wild"},
    {ID_PTZ_NEAR, VK_NUMPAD7, L"ptz_near"},   {ID_PTZ_FAR, VK_NUMPAD9, L"ptz_far"},
};

const Move* move_for_id(int id)
{
    for (const Move& move : moves)
        if (move.id == id)
            return &move;
    return nullptr;
}

const Move* move_for_key(UINT key)
{
    for (const Move& move : moves)
        if (move.key == key)
            return &move;
    return nullptr;
}

// A key held down repeats its WM_KEYDOWN with this bit set.
bool is_key_repeat(const MSG& message)
{
    const LPARAM repeat = 1 << 30;
    return message.message == WM_KEYDOWN && (message.lParam & repeat);
}

// A held S turns the sound on or off once, not at every repeat of the key
// (a held Ctrl+S is the snapshot's).
bool is_sound_key_repeat(const MSG& message)
{
    return is_key_repeat(message) && message.wParam == 'S' && GetKeyState(VK_CONTROL) >= 0;
}

bool any_modifier_held()
{
    return GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_SHIFT) < 0 || GetKeyState(VK_MENU) < 0;
}

// A camera button moves while the mouse holds it down.
LRESULT CALLBACK camera_button_proc(HWND button, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                                    DWORD_PTR window)
{
    auto owner = reinterpret_cast<Main_Window*>(window);
    if (message == WM_LBUTTONDOWN)
        owner->press(static_cast<int>(id));
    else if (message == WM_LBUTTONUP || message == WM_CAPTURECHANGED)
        owner->release();
    return DefSubclassProc(button, message, wparam, lparam);
}

} // namespace

bool Main_Window::create()
{
    WNDCLASSW window_class = {};
    window_class.lpfnWndProc = window_proc;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    window_class.lpszClassName = frame_class;
    window_class.lpszMenuName = MAKEINTRESOURCEW(IDR_MAIN_MENU);
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_BAR_CLASSES | ICC_TREEVIEW_CLASSES};
    if (!InitCommonControlsEx(&classes) || !RegisterClassW(&window_class))
        return false;
    accelerators = LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_ACCELERATORS));
    frame = CreateWindowExW(0, frame_class, load_text(IDS_TITLE).c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                            GetModuleHandleW(nullptr), this);
    if (!frame || !create_children())
        return false;
    ShowWindow(frame, SW_SHOWNORMAL);
    tell(load_text(IDS_NOT_CONNECTED));
    return true;
}

bool Main_Window::create_children()
{
    panel = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_PANEL), frame, panel_proc,
                               reinterpret_cast<LPARAM>(this));
    // The bar writes in the panel's font, the dialog font.
    const bool bar_made =
        panel && status_bar.create(frame, reinterpret_cast<HFONT>(SendMessageW(panel, WM_GETFONT, 0, 0)));
    const RECT view = {0, 0, view_width, view_height};
    control_host = container.create(frame, control_prog_id, view);
    *control.put() = control_host ? container.control(control_host) : nullptr;
    if (!bar_made || !control) {
        MessageBoxW(frame, load_text(IDS_NO_CONTROL).c_str(), load_text(IDS_TITLE).c_str(), MB_ICONERROR);
        return false;
    }
    session.reset(new Session(control.get()));
    wall.reset(new Control_Wall(control.get()));
    (void)wall->show_captions(true);  // an older control shows its panes without captions
    sound.reset(new Sound_Controls(panel, *session, control.get(), [this](const std::wstring& text) { tell(text); }));
    servers.reset(new Server_Panel(frame, GetDlgItem(panel, IDC_CHANNELS)));
    views.reset(new Saved_Views(*this, frame));
    for (const Move& move : moves)
        (void)SetWindowSubclass(GetDlgItem(panel, move.id), camera_button_proc, move.id,
                                reinterpret_cast<DWORD_PTR>(this));  // without it the button only clicks
    HWND speed = GetDlgItem(panel, IDC_SPEED);
    (void)SendMessageW(speed, TBM_SETRANGE, TRUE, MAKELPARAM(1, max_speed));
    (void)SendMessageW(speed, TBM_SETPOS, TRUE, default_speed);
    // The frame's size for the control at its natural size beside the
    // panel, taller when the panel's font makes the panel taller.
    panel_size = panel_minimum_size(panel);
    RECT outer = {0, 0, view_width + panel_size.cx,
                  (panel_size.cy > view_height ? panel_size.cy : view_height) + status_bar.height()};
    (void)AdjustWindowRect(&outer, WS_OVERLAPPEDWINDOW, TRUE);  // the default size serves if it fails
    (void)SetWindowPos(frame, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                       SWP_NOMOVE | SWP_NOZORDER);
    (void)SetTimer(frame, status_timer, status_period_ms, nullptr);  // without it the status stands still
    return true;
}

LRESULT CALLBACK Main_Window::window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_NCCREATE)
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams));
    auto self = reinterpret_cast<Main_Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    // Messages before the window's own children exist go their default way.
    if (!self || !self->session)
        return DefWindowProcW(window, message, wparam, lparam);
    switch (message) {
    case WM_COMMAND:
        self->command(LOWORD(wparam));
        return 0;
    case WM_SIZE:
        self->on_size(LOWORD(lparam), HIWORD(lparam));
        return 0;
    case WM_GETMINMAXINFO:
        self->on_min_max_info(reinterpret_cast<MINMAXINFO*>(lparam));
        return 0;
    case WM_TIMER:
        self->on_timer();
        return 0;
    case WM_NOTIFY:
        if (self->status_bar.health_clicked(*reinterpret_cast<const NMHDR*>(lparam)))
            self->activate_oldest_lost();
        return 0;
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        (void)KillTimer(window, status_timer);  // the window goes either way
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wparam, lparam);
    }
}

// The panel hands its buttons to the window; Enter and a double click in
// the server list connect the chosen server or open the chosen channel.
INT_PTR CALLBACK Main_Window::panel_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lparam);
        return FALSE;
    }
    auto self = reinterpret_cast<Main_Window*>(GetWindowLongPtrW(dialog, DWLP_USER));
    // A slider tells its moves to its parent, the panel; the speed slider
    // is read when a move starts.
    if (message == WM_HSCROLL && self && self->sound &&
        GetDlgCtrlID(reinterpret_cast<HWND>(lparam)) == IDC_VOLUME) {
        self->sound->on_volume_moved();
        return TRUE;
    }
    if (message == WM_NOTIFY && self && self->servers && reinterpret_cast<NMHDR*>(lparam)->idFrom == IDC_CHANNELS &&
        reinterpret_cast<NMHDR*>(lparam)->code == NM_DBLCLK) {
        self->on_server_list_double_click();
        // The tree does not also open or close the server's branch.
        (void)SetWindowLongPtrW(dialog, DWLP_MSGRESULT, TRUE);  // answers the value it replaces
        return TRUE;
    }
    if (message != WM_COMMAND || !self)
        return FALSE;
    const int id = LOWORD(wparam);
    if (id == IDOK)
        self->command(ID_OPEN);
    else if (HIWORD(wparam) == BN_CLICKED)
        self->command(id);
    return TRUE;
}

void Main_Window::command(int id)
{
    static const Command commands[] = {
        {ID_CONNECT, &Main_Window::on_connect},       {ID_EXIT, &Main_Window::on_exit},
        {ID_LAYOUT_1, &Main_Window::on_layout_1},     {ID_LAYOUT_4, &Main_Window::on_layout_4},
        {ID_LAYOUT_9, &Main_Window::on_layout_9},     {ID_LAYOUT_16, &Main_Window::on_layout_16},
        {ID_OPEN, &Main_Window::on_open},             {ID_OPEN_ALL, &Main_Window::on_open_all},
        {ID_CLOSE_PANE, &Main_Window::on_close_pane}, {ID_CLOSE_ALL, &Main_Window::on_close_all},
        {ID_RECORD, &Main_Window::on_record},         {ID_SNAPSHOT, &Main_Window::on_snapshot},
        {ID_FOLDER, &Main_Window::on_folder},         {ID_HELP_KEYS, &Main_Window::on_help_keys},
        {ID_SOUND, &Main_Window::on_sound},           {ID_ZOOM, &Main_Window::on_zoom},
        {ID_FULL_SCREEN, &Main_Window::on_full_screen},
        {ID_SERVER_ADD, &Main_Window::on_server_add},       {ID_CAMERA_ADD, &Main_Window::on_camera_add},
        {ID_SERVER_EDIT, &Main_Window::on_server_edit},
        {ID_SERVER_REMOVE, &Main_Window::on_server_remove}, {ID_SERVER_CONNECT, &Main_Window::on_server_connect},
        {ID_VIEW_SAVE, &Main_Window::on_view_save},         {ID_VIEW_DELETE, &Main_Window::on_view_delete},
        {ID_VIEW_OPEN_LAST, &Main_Window::on_view_open_last},
        {ID_RECORDINGS, &Main_Window::on_recordings},
    };
    if (id >= ID_VIEW_FIRST && id <= ID_VIEW_LAST) {
        views->choose(id);
        status_stale = true;
        return;
    }
    for (const Command& entry : commands)
        if (entry.id == id) {
            (this->*entry.handler)();
            status_stale = true;
            return;
        }
}

void Main_Window::on_size(int width, int height)
{
    if (width <= 0 || height <= 0)
        return;  // minimised: nothing shows
    const int panes = session->layout();
    const int pane = session->active_pane();
    const bool zoomed = pane_zoomed(control_host, panes, pane);
    place_children(width, height);
    // A control that changed its size lays its panes out again, which ends
    // a zoom; the pane is zoomed again to the new size.
    if (zoomed && !pane_zoomed(control_host, panes, pane))
        (void)toggle_pane_zoom(control_host, panes, pane);  // it was shown a moment ago
}

void Main_Window::place_children(int width, int height)
{
    const bool with_panel = !full_screen.active();
    // ShowWindow answers only whether the window was visible before.
    (void)ShowWindow(panel, with_panel ? SW_SHOWNA : SW_HIDE);
    (void)ShowWindow(status_bar.handle(), with_panel ? SW_SHOWNA : SW_HIDE);
    int view_right = width, view_bottom = height;
    if (with_panel) {
        status_bar.fit();
        view_bottom = height > status_bar.height() ? height - status_bar.height() : 0;
        view_right = width > panel_size.cx ? width - panel_size.cx : 0;
        // A window that cannot be moved keeps its place until the next size.
        (void)SetWindowPos(panel, nullptr, view_right, 0, width - view_right, view_bottom,
                           SWP_NOZORDER | SWP_NOACTIVATE);
        place_panel_controls(panel, view_bottom);
        // The panel's ground and every control painted anew at their places.
        (void)RedrawWindow(panel, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    }
    (void)MoveWindow(control_host, 0, 0, view_right, view_bottom, TRUE);
}

void Main_Window::on_min_max_info(MINMAXINFO* info) const
{
    if (full_screen.active())
        return;  // the monitor's size, not the panel's
    RECT outer = {0, 0, panel_size.cx + least_view_width,
                  (panel_size.cy > least_view_height ? panel_size.cy : least_view_height) + status_bar.height()};
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(frame, GWL_STYLE));
    const DWORD extended_style = static_cast<DWORD>(GetWindowLongPtrW(frame, GWL_EXSTYLE));
    if (!AdjustWindowRectEx(&outer, style, GetMenu(frame) != nullptr, extended_style))
        return;  // the system's least size stays
    info->ptMinTrackSize.x = outer.right - outer.left;
    info->ptMinTrackSize.y = outer.bottom - outer.top;
}

void Main_Window::on_timer()
{
    show_lockout();
    show_wall_health();
    const int pane = session->active_pane();
    if (pane < 0 || pane >= max_panes)
        return;
    sound->show_heard(pane);
    // Only a live pane's state costs a trace pair to read: any other state
    // is read at every tick, so a pane that comes up is seen at once.  The
    // wall's health, which costs nothing, tells when a live pane is lost.
    if (wall->available() && wall->health(pane).state != shown_status.state)
        status_stale = true;
    if (status_stale || pane != shown_status.pane || shown_status.state != Pane_State::live ||
        GetTickCount() - status_read_at >= status_read_ms) {
        shown_status = session->status(pane);
        status_read_at = GetTickCount();
        status_stale = false;
    }
    const Pane_Status& status = shown_status;
    std::wstring state;
    if (status.state == Pane_State::closed)
        state = load_text(IDS_STATE_CLOSED);
    else
        state = format_text(status.state == Pane_State::live ? IDS_STATE_LIVE : IDS_STATE_LOST,
                            status.server.c_str(), status.channel);
    if (status.state == Pane_State::lost) {
        const std::wstring why = wall->reason(pane);
        if (!why.empty())
            state += L" (" + why + L")";
    }
    std::wstring elapsed;
    if (recording[pane]) {
        const DWORD seconds = (GetTickCount() - recording_since[pane]) / 1000;
        elapsed = format_text(IDS_STATE_RECORDING, seconds / 60, seconds % 60);
    }
    status_bar.show_pane(format_text(IDS_PANE_STATUS, pane, (state + elapsed).c_str()));
    (void)SetDlgItemTextW(panel, IDC_RECORD_TIME, elapsed.empty() ? L"" : elapsed.c_str() + 2);
    (void)CheckDlgButton(panel, ID_RECORD, recording[pane] ? BST_CHECKED : BST_UNCHECKED);
}

void Main_Window::show_wall_health()
{
    if (!wall->available())
        return;
    const int shown = session->layout();
    std::vector<Pane_Health> panes;
    for (int pane = 0; pane < shown && pane < max_panes; ++pane)
        panes.push_back(wall->health(pane));
    print_pane_changes(panes);
    if (!wall_health.update(panes, time(nullptr)))
        return;
    status_bar.show_health(wall_health.line());
    print_line(wall_health.line());
}

void Main_Window::print_pane_changes(const std::vector<Pane_Health>& panes)
{
    std::vector<Pane_Report> reports;
    for (size_t pane = 0; pane < panes.size(); ++pane) {
        const int number = static_cast<int>(pane);
        const Server_Entry* server = servers->opened_in(number);
        reports.push_back({server ? server->name : std::wstring(), panes[pane],
                           panes[pane].state == Pane_State::lost ? wall->reason(number) : std::wstring()});
    }
    for (const std::wstring& line : pane_lines.update(reports))
        print_line(line);
}

void Main_Window::activate_oldest_lost()
{
    const int pane = wall_health.oldest_lost_pane();
    if (pane < 0 || !session->activate(pane))
        return;
    (void)SetFocus(control_host);  // the arrow keys go on from the pane
    refresh_status();
}

void Main_Window::refresh_status()
{
    status_stale = true;
    on_timer();
    (void)UpdateWindow(status_bar.handle());  // painted now, not at the next turn of the message loop
}

void Main_Window::show_lockout()
{
    const int left = lockout.seconds_left(time(nullptr));
    if (left > 0) {
        status_bar.show_lockout(format_text(IDS_LOCKOUT_LEFT, left / 60, left % 60));
        lockout_shown = true;
    } else if (lockout_shown) {
        status_bar.show_lockout(std::wstring());
        lockout_shown = false;
        tell(load_text(IDS_LOCKOUT_OVER));
    }
}

void Main_Window::tell(const std::wstring& text)
{
    status_bar.show_message(text);
    print_line(text);
}

void Main_Window::update_title()
{
    const std::wstring title =
        connected ? format_text(IDS_TITLE_SERVER, session->server().c_str()) : load_text(IDS_TITLE);
    (void)SetWindowTextW(frame, title.c_str());
}

bool Main_Window::connect_to(const Server_Entry& wanted, const std::wstring& password)
{
    const Server_Entry& server = servers->adopt(wanted, password);
    if (!connect_server(server.id))
        return false;
    if (server.camera)
        servers->choose(Tree_Item{server.id, server.lowest_channel()});  // as a DVR's login chooses it
    return true;
}

void Main_Window::on_connect()
{
    Connect_Request request;
    if (!ask_connection(frame, &request))
        return;
    if (is_stream_url(request.address)) {
        tell(load_text(IDS_ADDRESS_IS_URL));
        return;
    }
    Server_Entry wanted;
    wanted.address = request.address;
    wanted.user = request.user;
    (void)connect_to(wanted, request.password);  // the status tells
}

void Main_Window::on_exit()
{
    (void)DestroyWindow(frame);  // WM_DESTROY ends the loop
}

void Main_Window::on_layout(int panes)
{
    if (!session->set_layout(panes))
        tell(explain(session->last_error(), IDS_LAST_ERROR));
}

bool Main_Window::open_in_active(int server_id, int channel)
{
    std::wstring reason;
    if (open_channel_of(server_id, channel, &reason))
        return true;
    const Server_Entry* server = servers->find(server_id);
    tell(format_text(IDS_OPEN_FAILED, channel, server ? server->label().c_str() : L"", reason.c_str()));
    return false;
}

// A chosen DVR is connected; a chosen channel opens, and so does a chosen
// camera's first channel.
void Main_Window::on_open()
{
    const Tree_Item chosen = servers->chosen();
    const Server_Entry* server = servers->find(chosen.server_id);
    if (!server) {
        tell(load_text(IDS_NO_CHANNEL));
        return;
    }
    if (!chosen.channel && !server->camera) {
        (void)connect_server(chosen.server_id);  // the status tells
        return;
    }
    stop_recording(session->active_pane());
    (void)open_in_active(chosen.server_id, chosen.channel ? chosen.channel : server->lowest_channel());  // the status tells
}

// The chosen server is the one --server connected.
void Main_Window::open_range(int first, int last, int first_pane)
{
    open_channels(servers->chosen().server_id, first, last, first_pane);
}

void Main_Window::open_channels(int server_id, int first, int last, int first_pane)
{
    for (int channel = first; channel <= last; ++channel)
        if (session->activate(first_pane + channel - first))
            (void)open_in_active(server_id, channel);  // the status tells
    (void)session->activate(0);  // pane 0 exists in every layout
}

// The chosen server's channels, connecting it first when it is not.
void Main_Window::on_open_all()
{
    const Server_Entry* server = servers->chosen_server();
    if (!server) {
        tell(load_text(IDS_NO_SERVER));
        return;
    }
    const int id = server->id;
    if (!server->connected && !connect_server(id))
        return;
    const int first = servers->find(id)->lowest_channel();
    const int last = servers->find(id)->highest_channel();
    const int panes = session->layout();
    open_channels(id, first, last - first < panes ? last : first + panes - 1);
}

void Main_Window::on_close_pane()
{
    stop_recording(session->active_pane());
    session->close_active();
}

void Main_Window::on_close_all()
{
    for (int pane = 0; pane < max_panes; ++pane)
        recording[pane] = false;  // closing a stream closes its recording
    session->close_all();
}

// In a one-pane layout the pane fills the view already.  An active pane
// that the layout hides is not shown to zoom; nothing changes then.
void Main_Window::on_zoom()
{
    const int panes = session->layout();
    if (panes > 1)
        (void)toggle_pane_zoom(control_host, panes, session->active_pane());
}

void Main_Window::on_full_screen()
{
    if (full_screen.active())
        full_screen.leave(frame);
    else if (full_screen.enter(frame))
        (void)SetFocus(control_host);  // the panel is hidden: the keys go to the panes
}

// A zoomed pane hands the zoom on to the pane that becomes active.
void Main_Window::move_active_pane(WPARAM arrow_key)
{
    const int panes = session->layout();
    const int from = session->active_pane();
    const int to = neighbour_pane(from, panes, arrow_key);
    if (to == from)
        return;
    const bool zoomed = pane_zoomed(control_host, panes, from);
    if (zoomed)
        (void)toggle_pane_zoom(control_host, panes, from);  // it was just found shown
    const int active = session->activate(to) ? to : from;
    if (zoomed)
        (void)toggle_pane_zoom(control_host, panes, active);  // every pane of the layout is shown again
    refresh_status();
}

void Main_Window::use_folder(const std::wstring& chosen)
{
    if (session->set_folder(chosen).empty()) {
        tell(format_text(IDS_FOLDER_REFUSED, chosen.c_str()));
        return;
    }
    folder = chosen;
    remember_folder(folder);
    (void)SetDlgItemTextW(panel, IDC_FOLDER_TEXT, folder.c_str());
}

void Main_Window::on_folder()
{
    const std::wstring title = load_text(IDS_CHOOSE_FOLDER);
    BROWSEINFOW browse = {};
    browse.hwndOwner = frame;
    browse.lpszTitle = title.c_str();
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&browse);
    if (!chosen)
        return;
    wchar_t path[MAX_PATH];
    const BOOL found = SHGetPathFromIDListW(chosen, path);
    CoTaskMemFree(chosen);
    if (found)
        use_folder(path);
}

// Without a chosen folder the last one used, else "kelm" in the documents.
static void ensure_folder_default(Main_Window* window, const std::wstring& current)
{
    if (!current.empty())
        return;
    std::wstring remembered = load_settings().folder;
    if (remembered.empty()) {
        wchar_t documents[MAX_PATH];
        if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, 0, documents)))
            return;
        remembered = std::wstring(documents) + L"\\kelm";
    }
    window->use_folder(remembered);
}

// The chosen recording plays in a window of its own beside this one.
void Main_Window::on_recordings()
{
    ensure_folder_default(this, folder);
    std::wstring chosen;
    if (choose_recording(frame, folder, &chosen) && !Player_Window::open(frame, chosen, false))
        tell(load_text(IDS_NO_PLAYER));
}

void Main_Window::stop_recording(int pane)
{
    if (pane < 0 || pane >= max_panes || !recording[pane])
        return;
    session->stop_recording();
    recording[pane] = false;
    tell(format_text(IDS_RECORDING_SAVED, newest_file(folder, L"*.mp4").c_str()));
}

void Main_Window::on_record()
{
    const int pane = session->active_pane();
    if (pane < 0 || pane >= max_panes)
        return;
    if (recording[pane]) {
        stop_recording(pane);
        return;
    }
    ensure_folder_default(this, folder);
    Control_Error error;
    if (!session->start_recording(&error)) {
        tell(format_text(IDS_NO_FILE, explain(error, IDS_LAST_ERROR).c_str()));
        return;
    }
    recording[pane] = true;
    recording_since[pane] = GetTickCount();
}

void Main_Window::on_snapshot()
{
    ensure_folder_default(this, folder);
    Control_Error error;
    if (!session->snapshot(&error)) {
        tell(format_text(IDS_NO_FILE, explain(error, IDS_LAST_ERROR).c_str()));
        return;
    }
    tell(format_text(IDS_SNAPSHOT_SAVED, newest_file(folder, L"*.jpg").c_str()));
}

void Main_Window::on_sound()
{
    sound->toggle();
}

bool Main_Window::start_sound()
{
    return sound->start();
}

void Main_Window::on_help_keys()
{
    MessageBoxW(frame, load_text(IDS_KEYS).c_str(), load_text(IDS_KEYS_TITLE).c_str(), MB_OK);
}

void Main_Window::press(int id)
{
    const Move* move = move_for_id(id);
    if (!move || moving)
        return;
    moving = id;
    // The speed goes with every move: the slider may have changed, or the pane.
    session->set_speed(static_cast<int>(SendMessageW(GetDlgItem(panel, IDC_SPEED), TBM_GETPOS, 0, 0)));
    session->start_move(move->member);
}

void Main_Window::release()
{
    if (!moving)
        return;
    moving = 0;
    session->stop_move();
}

// Camera keys move while held; the key's repeats are not new moves, nor
// new sound commands.
bool Main_Window::pre_translate(MSG* message)
{
    // A player, another window of the viewer, keeps its own keys.
    if (message->hwnd && GetAncestor(message->hwnd, GA_ROOT) != frame)
        return false;
    if ((message->message == WM_KEYDOWN || message->message == WM_KEYUP) && move_for_key(message->wParam)) {
        if (message->message == WM_KEYDOWN)
            press(move_for_key(message->wParam)->id);
        else
            release();
        return true;
    }
    if (is_sound_key_repeat(*message) || pane_key(*message))
        return true;
    // A click on the panes gives them the keys, which the panel would keep.
    if ((message->message == WM_LBUTTONDOWN || message->message == WM_RBUTTONDOWN) &&
        IsChild(control_host, message->hwnd))
        (void)SetFocus(control_host);  // answers the window that had the focus
    return TranslateAcceleratorW(frame, accelerators, message) || IsDialogMessageW(panel, message);
}

bool Main_Window::pane_key(const MSG& message)
{
    if (message.message != WM_KEYDOWN || any_modifier_held())
        return false;
    const WPARAM key = message.wParam;
    if (key == VK_ESCAPE && full_screen.active()) {
        command(ID_FULL_SCREEN);
        return true;
    }
    if ((key != VK_RETURN && !is_arrow_key(key)) || focus_takes_key(message, panel))
        return false;
    if (key != VK_RETURN)
        move_active_pane(key);
    else if (!is_key_repeat(message))
        command(ID_ZOOM);  // a held Enter zooms once
    return true;
}

int Main_Window::run_message_loop()
{
    MSG message;
    BOOL got;
    while ((got = GetMessageW(&message, nullptr, 0, 0)) > 0) {
        if (pre_translate(&message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return got < 0 ? 1 : 0;
}

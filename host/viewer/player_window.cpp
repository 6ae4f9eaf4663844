#include "player_window.h"

#include <commctrl.h>

extern "C" {
#include <libavutil/frame.h>
}

#include "console_line.h"
#include "ffmpeg_dlls.h"
#include "resource.h"
#include "texts.h"

namespace {

const wchar_t frame_class[] = L"kelm_player";
const wchar_t picture_class[] = L"kelm_player_picture";
const UINT playback_message = WM_APP + 1;
// The picture's area before the file tells its size, and the limits it
// is fitted to after.
const SIZE first_area = {640, 360};
const SIZE least_area = {480, 270};
const SIZE most_area = {960, 720};
const int least_bar_width = 400;
// Clicks beside the position bar's thumb move it by a tenth of the length,
// at least this much; the arrow keys by a second.
const int least_page_ms = 1000;
const int line_ms = 1000;

// "hh:mm:ss", or with hundredths "hh:mm:ss.cc".
std::wstring clock_text(int64_t ms, bool hundredths)
{
    // Up to 16 characters for any length below a million hours: the text
    // always fits.
    wchar_t text[32];
    const long long seconds = ms / 1000;
    if (hundredths)
        (void)swprintf(text, 32, L"%02lld:%02lld:%02lld.%02lld", seconds / 3600, seconds / 60 % 60, seconds % 60,
                 ms % 1000 / 10);
    else
        (void)swprintf(text, 32, L"%02lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60, seconds % 60);
    return text;
}

std::wstring file_name(const std::wstring& path)
{
    return path.substr(path.find_last_of(L"\\/") + 1);
}

// The classes of the player's window and of its picture, made once.
bool register_classes(WNDPROC frame_proc, WNDPROC picture_proc)
{
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_BAR_CLASSES};  // the position bar and the status bar
    if (!InitCommonControlsEx(&classes))
        return false;
    WNDCLASSW window_class = {};
    window_class.lpfnWndProc = frame_proc;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    window_class.lpszClassName = frame_class;
    WNDCLASSW picture_window_class = window_class;
    picture_window_class.style = CS_HREDRAW | CS_VREDRAW;
    picture_window_class.lpfnWndProc = picture_proc;
    picture_window_class.hbrBackground = nullptr;  // the painter paints every pixel
    picture_window_class.lpszClassName = picture_class;
    for (const WNDCLASSW& each : {window_class, picture_window_class})
        if (!RegisterClassW(&each) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
            return false;
    return true;
}

// A child's place in its parent's client area.
RECT child_rect(HWND child)
{
    RECT rect = {};
    if (GetWindowRect(child, &rect))
        (void)MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);  // 0 is a fair answer
    return rect;
}

// `size` grown or shrunk, shape kept, to lie between the least and the
// most area.
SIZE fitted_area(SIZE size)
{
    if (size.cx <= 0 || size.cy <= 0)
        return first_area;
    double scale = 1.0;
    if (size.cx < least_area.cx)
        scale = static_cast<double>(least_area.cx) / size.cx;
    if (size.cx * scale > most_area.cx)
        scale = static_cast<double>(most_area.cx) / size.cx;
    if (size.cy * scale > most_area.cy)
        scale = static_cast<double>(most_area.cy) / size.cy;
    return SIZE{static_cast<LONG>(size.cx * scale), static_cast<LONG>(size.cy * scale)};
}

// A click on the position bar beside its thumb goes to the place clicked,
// as a player's bar does, where a trackbar would move a page towards it
// (and only for a click on its narrow channel).  The bar's parent hears
// it as the thumb put there.
LRESULT CALLBACK position_bar_proc(HWND track, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR)
{
    if (message != WM_LBUTTONDOWN || !IsWindowEnabled(track))
        return DefSubclassProc(track, message, wparam, lparam);
    const POINT at = {static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
    RECT thumb = {}, channel = {};
    (void)SendMessageW(track, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));  // fills the rectangle
    (void)SendMessageW(track, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
    if (PtInRect(&thumb, at) || channel.right <= channel.left)
        return DefSubclassProc(track, message, wparam, lparam);  // the thumb is dragged as usual
    const LONG lowest = static_cast<LONG>(SendMessageW(track, TBM_GETRANGEMIN, 0, 0));
    const LONG highest = static_cast<LONG>(SendMessageW(track, TBM_GETRANGEMAX, 0, 0));
    const int x = at.x < channel.left ? channel.left : at.x > channel.right ? channel.right : at.x;
    const LONG place = lowest + MulDiv(x - channel.left, highest - lowest, channel.right - channel.left);
    (void)SetFocus(track);  // the arrow keys move it on from there
    (void)SendMessageW(track, TBM_SETPOS, TRUE, place);
    (void)SendMessageW(GetParent(track), WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, place), reinterpret_cast<LPARAM>(track));
    return 0;
}

} // namespace

Player_Window* Player_Window::open(HWND owner, const std::wstring& path, bool quit_when_closed)
{
    Player_Window* player = new Player_Window(path, quit_when_closed);
    if (!player->create(owner)) {
        if (player->frame)
            (void)DestroyWindow(player->frame);  // which deletes the player
        else
            delete player;
        return nullptr;
    }
    player->start();
    return player;
}

Player_Window::Player_Window(const std::wstring& file_path, bool quit) : path(file_path), quit_when_closed(quit) {}

Player_Window::~Player_Window()
{
    playback.stop();
    if (shown)
        av_frame_free(&shown);  // FFmpeg is called only once it is loaded
}

bool Player_Window::create(HWND owner)
{
    if (!register_classes(frame_proc, picture_proc))
        return false;
    frame = CreateWindowExW(0, frame_class, format_text(IDS_PLAYER_TITLE, file_name(path).c_str()).c_str(),
                            WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                            CW_USEDEFAULT, owner, nullptr, GetModuleHandleW(nullptr), this);
    if (!frame || !create_children())
        return false;
    fit_to_picture();
    (void)ShowWindow(frame, SW_SHOWNORMAL);  // answers only whether it was visible before
    return true;
}

bool Player_Window::create_children()
{
    picture = CreateWindowExW(0, picture_class, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, frame, nullptr,
                              GetModuleHandleW(nullptr), this);
    bar = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_PLAYER_BAR), frame, bar_proc,
                             reinterpret_cast<LPARAM>(this));
    status = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, frame,
                             nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!picture || !bar || !status)
        return false;
    bar_height = child_rect(bar).bottom;
    (void)SendMessageW(status, WM_SIZE, 0, 0);  // the bar takes its height and place
    HWND track = GetDlgItem(bar, IDC_PLAYER_POSITION);
    (void)SendMessageW(track, TBM_SETLINESIZE, 0, line_ms);  // answers the old size
    (void)SetWindowSubclass(track, position_bar_proc, 0, 0);  // without it a click moves a page
    show_position(0);
    return true;
}

// Without its DLLs the player says so in its status bar, as for any file
// it cannot play.
void Player_Window::start()
{
    tell(format_text(IDS_PLAYER_OPENING, path.c_str()));
    std::wstring problem;
    if (!load_ffmpeg(&problem)) {
        facts.problem = problem;
        on_refused();
        return;
    }
    // The first FFmpeg call: only once its DLLs are loaded.
    shown = av_frame_alloc();
    if (!shown || !playback.start(path, frame, playback_message)) {
        facts.problem = load_text(IDS_MEDIA_NO_THREAD);
        on_refused();
    }
}

LRESULT CALLBACK Player_Window::frame_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_NCCREATE)
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams));
    auto self = reinterpret_cast<Player_Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self && message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        delete self;
        return 0;
    }
    // Messages before the window's own children exist go their default way.
    if (!self || !self->status)
        return DefWindowProcW(window, message, wparam, lparam);
    switch (message) {
    case playback_message:
        self->on_playback(wparam);
        return 0;
    case WM_SIZE:
        self->place_children(LOWORD(lparam), HIWORD(lparam));
        return 0;
    case WM_GETMINMAXINFO: {
        RECT outer = {0, 0, least_bar_width, least_area.cy / 2 + self->bar_height};
        if (AdjustWindowRect(&outer, WS_OVERLAPPEDWINDOW, FALSE)) {
            auto info = reinterpret_cast<MINMAXINFO*>(lparam);
            info->ptMinTrackSize = POINT{outer.right - outer.left, outer.bottom - outer.top};
        }
        return 0;
    }
    case WM_DESTROY:
        // Its thread ends with the window, within one picture's work.
        self->playback.stop();
        if (self->quit_when_closed)
            PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wparam, lparam);
    }
}

LRESULT CALLBACK Player_Window::picture_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_NCCREATE)
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams));
    auto self = reinterpret_cast<Player_Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_ERASEBKGND)
        return 1;  // the paint covers it all
    if (message != WM_PAINT || !self)
        return DefWindowProcW(window, message, wparam, lparam);
    self->paint_picture();
    return 0;
}

// The bar hands its buttons and its position bar to the player.
INT_PTR CALLBACK Player_Window::bar_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lparam);
        return FALSE;
    }
    auto self = reinterpret_cast<Player_Window*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (!self)
        return FALSE;
    if (message == WM_COMMAND && HIWORD(wparam) == BN_CLICKED) {
        self->on_command(LOWORD(wparam));
        return TRUE;
    }
    if (message == WM_HSCROLL) {
        self->on_scroll(LOWORD(wparam));
        return TRUE;
    }
    return FALSE;
}

void Player_Window::paint_picture()
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(picture, &paint);
    if (!dc)
        return;
    RECT area;
    if (GetClientRect(picture, &area))
        painter.paint(dc, area, shown && shown->width > 0 ? shown : nullptr);
    (void)EndPaint(picture, &paint);  // always answers TRUE
}

void Player_Window::place_children(int width, int height)
{
    if (width <= 0 || height <= 0)
        return;  // minimised: nothing shows
    (void)SendMessageW(status, WM_SIZE, 0, 0);  // the bar places itself at the bottom
    (void)InvalidateRect(status, nullptr, TRUE);  // its size grip moved: painted anew at the next paint
    const int status_top = child_rect(status).top;
    const int bar_top = status_top > bar_height ? status_top - bar_height : 0;
    // A window that cannot be moved keeps its place until the next size.
    (void)MoveWindow(picture, 0, 0, width, bar_top, TRUE);
    (void)MoveWindow(bar, 0, bar_top, width, bar_height, TRUE);
    // The position bar takes the width the buttons and the time leave.
    HWND track = GetDlgItem(bar, IDC_PLAYER_POSITION);
    HWND time = GetDlgItem(bar, IDC_PLAYER_TIME);
    const RECT track_rect = child_rect(track), time_rect = child_rect(time);
    RECT margin = {4, 0, 0, 0};
    (void)MapDialogRect(bar, &margin);  // dialog units to pixels; the rectangle stays as given if it fails
    const int time_width = time_rect.right - time_rect.left;
    const int time_left = width - margin.left - time_width;
    (void)MoveWindow(time, time_left, time_rect.top, time_width, time_rect.bottom - time_rect.top, TRUE);
    const int track_width = time_left - margin.left - track_rect.left;
    (void)MoveWindow(track, track_rect.left, track_rect.top, track_width > 0 ? track_width : 0,
                     track_rect.bottom - track_rect.top, TRUE);
}

void Player_Window::fit_to_picture()
{
    const SIZE area = fitted_area(SIZE{facts.width, facts.height});
    RECT outer = {0, 0, area.cx > least_bar_width ? area.cx : least_bar_width,
                  area.cy + bar_height + child_rect(status).bottom - child_rect(status).top};
    RECT work;
    if (!AdjustWindowRect(&outer, WS_OVERLAPPEDWINDOW, FALSE) ||
        !SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0))
        return;  // the window keeps its size
    RECT now;
    if (!GetWindowRect(frame, &now))
        return;
    const int width = outer.right - outer.left, height = outer.bottom - outer.top;
    // The whole window on the screen, where it fits.
    int left = now.left, top = now.top;
    if (left + width > work.right)
        left = work.right - width;
    if (top + height > work.bottom)
        top = work.bottom - height;
    (void)SetWindowPos(frame, nullptr, left > work.left ? left : work.left, top > work.top ? top : work.top, width,
                       height, SWP_NOZORDER | SWP_NOACTIVATE);  // a window that cannot move keeps its place
}

void Player_Window::on_playback(WPARAM event)
{
    switch (event) {
    case playback_opened:
        on_opened();
        break;
    case playback_refused:
        facts = playback.facts();
        on_refused();
        break;
    case playback_picture:
        on_picture();
        break;
    case playback_ended:
        show_playing(false);
        tell(load_text(IDS_PLAYER_END));
        break;
    default:
        break;
    }
}

void Player_Window::on_opened()
{
    facts = playback.facts();
    const std::wstring length =
        facts.length_ms > 0 ? clock_text(facts.length_ms, false) : load_text(IDS_PLAYER_LENGTH_UNKNOWN);
    const std::wstring playing = format_text(IDS_PLAYING, path.c_str(), facts.width, facts.height, length.c_str());
    print_line(playing);
    tell(playing);
    HWND track = GetDlgItem(bar, IDC_PLAYER_POSITION);
    (void)EnableWindow(track, facts.length_ms > 0);  // answers whether it was enabled
    (void)SendMessageW(track, TBM_SETRANGEMAX, TRUE, static_cast<LPARAM>(facts.length_ms));
    const int64_t page = facts.length_ms / 10;
    (void)SendMessageW(track, TBM_SETPAGESIZE, 0, static_cast<LPARAM>(page > least_page_ms ? page : least_page_ms));
    show_playing(true);
    fit_to_picture();
}

void Player_Window::on_refused()
{
    current = State::refused;
    const std::wstring refusal = format_text(IDS_CANNOT_PLAY, path.c_str(), facts.problem.c_str());
    print_line(refusal);
    tell(refusal);
    (void)EnableWindow(bar, FALSE);  // nothing to play
}

void Player_Window::on_picture()
{
    if (!playback.take_picture(shown, &shown_ms))
        return;
    (void)InvalidateRect(picture, nullptr, FALSE);  // fails only for a window that is gone
    // Painted before the first picture counts as shown, so that a
    // screenshot taken then has it.
    (void)UpdateWindow(picture);
    current = State::showing;
    show_position(shown_ms);
}

void Player_Window::on_command(int id)
{
    if (current != State::showing)
        return;
    if (id == ID_PLAYER_PLAY) {
        const bool play = !playback.playing();
        if (play)
            playback.play();
        else
            playback.pause();
        show_playing(play);
        tell(load_text(play ? IDS_PLAYER_PLAYING : IDS_PLAYER_PAUSED));
    } else if (id == ID_PLAYER_STEP) {
        playback.step();
        show_playing(false);
        tell(load_text(IDS_PLAYER_PAUSED));
    }
}

// A drag seeks as the thumb moves (the thread goes to the latest place
// only); a click beside it, a key or the wheel seeks where it lands.
void Player_Window::on_scroll(int code)
{
    if (code == TB_ENDTRACK) {
        dragging = false;
        return;
    }
    dragging = code == TB_THUMBTRACK;
    playback.seek(SendMessageW(GetDlgItem(bar, IDC_PLAYER_POSITION), TBM_GETPOS, 0, 0));
}

void Player_Window::show_position(int64_t ms)
{
    const std::wstring length = facts.length_ms > 0 ? clock_text(facts.length_ms, true) : L"--:--:--.--";
    (void)SetDlgItemTextW(bar, IDC_PLAYER_TIME,
                          format_text(IDS_PLAYER_TIME, clock_text(ms, true).c_str(), length.c_str()).c_str());
    if (!dragging)
        (void)SendMessageW(GetDlgItem(bar, IDC_PLAYER_POSITION), TBM_SETPOS, TRUE, static_cast<LPARAM>(ms));
}

void Player_Window::show_playing(bool playing)
{
    (void)SetDlgItemTextW(bar, ID_PLAYER_PLAY, load_text(playing ? IDS_PLAYER_PAUSE : IDS_PLAYER_PLAY).c_str());
}

void Player_Window::tell(const std::wstring& text)
{
    (void)SendMessageW(status, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(text.c_str()));  // the bar keeps a copy
}

int run_player_loop()
{
    MSG message;
    BOOL got;
    while ((got = GetMessageW(&message, nullptr, 0, 0)) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return got < 0 ? 1 : 0;
}

// kelm-viewer driven as an operator drives it: real keys and mouse clicks
// (SendInput) on its window, against a dvr-sim of the test's own; what the
// viewer did is read from its status lines, the files it wrote and the
// simulator's camera.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <wincodec.h>

#include <cstdio>
#include <cstring>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "child_process.h"
#include "com_ptr.h"
#include "dvr_sim.h"
#include "recording_reader.h"
#include "rtsp_launch.h"
#include "text_file.h"
#include "../../host/viewer/resource.h"

namespace {

const DWORD patience_ms = 15000;

void send(std::initializer_list<INPUT> inputs)
{
    std::vector<INPUT> list(inputs);
    ASSERT_EQ(list.size(), SendInput(static_cast<UINT>(list.size()), list.data(), sizeof(INPUT)));
    Sleep(50);
}

INPUT key(WORD vk, bool up)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

void press_key(WORD vk);

// A space goes as the space bar, which a check box takes too.
void type(const std::wstring& text)
{
    for (wchar_t c : text) {
        if (c == L' ') {
            press_key(VK_SPACE);
            continue;
        }
        INPUT down = {}, up = {};
        down.type = up.type = INPUT_KEYBOARD;
        down.ki.wScan = up.ki.wScan = c;
        down.ki.dwFlags = KEYEVENTF_UNICODE;
        up.ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
        send({down, up});
    }
}

void mouse_button(bool down)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    send({input});
}

// The mouse moved to x, y of the screen, as a real mouse moves.
void move_mouse_to(int x, int y)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv(y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    send({input});
}

void press_key(WORD vk)
{
    send({key(vk, false), key(vk, true)});
}

void point_at(HWND window, int dx = -1, int dy = -1)
{
    RECT rect;
    ASSERT_TRUE(GetWindowRect(window, &rect));
    ASSERT_TRUE(SetCursorPos(dx < 0 ? (rect.left + rect.right) / 2 : rect.left + dx,
                             dy < 0 ? (rect.top + rect.bottom) / 2 : rect.top + dy));
}

void click(HWND window, int dx = -1, int dy = -1)
{
    point_at(window, dx, dy);
    mouse_button(true);
    mouse_button(false);
}

template <class Check>
bool wait_until(Check check, DWORD limit_ms = patience_ms)
{
    const DWORD start = GetTickCount();
    while (!check()) {
        if (GetTickCount() - start > limit_ms)
            return false;
        Sleep(100);
    }
    return true;
}

// A server for the viewer, kelm.dll registered for it, and a media folder.
class Viewer_Host : public ::testing::Test {
protected:
    Viewer_Host() : sim(Dvr_Sim::number_for("viewer.window")) {}

    void SetUp() override
    {
        ASSERT_TRUE(sim.running());
        kelm = LoadLibraryA(windows_path(KELM_DLL).c_str());
        ASSERT_TRUE(kelm);
        ASSERT_EQ(S_OK, call_export("DllRegisterServer"));
        wchar_t temp[MAX_PATH];
        ASSERT_NE(0u, GetTempPathW(MAX_PATH, temp));
        media = std::wstring(temp) + L"kelm-viewer-test-" + std::to_wstring(GetTickCount());
        // Every test starts with no servers in the list and no saved views.
        for (const wchar_t* key : {L"Software\\kelm\\viewer\\Servers", L"Software\\kelm\\viewer\\Views"})
            (void)RegDeleteTreeW(HKEY_CURRENT_USER, key);  // a missing key is gone already
    }

    void TearDown() override
    {
        // The prefix is left as this test found it.
        if (kelm) {
            EXPECT_EQ(S_OK, call_export("DllUnregisterServer"));
            FreeLibrary(kelm);
        }
    }

    HRESULT call_export(const char* name)
    {
        typedef HRESULT(WINAPI * Export)();
        auto function = reinterpret_cast<Export>(reinterpret_cast<void*>(GetProcAddress(kelm, name)));
        return function ? function() : E_NOTIMPL;
    }

    Dvr_Sim sim;
    HMODULE kelm = nullptr;
    std::wstring media;
};

// The viewer started with its standard output in a pipe, and its window.
class Viewer_Window : public Viewer_Host {
protected:
    void SetUp() override
    {
        Viewer_Host::SetUp();
        if (HasFatalFailure())
            return;
        open_viewer(L"");
    }

    void TearDown() override
    {
        close_viewer();
        Viewer_Host::TearDown();
    }

    // The viewer started with `options` besides the test's own, and its window.
    void open_viewer(const std::wstring& options)
    {
        start_viewer(options);
        // The window is shown once its children are there.
        ASSERT_TRUE(wait_until([&] {
            frame = FindWindowW(L"kelm_viewer", nullptr);
            return frame && IsWindowVisible(frame);
        }));
        panel = FindWindowExW(frame, nullptr, L"#32770", nullptr);
        status_bar = FindWindowExW(frame, nullptr, STATUSCLASSNAMEW, nullptr);
        ASSERT_TRUE(panel && status_bar);
        ASSERT_TRUE(SetForegroundWindow(frame));
    }

    // Closed as the operator closes it; its output is read anew from the next start.
    void close_viewer()
    {
        if (frame)
            PostMessageW(frame, WM_CLOSE, 0, 0);
        if (process.hProcess) {
            EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.hProcess, patience_ms));
            CloseHandle(process.hProcess);
            CloseHandle(process.hThread);
        }
        if (output)
            CloseHandle(output);
        process = {};
        output = nullptr;
        frame = nullptr;
        seen.clear();
        read_to = 0;
    }

    void start_viewer(const std::wstring& options)
    {
        SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
        HANDLE write_end = nullptr;
        ASSERT_TRUE(CreatePipe(&output, &write_end, &inherit, 0));
        SetHandleInformation(output, HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = write_end;
        startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);  // the viewer's own error messages
        const std::string exe = windows_path(VIEWER_EXE);
        const std::wstring program(exe.begin(), exe.end());
        std::wstring line = L"\"" + program + L"\" --layout 4 --media \"" + media + L"\"" + options;
        const BOOL started =
            CreateProcessW(program.c_str(), &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
        CloseHandle(write_end);
        ASSERT_TRUE(started);
    }

    // Waits for a line of the viewer's output that starts with `start`;
    // its rest, or "<none>".
    std::string line_starting(const std::string& start)
    {
        std::string found = "<none>";
        wait_until([&] {
            read_output();
            const size_t at = seen.find(start, read_to);
            if (at == std::string::npos)
                return false;
            const size_t end = seen.find_first_of("\r\n", at);
            if (end == std::string::npos)
                return false;
            found = seen.substr(at + start.size(), end - at - start.size());
            read_to = end;
            return true;
        });
        return found;
    }

    // What the viewer has written since the last read, added to `seen`.
    void read_output()
    {
        DWORD waiting = 0;
        char buffer[4096];
        DWORD n = 0;
        while (PeekNamedPipe(output, nullptr, 0, nullptr, &waiting, nullptr) && waiting &&
               ReadFile(output, buffer, sizeof buffer, &n, nullptr) && n)
            seen.append(buffer, n);
    }

    // Waits for `line`, whole, among all the viewer's lines since its start.
    bool printed(const std::string& line)
    {
        return wait_until([&] {
            read_output();
            for (size_t at = seen.find("\n" + line); at != std::string::npos; at = seen.find("\n" + line, at + 1))
                if (at + 1 + line.size() < seen.size() && strchr("\r\n", seen[at + 1 + line.size()]))
                    return true;
            return false;
        });
    }

    // The active pane's line of the status bar, or the window's title.
    static std::string text_of(HWND window)
    {
        wchar_t text[256] = L"";
        DWORD_PTR ignored;
        SendMessageTimeoutW(window, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_BLOCK, 2000, &ignored);
        return std::string(text, text + wcslen(text));  // the viewer's texts are ASCII
    }
    std::string pane_status() const { return text_of(status_bar); }

    // A part of the status bar: its text message carries a pointer, so the
    // text goes through a buffer in the viewer's own memory.
    std::string status_part(int part) const
    {
        wchar_t text[256] = L"";
        void* remote = VirtualAllocEx(process.hProcess, nullptr, sizeof text, MEM_COMMIT, PAGE_READWRITE);
        DWORD_PTR ignored;
        if (remote && SendMessageTimeoutW(status_bar, SB_GETTEXTW, part, reinterpret_cast<LPARAM>(remote), SMTO_BLOCK,
                                          2000, &ignored))
            ReadProcessMemory(process.hProcess, remote, text, sizeof text - sizeof *text, nullptr);
        if (remote)
            VirtualFreeEx(process.hProcess, remote, 0, MEM_RELEASE);
        return std::string(text, text + wcslen(text));
    }

    bool pane_shows(const std::string& text)
    {
        return wait_until([&] { return pane_status() == text; });
    }

    void connect(const std::wstring& password)
    {
        send({key(VK_CONTROL, false), key('O', false), key('O', true), key(VK_CONTROL, true)});
        HWND dialog = nullptr;
        ASSERT_TRUE(wait_until([&] { return (dialog = FindWindowW(L"#32770", L"Connect to a DVR")) != nullptr; }));
        Sleep(300);
        const std::wstring address(sim.address().begin(), sim.address().end());
        type(address);
        send({key(VK_TAB, false), key(VK_TAB, true)});
        type(L"operator");
        send({key(VK_TAB, false), key(VK_TAB, true)});
        type(password);
        send({key(VK_RETURN, false), key(VK_RETURN, true)});
    }

    // Connected with the right password, and the frame active again: a click
    // sent while the closing dialog hands activation back can be lost.
    void connect_as_operator()
    {
        connect(L"op");
        line_starting("Connected to ");
        ASSERT_TRUE(wait_until([&] {
            return !FindWindowW(L"#32770", L"Connect to a DVR") && GetForegroundWindow() == frame;
        }));
        Sleep(200);
    }

    // The server list given the keys by a click beside its first line (not
    // on a branch's button), then `keys` pressed in turn.
    void press_in_server_list(const std::vector<WORD>& keys)
    {
        RECT rect;
        ASSERT_TRUE(GetWindowRect(GetDlgItem(panel, IDC_CHANNELS), &rect));
        click(GetDlgItem(panel, IDC_CHANNELS), rect.right - rect.left - 30, 6);
        for (WORD pressed : keys)
            press_key(pressed);
    }

    // Channel `channel` of the first server opened in the active pane.
    void open_channel(int channel)
    {
        std::vector<WORD> keys(channel + 2, VK_DOWN);
        keys.front() = VK_HOME;
        keys.back() = VK_RETURN;
        press_in_server_list(keys);
    }

    // A double click on the text of line `line` (from 0) of the server list.
    void double_click_server_list_line(int line)
    {
        HWND tree = GetDlgItem(panel, IDC_CHANNELS);
        const int height = static_cast<int>(SendMessageW(tree, TVM_GETITEMHEIGHT, 0, 0));
        point_at(tree, static_cast<int>(SendMessageW(tree, TVM_GETINDENT, 0, 0)) + 12, 2 + height * line + height / 2);
        for (bool down : {true, false, true, false})
            mouse_button(down);
    }

    // A dialog's fields filled from the keyboard, Tab between them, and OK;
    // then the frame active again, unless another dialog follows.
    void fill_dialog(const wchar_t* title, const std::vector<std::wstring>& fields, bool frame_follows = true)
    {
        HWND dialog = nullptr;
        ASSERT_TRUE(wait_until([&] { return (dialog = FindWindowW(L"#32770", title)) != nullptr; }));
        Sleep(300);
        (void)SetForegroundWindow(dialog);  // a dialog of the viewer's start may come up behind
        for (const std::wstring& field : fields) {
            type(field);
            press_key(VK_TAB);
        }
        press_key(VK_RETURN);
        ASSERT_TRUE(wait_until([&] { return !IsWindow(dialog) && (!frame_follows || GetForegroundWindow() == frame); }));
        Sleep(200);
    }

    // The menu `menu` opened with Alt and its letter, and its entry of `letter` chosen.
    void choose_in_menu(WORD menu, WORD letter)
    {
        send({key(VK_MENU, false), key(menu, false), key(menu, true), key(VK_MENU, true)});
        Sleep(300);
        press_key(letter);
    }

    // A click on pane `pane` of the four; the panes fill the control's
    // visible area, its own buttons lie below it.
    void click_pane(int pane)
    {
        HWND view = FindWindowExW(frame, nullptr, L"AtlAxWin", nullptr);
        RECT rect;
        ASSERT_TRUE(GetWindowRect(view, &rect));
        click(view, (rect.right - rect.left) * (pane % 2 * 2 + 1) / 4,
              (rect.bottom - rect.top) * (pane / 2 * 2 + 1) / 4);
    }

    HWND view() const { return FindWindowExW(frame, nullptr, L"AtlAxWin", nullptr); }

    // The panes the control shows (a zoomed pane is the only one shown).
    int shown_panes() const
    {
        int shown = 0;
        HWND control = GetWindow(view(), GW_CHILD);
        for (HWND child = GetWindow(control, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            wchar_t name[16] = L"";
            shown += IsWindowVisible(child) && GetClassNameW(child, name, 16) && lstrcmpiW(name, L"Static") == 0;
        }
        return shown;
    }

    // The caption the control draws in pane `pane`: its window's text, or
    // "<none>" when the pane shows none.
    std::string caption_of(int pane) const
    {
        HWND control = GetWindow(view(), GW_CHILD);
        for (HWND child = GetWindow(control, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            wchar_t name[16] = L"";
            if (!GetClassNameW(child, name, 16) || lstrcmpiW(name, L"Static") != 0 || pane-- > 0)
                continue;
            HWND caption = FindWindowExW(child, nullptr, L"kelm_pane_caption", nullptr);
            return caption && IsWindowVisible(caption) ? text_of(caption) : "<none>";
        }
        return "<none>";
    }

    // The window's size grip dragged by dx, dy with the mouse.
    void drag_size_grip(int dx, int dy)
    {
        RECT bar;
        ASSERT_TRUE(GetWindowRect(status_bar, &bar));
        move_mouse_to(bar.right - 4, bar.bottom - 4);
        mouse_button(true);
        for (int step = 1; step <= 4; ++step)
            move_mouse_to(bar.right - 4 + dx * step / 4, bar.bottom - 4 + dy * step / 4);
        mouse_button(false);
        Sleep(500);
    }

    // Every control of the panel lies whole inside the window's client area,
    // above the status bar, and no two of them overlap.
    void expect_panel_whole() const
    {
        RECT client, bar;
        ASSERT_TRUE(GetClientRect(frame, &client) && GetWindowRect(status_bar, &bar));
        MapWindowPoints(frame, nullptr, reinterpret_cast<POINT*>(&client), 2);
        client.bottom = bar.top;
        std::vector<RECT> placed;
        for (HWND child = GetWindow(panel, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            RECT rect, inside, both;
            ASSERT_TRUE(GetWindowRect(child, &rect));
            EXPECT_TRUE(IntersectRect(&inside, &rect, &client) && EqualRect(&inside, &rect)) << GetDlgCtrlID(child);
            for (const RECT& other : placed)
                EXPECT_FALSE(IntersectRect(&both, &rect, &other)) << GetDlgCtrlID(child);
            placed.push_back(rect);
        }
    }

    PROCESS_INFORMATION process = {};
    HANDLE output = nullptr;
    std::string seen;
    size_t read_to = 0;
    HWND frame = nullptr, panel = nullptr, status_bar = nullptr;
};

// The viewer started with values of the user's settings in the test's
// prefix, which are put back once the viewer has read them.
struct User_Value {
    const wchar_t* key;
    const wchar_t* name;
    DWORD type;
    std::wstring text;  // REG_SZ
    DWORD number;       // REG_DWORD
};

class Viewer_Window_With_Settings : public Viewer_Window {
protected:
    virtual std::vector<User_Value> settings() const = 0;

    void SetUp() override
    {
        for (const User_Value& value : settings())
            set(value);
        Viewer_Window::SetUp();
        for (const Saved& old : saved)
            EXPECT_EQ(ERROR_SUCCESS, old.existed ? RegSetKeyValueW(HKEY_CURRENT_USER, old.key, old.name, old.type,
                                                                   old.data.data(), static_cast<DWORD>(old.data.size()))
                                                 : RegDeleteKeyValueW(HKEY_CURRENT_USER, old.key, old.name));
    }

    // The whole panel shows at the window's first size and at its least.
    void expect_panel_whole_at_first_and_least_size()
    {
        expect_panel_whole();
        drag_size_grip(-2000, -2000);
        expect_panel_whole();
    }

private:
    struct Saved {
        const wchar_t* key;
        const wchar_t* name;
        bool existed;
        DWORD type;
        std::vector<BYTE> data;
    };

    void set(const User_Value& value)
    {
        Saved old = {value.key, value.name, false, 0, std::vector<BYTE>(1024)};
        DWORD size = static_cast<DWORD>(old.data.size());
        old.existed = RegGetValueW(HKEY_CURRENT_USER, value.key, value.name, RRF_RT_ANY | RRF_NOEXPAND, &old.type,
                                   old.data.data(), &size) == ERROR_SUCCESS;
        old.data.resize(old.existed ? size : 0);
        saved.push_back(old);
        const BYTE* data = value.type == REG_SZ ? reinterpret_cast<const BYTE*>(value.text.c_str())
                                                : reinterpret_cast<const BYTE*>(&value.number);
        const DWORD bytes = value.type == REG_SZ ? static_cast<DWORD>((value.text.size() + 1) * sizeof(wchar_t))
                                                 : sizeof value.number;
        ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_CURRENT_USER, value.key, value.name, value.type, data, bytes));
    }

    std::vector<Saved> saved;
};

// The fonts of 144 dots per inch (the system's 150 per cent).
class Viewer_Window_Large_Font : public Viewer_Window_With_Settings {
protected:
    std::vector<User_Value> settings() const override
    {
        return {{L"Control Panel\\Desktop", L"LogPixels", REG_DWORD, L"", 144}};
    }
};

// The fonts of a Chinese-language system: every face the viewer and the
// control ask for drawn with a Chinese font, as Windows substitutes them
// there.
class Viewer_Window_Chinese_Fonts : public Viewer_Window_With_Settings {
protected:
    std::vector<User_Value> settings() const override
    {
        std::vector<User_Value> faces;
        for (const wchar_t* face : {L"MS Shell Dlg", L"MS Shell Dlg 2", L"Tahoma", L"Microsoft Sans Serif", L"SimSun",
                                    L"\x5B8B\x4F53"})
            faces.push_back({L"Software\\Wine\\Fonts\\Replacements", face, REG_SZ, chinese_face, 0});
        return faces;
    }
    static constexpr const wchar_t* chinese_face = L"WenQuanYi Micro Hei";
};

TEST_F(Viewer_Window_Large_Font, the_whole_panel_shows_at_the_first_and_at_the_least_size)
{
    RECT button;
    ASSERT_TRUE(GetWindowRect(GetDlgItem(panel, ID_OPEN), &button));
    ASSERT_LT(28, button.bottom - button.top) << "a button as high as with the fonts of 96 dots per inch";
    expect_panel_whole_at_first_and_least_size();
}

TEST_F(Viewer_Window_Chinese_Fonts, the_whole_panel_shows_at_the_first_and_at_the_least_size)
{
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(L"Z:\\usr\\share\\fonts\\truetype\\wqy\\wqy-microhei.ttc"))
        << "the Chinese font (scripts/setup installs it)";
    expect_panel_whole_at_first_and_least_size();
}

TEST_F(Viewer_Window, wrong_password_is_refused_in_english_then_the_right_one_connects)
{
    connect(L"wrong");
    EXPECT_EQ("wrong user name or password.",
              line_starting("Could not connect to " + sim.address() + " as operator: "));
    connect(L"op");
    EXPECT_EQ("0x18FF, 16 channels.", line_starting("Connected to " + sim.address() + " as operator: privilege mask "));
    EXPECT_EQ("kelm viewer - " + sim.address(), text_of(frame));
}

// The third refused login is refused whatever the password and locks every
// login; the status bar counts the lockout down.
TEST_F(Viewer_Window, three_refused_logins_lock_every_login_and_the_status_bar_counts_down)
{
    connect(L"wrong");
    line_starting("Could not connect to ");
    connect(L"wrong");
    EXPECT_NE(std::string::npos, line_starting("Could not connect to ").find("the next one is refused whatever"));
    connect(L"op");
    EXPECT_EQ("after three refused attempts, every login of this program is refused for 3 minutes.  "
              "The DVR was not asked.", line_starting("Could not connect to " + sim.address() + ": "));
    int minutes = 0, seconds[2] = {};
    for (int read = 0; read < 2; ++read) {
        if (read)
            Sleep(2500);
        const std::string left = status_part(2);
        ASSERT_EQ(2, sscanf(left.c_str(), "Logins are locked for %d min %d s after three refused attempts", &minutes,
                            &seconds[read])) << left;
        seconds[read] += 60 * minutes;
    }
    EXPECT_GE(180, seconds[0]);
    EXPECT_LT(150, seconds[1]);
    EXPECT_GT(seconds[0], seconds[1]);
}

// F11 shows only the panes over the whole screen, a zoomed pane zoomed
// still; Esc gives the window back as it was.  The window starts at its
// normal size: the test display has no window manager, and without one
// Wine's X11 driver takes any late configure event of a maximised window
// as the window manager restoring it, whatever the program did.
TEST_F(Viewer_Window, full_screen_shows_only_the_panes_and_esc_gives_the_window_back)
{
    RECT before, now;
    ASSERT_TRUE(GetWindowRect(frame, &before));
    click_pane(3);
    press_key(VK_RETURN);
    // The zoom is the control's answer to the key: waited for, as the
    // window's own changes are.
    ASSERT_TRUE(wait_until([&] { return shown_panes() == 1; }));
    press_key(VK_F11);
    const RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    EXPECT_TRUE(wait_until([&] { return GetWindowRect(view(), &now) && EqualRect(&now, &screen); }))
        << "the panes at " << now.left << "," << now.top << " - " << now.right << "," << now.bottom;
    EXPECT_FALSE(IsWindowVisible(panel)) << "the panel";
    EXPECT_FALSE(IsWindowVisible(status_bar)) << "the status bar";
    EXPECT_FALSE(GetMenu(frame)) << "the menu";
    EXPECT_TRUE(wait_until([&] { return shown_panes() == 1; })) << "full screen keeps the zoom";
    press_key(VK_ESCAPE);
    EXPECT_TRUE(wait_until([&] { return GetWindowRect(frame, &now) && EqualRect(&now, &before); }))
        << "the window at " << now.left << "," << now.top << " - " << now.right << "," << now.bottom
        << (GetForegroundWindow() == frame ? "" : ", and it lost the keyboard");
    EXPECT_TRUE(IsWindowVisible(panel) && GetMenu(frame));
    EXPECT_TRUE(wait_until([&] { return shown_panes() == 1; })) << "and so does the window given back";
}

// The arrow keys move the active pane within the grid, stopping at its
// edges; Enter zooms the active pane, an arrow hands the zoom on, and
// Enter again shows the layout.
TEST_F(Viewer_Window, arrow_keys_move_the_active_pane_and_enter_zooms_it)
{
    click_pane(0);
    press_key(VK_RIGHT);
    press_key(VK_RIGHT);
    press_key(VK_DOWN);
    EXPECT_TRUE(pane_shows("Pane 3: closed")) << pane_status();
    press_key(VK_RETURN);
    EXPECT_TRUE(wait_until([&] { return shown_panes() == 1; }));
    press_key(VK_UP);
    EXPECT_TRUE(pane_shows("Pane 1: closed")) << pane_status();
    EXPECT_EQ(1, shown_panes());
    press_key(VK_RETURN);
    EXPECT_TRUE(wait_until([&] { return shown_panes() == 4; }));
}

// Larger and down to the least size, by the size grip.
TEST_F(Viewer_Window, resizing_keeps_the_whole_panel_in_the_window)
{
    RECT before, larger, least;
    ASSERT_TRUE(GetWindowRect(frame, &before));
    drag_size_grip(250, 200);
    ASSERT_TRUE(GetWindowRect(frame, &larger));
    EXPECT_EQ(before.right + 250, larger.right);
    expect_panel_whole();
    drag_size_grip(-2000, -2000);
    ASSERT_TRUE(GetWindowRect(frame, &least));
    EXPECT_GT(before.right, least.right);
    expect_panel_whole();
}

TEST_F(Viewer_Window, camera_moves_while_its_button_is_held_and_stops_when_released)
{
    connect_as_operator();
    open_channel(1);
    ASSERT_TRUE(pane_shows("Pane 0: " + sim.address() + " channel 1, live")) << pane_status() << "\n" << seen;
    const std::string pan_before = sim.channel_field(1, "pan");
    point_at(GetDlgItem(panel, ID_PTZ_LEFT));
    mouse_button(true);
    Sleep(1500);
    EXPECT_NE("0", sim.channel_field(1, "ptz-move"));
    mouse_button(false);
    ASSERT_TRUE(wait_until([&] { return sim.channel_field(1, "ptz-move") == "0"; }));
    const std::string pan_after = sim.channel_field(1, "pan");
    EXPECT_NE(pan_before, pan_after);
    Sleep(500);
    EXPECT_EQ(pan_after, sim.channel_field(1, "pan"));
}

TEST_F(Viewer_Window, record_and_snapshot_buttons_write_their_files)
{
    connect_as_operator();
    open_channel(1);
    ASSERT_TRUE(pane_shows("Pane 0: " + sim.address() + " channel 1, live")) << pane_status() << "\n" << seen;
    click(GetDlgItem(panel, ID_RECORD));
    Sleep(2000);
    click(GetDlgItem(panel, ID_RECORD));
    const Recording_Summary recording = read_recording(line_starting("Recording saved: "));
    EXPECT_TRUE(recording.valid) << recording.problem;
    EXPECT_LT(10u, recording.frames);
    click(GetDlgItem(panel, ID_SNAPSHOT));
    EXPECT_EQ(0, read_file_bytes(line_starting("Snapshot saved: ").c_str()).rfind("\xff\xd8", 0));
}

// Nine panes filled by "Open all"; a click on the last pane makes it the
// active one, live on channel 9.
TEST_F(Viewer_Window, nine_panes_open_all_and_a_click_activates_the_last)
{
    connect_as_operator();
    click(GetDlgItem(panel, ID_LAYOUT_9));
    click(GetDlgItem(panel, ID_OPEN_ALL));
    HWND view = FindWindowExW(frame, nullptr, L"AtlAxWin", nullptr);
    RECT rect;
    ASSERT_TRUE(GetWindowRect(view, &rect));
    // The control's own buttons lie below its visible area: the panes fill it.
    click(view, (rect.right - rect.left) * 5 / 6, (rect.bottom - rect.top) * 5 / 6);
    EXPECT_TRUE(pane_shows("Pane 8: " + sim.address() + " channel 9, live")) << pane_status();
}

// The pane heard, as the viewer prints each change of it, follows the Sound
// button and the key S; starting one pane's sound silences the other; a
// pane without a channel, or whose channel sends no sound, is refused in
// words.
TEST_F(Viewer_Window, sound_follows_the_active_pane_and_a_pane_without_sound_is_refused_in_words)
{
    ASSERT_TRUE(sim.ok("user operator op 0x1AFF"));  // the sound right, 0x200, as well
    ASSERT_TRUE(sim.ok("stream audio pcmu"));
    connect_as_operator();
    EXPECT_EQ(100, SendMessageW(GetDlgItem(panel, IDC_VOLUME), TBM_GETPOS, 0, 0));  // the control's 65535
    open_channel(1);
    ASSERT_TRUE(pane_shows("Pane 0: " + sim.address() + " channel 1, live")) << pane_status() << "\n" << seen;
    click(GetDlgItem(panel, ID_SOUND));
    EXPECT_EQ("pane 0", line_starting("Sound: "));
    click_pane(1);
    open_channel(2);
    ASSERT_TRUE(pane_shows("Pane 1: " + sim.address() + " channel 2, live")) << pane_status() << "\n" << seen;
    send({key('S', false), key('S', true)});
    EXPECT_EQ("pane 1", line_starting("Sound: "));
    send({key('S', false), key('S', true)});
    EXPECT_EQ("off", line_starting("Sound: "));
    click_pane(2);
    click(GetDlgItem(panel, ID_SOUND));
    EXPECT_EQ("it shows no channel.  Open one first.", line_starting("Pane 2 has no sound: "));
    ASSERT_TRUE(sim.ok("stream audio none"));
    open_channel(3);
    ASSERT_TRUE(pane_shows("Pane 2: " + sim.address() + " channel 3, live")) << pane_status() << "\n" << seen;
    click(GetDlgItem(panel, ID_SOUND));
    EXPECT_EQ("channel 3 of " + sim.address() + " sends none.", line_starting("Pane 2 has no sound: "));
    EXPECT_EQ(BST_UNCHECKED, SendMessageW(GetDlgItem(panel, ID_SOUND), BM_GETCHECK, 0, 0));
}

// Nothing listens at the address: the viewer says so in words.  The
// control's log lines ("2026-01-02  10:11:12:345 ...") reach standard
// error only with --verbose.
TEST_F(Viewer_Host, a_server_that_does_not_answer_is_told_in_words_and_the_controls_log_only_with_verbose)
{
    const std::string shot = std::string(media.begin(), media.end()) + ".png";
    const std::string silent = Dvr_Sim::address_for("viewer.silent");
    const std::regex log_line("\\d{4}-\\d\\d-\\d\\d  \\d\\d:\\d\\d:\\d\\d:");
    for (const bool verbose : {false, true}) {
        const Program_Result run = run_program(windows_path(VIEWER_EXE), "--server " + silent + " --screenshot \"" +
                                                                             shot + "\"" + (verbose ? " --verbose" : ""));
        EXPECT_NE(std::string::npos, run.output.find(": the DVR did not answer.")) << run.output;
        EXPECT_EQ(verbose, std::regex_search(run.output, log_line)) << run.output;
    }
}

// A PNG file's pixels, 32 bits each (blue, green, red, unused), row by row.
struct Picture {
    UINT width = 0, height = 0;
    std::vector<DWORD> pixels;
    DWORD at(UINT x, UINT y) const { return pixels[y * width + x] & 0xffffff; }
};

Picture read_png(const std::wstring& path)
{
    Picture picture;
    Com_Ptr<IWICImagingFactory> factory;
    Com_Ptr<IWICBitmapDecoder> decoder;
    Com_Ptr<IWICBitmapFrameDecode> frame;
    Com_Ptr<IWICFormatConverter> converter;
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                  reinterpret_cast<void**>(factory.put()));
    if (SUCCEEDED(hr))
        hr = factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnLoad,
                                                decoder.put());
    if (SUCCEEDED(hr))
        hr = decoder->GetFrame(0, frame.put());
    if (SUCCEEDED(hr))
        hr = factory->CreateFormatConverter(converter.put());
    if (SUCCEEDED(hr))
        hr = converter->Initialize(frame.get(), GUID_WICPixelFormat32bppBGR, WICBitmapDitherTypeNone, nullptr, 0,
                                   WICBitmapPaletteTypeCustom);
    if (SUCCEEDED(hr))
        hr = converter->GetSize(&picture.width, &picture.height);
    if (FAILED(hr))
        return Picture();
    picture.pixels.resize(picture.width * picture.height);
    if (FAILED(converter->CopyPixels(nullptr, picture.width * 4, static_cast<UINT>(picture.pixels.size() * 4),
                                     reinterpret_cast<BYTE*>(picture.pixels.data()))))
        return Picture();
    return picture;
}

// The distinct colours of a grid of samples over x0..x1, y0..y1.
std::set<DWORD> colours(const Picture& picture, UINT x0, UINT x1, UINT y0, UINT y1)
{
    std::set<DWORD> seen;
    for (UINT y = y0; y < y1; y += 7)
        for (UINT x = x0; x < x1; x += 7)
            seen.insert(picture.at(x, y));
    return seen;
}

// The demo's screenshot: four live, colourful panes on the left, each with
// its dark caption strip, the panel of buttons in the system's button
// colour on the right.
TEST_F(Viewer_Host, screenshot_shows_live_panes_and_the_controls)
{
    const std::wstring shot = media + L"-shot.png";
    const Program_Result run = run_program(
        windows_path(VIEWER_EXE), "--server " + sim.address() + " --user operator --password op --layout 4 --open 1-4"
                                  " --screenshot \"" + std::string(shot.begin(), shot.end()) + "\"");
    ASSERT_EQ(0u, run.status) << run.output;
    ASSERT_EQ(S_OK, CoInitialize(nullptr));
    const Picture picture = read_png(shot);
    CoUninitialize();
    ASSERT_LT(641u, picture.width);
    ASSERT_LT(481u, picture.height);
    for (UINT pane_x : {20u, 340u})
        for (UINT pane_y : {60u, 300u})
            EXPECT_LT(8u, colours(picture, pane_x, pane_x + 280, pane_y, pane_y + 180).size())
                << "pane at " << pane_x << "," << pane_y;
    const DWORD caption_back = 0x141414;
    for (UINT half_x : {0u, 1u})
        for (UINT half_y : {0u, 1u})
            EXPECT_EQ(1u, colours(picture, half_x * 320, half_x * 320 + 320, half_y * picture.height / 2,
                                  (half_y + 1) * picture.height / 2)
                              .count(caption_back))
                << "a caption in the quarter " << half_x << "," << half_y;
    const DWORD face = GetSysColor(COLOR_BTNFACE);
    const DWORD face_bgr = (GetRValue(face) << 16) | (GetGValue(face) << 8) | GetBValue(face);
    EXPECT_EQ(1u, colours(picture, picture.width - 8, picture.width - 2, 40, 400).count(face_bgr));
}

// A second server, the yard, with a user of its own and four channels;
// neither server lets the stream in without its own user's password.
class Viewer_Two_Servers : public Viewer_Window {
protected:
    Viewer_Two_Servers() : yard(Dvr_Sim::number_for("viewer.window.yard")) {}

    void SetUp() override
    {
        ASSERT_TRUE(yard.running());
        ASSERT_TRUE(sim.ok("stream anonymous 0") && yard.ok("stream anonymous 0"));
        ASSERT_TRUE(yard.ok("user keeper " + yard_password + " 0x18FF") && yard.ok("set-server channel-cnt 4"));
        Viewer_Window::SetUp();
    }

    // The first server connected with the connect dialog, the yard added
    // with the Add button (its password kept) and connected with a double
    // click in the list;
    // the yard's channel 2 opened in pane 1, the first server's channel 1
    // in pane 0.
    void show_a_channel_of_each()
    {
        connect_as_operator();
        click(GetDlgItem(panel, ID_SERVER_ADD));
        const std::wstring address(yard.address().begin(), yard.address().end());
        const std::wstring password(yard_password.begin(), yard_password.end());
        fill_dialog(L"Add a server", {L"yard", address, L"keeper", password, L" "});
        press_in_server_list({VK_HOME, VK_LEFT});  // the first server's branch closed
        double_click_server_list_line(1);
        ASSERT_NE("<none>", line_starting("Connected to yard (" + yard.address() + ") as keeper: "));
        click_pane(1);
        press_in_server_list({VK_HOME, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});
        ASSERT_TRUE(pane_shows("Pane 1: " + yard.address() + " channel 2, live")) << pane_status() << "\n" << seen;
        click_pane(0);
        press_in_server_list({VK_HOME, VK_RIGHT, VK_DOWN, VK_RETURN});
        ASSERT_TRUE(pane_shows("Pane 0: " + sim.address() + " channel 1, live")) << pane_status() << "\n" << seen;
    }

    Dvr_Sim yard;
    const std::string yard_password = "Yard-gate-7431";
};

// Every value of `key` and its subkeys, names and data, one after the other.
std::string registry_bytes(HKEY parent, const std::wstring& path)
{
    HKEY key;
    if (RegOpenKeyExW(parent, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::string();
    std::string bytes;
    wchar_t name[256];
    BYTE data[4096];
    for (DWORD index = 0;; ++index) {
        DWORD name_length = 256, size = sizeof data;
        if (RegEnumValueW(key, index, name, &name_length, nullptr, nullptr, data, &size) != ERROR_SUCCESS)
            break;
        bytes.append(reinterpret_cast<const char*>(name), name_length * sizeof *name).append(reinterpret_cast<const char*>(data), size);
    }
    for (DWORD index = 0;; ++index) {
        DWORD name_length = 256;
        if (RegEnumKeyExW(key, index, name, &name_length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        bytes += registry_bytes(key, name);
    }
    RegCloseKey(key);
    return bytes;
}

// Both servers in the list with their own channels, each pane streaming
// from its own server with that server's user and captioned with its name;
// the kept password is in the registry, encrypted, and printed nowhere;
// the yard gone shows in the wall's health line and in its pane.
TEST_F(Viewer_Two_Servers, each_pane_shows_and_captions_its_own_servers_channel_and_a_server_gone_is_told)
{
    show_a_channel_of_each();
    EXPECT_EQ(1 + 16 + 1 + 4, SendMessageW(GetDlgItem(panel, IDC_CHANNELS), TVM_GETCOUNT, 0, 0));
    EXPECT_TRUE(wait_until([&] { return caption_of(1) == "yard ch 2 live"; })) << caption_of(1);
    EXPECT_EQ(sim.address() + " ch 1 live", caption_of(0));
    EXPECT_EQ("<none>", caption_of(2));
    click_pane(1);
    EXPECT_TRUE(pane_shows("Pane 1: " + yard.address() + " channel 2, live")) << pane_status();
    const std::string stored = registry_bytes(HKEY_CURRENT_USER, L"Software\\kelm\\viewer");
    const auto utf16 = [](const std::string& text) {
        std::string bytes;
        for (char c : text)
            bytes += std::string(1, c) + '\0';
        return bytes;
    };
    EXPECT_NE(std::string::npos, stored.find(utf16(yard.address()))) << "the yard is stored";
    EXPECT_EQ(std::string::npos, stored.find(yard_password));
    EXPECT_EQ(std::string::npos, stored.find(utf16(yard_password)));
    DWORD kept = 0;
    EXPECT_EQ(ERROR_SUCCESS, RegGetValueW(HKEY_CURRENT_USER, L"Software\\kelm\\viewer\\Servers\\0", L"Password",
                                          RRF_RT_REG_BINARY, nullptr, nullptr, &kept));
    EXPECT_LT(static_cast<DWORD>(yard_password.size()), kept);
    EXPECT_EQ(std::string::npos, seen.find(yard_password));
    // The yard goes away: the wall says so, and so does its pane.
    yard.stop();
    EXPECT_EQ(8u, line_starting("wall: 1 live, 1 lost (pane 1 since ").find("), 2 empty")) << seen;
    EXPECT_TRUE(wait_until([&] { return caption_of(1).rfind("yard ch 2 ", 0) == 0 && caption_of(1) != "yard ch 2 live"; }))
        << caption_of(1);
}

// A view saved in one viewer comes back in a new one started with --view:
// the first server's password (not kept) asked for, the yard's kept one
// used; with "Open the last view at start" ticked it comes back without
// --view too; an unknown view is a bad option.
TEST_F(Viewer_Two_Servers, a_saved_view_comes_back_in_a_new_viewer_by_its_name_and_at_the_next_start)
{
    show_a_channel_of_each();
    choose_in_menu('V', 'S');
    fill_dialog(L"Save the view", {L"lobby"});
    EXPECT_EQ("lobby", line_starting("View saved: "));
    close_viewer();
    open_viewer(L" --layout 1 --view lobby");  // the view's layout, not the one given before it
    fill_dialog(L"Password", {L"op"});
    EXPECT_EQ("lobby (4 panes, 2 servers)", line_starting("View restored: "));
    EXPECT_TRUE(pane_shows("Pane 0: " + sim.address() + " channel 1, live")) << pane_status() << "\n" << seen;
    click_pane(1);
    EXPECT_TRUE(pane_shows("Pane 1: " + yard.address() + " channel 2, live")) << pane_status();
    click_pane(2);
    EXPECT_TRUE(pane_shows("Pane 2: closed")) << pane_status();
    choose_in_menu('V', 'L');
    close_viewer();
    open_viewer(L"");
    fill_dialog(L"Password", {L"op"});
    EXPECT_EQ("lobby (4 panes, 2 servers)", line_starting("View restored: "));
    const Program_Result unknown = run_program(windows_path(VIEWER_EXE), "--view nowhere");
    EXPECT_EQ(2u, unknown.status);
    EXPECT_NE(std::string::npos, unknown.output.find("there is no saved view named \"nowhere\"")) << unknown.output;
}
// A camera, "door", beside the DVR "gate": GStreamer's RTSP server on an
// address of the test's own (it outlives the test), asking a login of its
// own.
class Viewer_Cameras : public Viewer_Window {
protected:
    Viewer_Cameras()
        : camera_host(Dvr_Sim::address_for(::testing::UnitTest::GetInstance()->current_test_info()->name()))
    {
    }

    // Each test starts its viewer with its own command line.
    void SetUp() override { Viewer_Host::SetUp(); }

    // The wall of both from the command line: the camera's URL with its
    // login (percent-encoded) in pane 0, the gate's channel 1 in pane 1,
    // both live.
    void open_mixed_wall()
    {
        Rtsp_Launch door(camera_host, {"/door", "( videotestsrc is-live=true ! video/x-raw,width=352,height=288,"
                                                "framerate=25/1 ! x264enc speed-preset=superfast tune=zerolatency "
                                                "key-int-max=25 ! rtph264pay name=pay0 pt=96 )"},
                         "porter", camera_password);
        ASSERT_TRUE(door.running());
        open_viewer(L" --camera rtsp://porter:" + wide(camera_password_in_url) + L"@" + wide(camera_host) +
                    L":8554/door --name door --server " + wide(sim.address()) +
                    L" --name gate --user operator --password op --open 1");
        expect_mixed_wall_live();
    }

    void expect_mixed_wall_live()
    {
        EXPECT_TRUE(printed("pane 0 door: live")) << seen;
        EXPECT_TRUE(printed("pane 1 gate: live")) << seen;
        EXPECT_TRUE(wait_until([&] { return caption_of(0) == "door ch 1 live"; })) << caption_of(0);
        EXPECT_EQ("gate ch 1 live", caption_of(1));
        EXPECT_EQ(std::string::npos, seen.find("Door")) << "the camera's password printed";
    }

    static std::wstring wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

    const std::string camera_host;
    // An "@" in a URL's password is written "%40".
    const std::string camera_password = "Door@4417";
    const std::string camera_password_in_url = "Door%404417";
};

TEST_F(Viewer_Cameras, a_wall_of_a_camera_and_a_dvr_from_the_command_line_shows_both_live_and_captioned)
{
    open_mixed_wall();
}

// The mixed wall saved as a view comes back in a new viewer, each password
// (given on the command line, not kept) asked for: the camera's first, as
// its pane comes first.
TEST_F(Viewer_Cameras, a_wall_of_a_camera_and_a_dvr_saved_as_a_view_comes_back_in_a_new_viewer)
{
    open_mixed_wall();
    choose_in_menu('V', 'S');
    fill_dialog(L"Save the view", {L"porch"});
    EXPECT_EQ("porch", line_starting("View saved: "));
    close_viewer();
    open_viewer(L" --view porch");
    fill_dialog(L"Password", {wide(camera_password)}, false);
    fill_dialog(L"Password", {L"op"});
    EXPECT_EQ("porch (4 panes, 2 servers)", line_starting("View restored: "));
    expect_mixed_wall_live();
}

// A camera whose URL holds {channel}, served by the DVR's own stream
// server: the viewer never asks the DVR's web service; when the server
// ends the session, the pane's line tells it with the reason, which names
// the stream without its login.
TEST_F(Viewer_Cameras, a_camera_whose_server_ends_the_session_tells_its_pane_on_standard_output)
{
    open_viewer(L" --camera rtsp://" + wide(sim.address()) +
                L":12000/live/{channel} --name door --user operator --password op --open 2");
    ASSERT_EQ("live", line_starting("pane 0 door: ")) << seen;
    ASSERT_TRUE(sim.ok("stream break-after 10"));
    const std::string lost = line_starting("pane 0 door: ");
    EXPECT_TRUE(lost.rfind("lost: ", 0) == 0 || lost.rfind("reconnecting: ", 0) == 0) << lost;
    EXPECT_NE(std::string::npos, lost.find("rtsp://" + sim.address() + ":12000/live/2")) << lost;
    EXPECT_TRUE(sim.requests().empty()) << sim.requests().front().operation;
}

// Server > Add camera...: a URL that is not rtsp:// is refused in words and
// the dialog stays for it to be corrected; the camera is then in the list
// with the channels of its range, kept with its password encrypted.
TEST_F(Viewer_Cameras, add_camera_refuses_a_url_that_is_not_rtsp_and_lists_the_channels_of_its_range)
{
    open_viewer(L"");
    choose_in_menu('S', 'M');
    HWND dialog = nullptr;
    ASSERT_TRUE(wait_until([&] { return (dialog = FindWindowW(L"#32770", L"Add a camera")) != nullptr; }));
    Sleep(300);
    type(L"porch");
    press_key(VK_TAB);
    type(L"http://" + wide(camera_host) + L"/cam{channel}");
    press_key(VK_RETURN);
    HWND refusal = nullptr;
    ASSERT_TRUE(wait_until([&] { return (refusal = FindWindowW(L"#32770", L"kelm viewer")) != nullptr; }));
    EXPECT_NE(std::string::npos, text_of(GetDlgItem(refusal, 0xFFFF)).find("it must start with rtsp://"))
        << text_of(GetDlgItem(refusal, 0xFFFF));
    press_key(VK_RETURN);
    ASSERT_TRUE(wait_until([&] { return !IsWindow(refusal); }));
    Sleep(300);
    send({key(VK_SHIFT, false), key(VK_HOME, false), key(VK_HOME, true), key(VK_SHIFT, true)});
    fill_dialog(L"Add a camera", {L"rtsp://" + wide(camera_host) + L"/cam{channel}", L"porter",
                                  wide(camera_password), L" ", L"2-4"});
    EXPECT_EQ(1 + 3, SendMessageW(GetDlgItem(panel, IDC_CHANNELS), TVM_GETCOUNT, 0, 0));
    const std::string stored = registry_bytes(HKEY_CURRENT_USER, L"Software\\kelm\\viewer\\Servers");
    EXPECT_NE(std::string::npos, stored.find(std::string("/\0c\0a\0m\0{\0", 10))) << "the URL is stored";
    EXPECT_EQ(std::string::npos, stored.find(camera_password));
    DWORD kept = 0;
    EXPECT_EQ(ERROR_SUCCESS, RegGetValueW(HKEY_CURRENT_USER, L"Software\\kelm\\viewer\\Servers\\0", L"Password",
                                          RRF_RT_REG_BINARY, nullptr, nullptr, &kept));
}

// Stream URLs the viewer cannot play stop it at the start, in words.
TEST_F(Viewer_Host, a_camera_url_the_viewer_cannot_play_is_refused_in_words)
{
    const struct {
        const char* options;
        const char* reason;
    } cases[] = {
        {"--camera http://10.0.0.5/live", "is not a camera's stream URL: it must start with rtsp://"},
        {"--camera rtsps://10.0.0.5/live", "asks for an encrypted stream (rtsps://)"},
        {"--camera rtsp://:554/live", "names no camera"},
        {"--camera rtsp://10.0.0.5/live --open 2", "has no {channel}, so the camera has one channel"},
    };
    for (const auto& refused : cases) {
        const Program_Result run = run_program(windows_path(VIEWER_EXE), refused.options);
        EXPECT_EQ(2u, run.status) << refused.options << ": " << run.output;
        EXPECT_NE(std::string::npos, run.output.find(refused.reason)) << refused.options << ": " << run.output;
    }
}

// The player's position line, "00:00:01.24 / 00:00:03.00", as milliseconds
// of its position; -1 when it reads otherwise.
long position_ms(const std::string& line)
{
    int hours = 0, minutes = 0, seconds = 0, hundredths = 0;
    if (sscanf(line.c_str(), "%d:%d:%d.%d /", &hours, &minutes, &seconds, &hundredths) != 4)
        return -1;
    return ((hours * 60L + minutes) * 60 + seconds) * 1000 + hundredths * 10;
}

// Whether some sample is within a margin of `colour` (0xRRGGBB) in each
// of red, green and blue: scaling and the video's colour format blur it.
bool has_colour_near(const std::set<DWORD>& samples, DWORD colour)
{
    const int margin = 48;
    for (DWORD sample : samples) {
        bool within = true;
        for (int shift : {0, 8, 16})
            within = within && abs(static_cast<int>(sample >> shift & 0xff) - static_cast<int>(colour >> shift & 0xff)) <= margin;
        if (within)
            return true;
    }
    return false;
}

// Files that another tool wrote, H.264 and H.265: --play shows the first
// picture, whose colour bars the screenshot holds, and says what it plays.
TEST_F(Viewer_Host, play_shows_the_first_picture_of_h264_and_h265_files_of_another_tool)
{
    for (const char* encoder : {"libx264", "libx265"}) {
        const std::string sample = windows_path(std::string(PLAYER_SAMPLES) + "/testsrc-" + encoder + ".mp4");
        const std::wstring shot = media + L"-" + std::wstring(encoder, encoder + strlen(encoder)) + L".png";
        const Program_Result run = run_program(windows_path(VIEWER_EXE), "--play \"" + sample + "\" --screenshot \"" +
                                                                             std::string(shot.begin(), shot.end()) + "\"");
        ASSERT_EQ(0u, run.status) << encoder << ": " << run.output;
        EXPECT_NE(std::string::npos, run.output.find("Playing: " + sample + " (320x240, 00:00:02)")) << run.output;
        ASSERT_EQ(S_OK, CoInitialize(nullptr));
        const Picture picture = read_png(shot);
        CoUninitialize();
        ASSERT_LT(300u, picture.height) << encoder;
        // testsrc's bars: white, yellow, cyan, green, magenta, red, blue.
        const std::set<DWORD> seen = colours(picture, 10, picture.width - 10, 30, picture.height / 2);
        for (DWORD colour : {0xffffffu, 0xffff00u, 0x00ffffu, 0x00ff00u, 0xff00ffu, 0xff0000u, 0x0000ffu})
            EXPECT_TRUE(has_colour_near(seen, colour)) << encoder << std::hex << ": no " << colour;
    }
}

// A file that is not a video, and one that is not there: refused in words,
// on standard output and error, with the status 1 of a refusal, not a
// crash's.
TEST_F(Viewer_Host, play_refuses_a_file_that_is_not_a_video_or_missing_in_words)
{
    const std::string text_file = std::string(media.begin(), media.end()) + "-notes.mp4";
    FILE* notes = fopen(text_file.c_str(), "wb");
    ASSERT_TRUE(notes);
    fputs("These are notes, not a video.\r\n", notes);
    fclose(notes);
    const struct {
        std::string path;
        std::string reason;
    } cases[] = {{text_file, "it is not a video file that the player can read"},
                 {text_file + ".gone.mp4", "the file does not exist"}};
    for (const auto& refused : cases) {
        const Program_Result run = run_program(windows_path(VIEWER_EXE), "--play \"" + refused.path + "\"");
        EXPECT_EQ(1u, run.status) << run.output;
        EXPECT_NE(std::string::npos, run.output.find("Cannot play " + refused.path + ": " + refused.reason + "."))
            << run.output;
        EXPECT_NE(std::string::npos, run.output.find("kelm-viewer: cannot play " + refused.path)) << run.output;
    }
}

// A recording the control made, chosen in Media > Recordings with the
// keys, plays; paused, Step moves it one picture on, and a click on the
// position bar goes to the place clicked.
TEST_F(Viewer_Window, a_recording_chosen_in_media_recordings_plays_and_step_and_seek_move_it)
{
    connect_as_operator();
    open_channel(1);
    ASSERT_TRUE(pane_shows("Pane 0: " + sim.address() + " channel 1, live")) << pane_status() << "\n" << seen;
    click(GetDlgItem(panel, ID_RECORD));
    Sleep(4000);
    click(GetDlgItem(panel, ID_RECORD));
    const std::string recorded = line_starting("Recording saved: ");
    send({key(VK_MENU, false), key(VK_MENU, true)});
    press_key('M');
    press_key('D');
    ASSERT_TRUE(wait_until([&] { return FindWindowW(L"#32770", L"Recordings") != nullptr; }));
    Sleep(300);
    press_key(VK_RETURN);  // the newest is chosen
    EXPECT_EQ(0u, line_starting("Playing: ").find(recorded + " ("));
    HWND player = nullptr;
    ASSERT_TRUE(wait_until([&] { return (player = FindWindowW(L"kelm_player", nullptr)) != nullptr; }));
    HWND bar = FindWindowExW(player, nullptr, L"#32770", nullptr);
    HWND time = GetDlgItem(bar, IDC_PLAYER_TIME);
    ASSERT_TRUE(wait_until([&] { return position_ms(text_of(time)) > 0; })) << text_of(time);
    click(GetDlgItem(bar, ID_PLAYER_PLAY));
    ASSERT_EQ("Play", text_of(GetDlgItem(bar, ID_PLAYER_PLAY)));
    Sleep(500);
    const long paused = position_ms(text_of(time));
    click(GetDlgItem(bar, ID_PLAYER_STEP));
    EXPECT_TRUE(wait_until([&] { return position_ms(text_of(time)) > paused; })) << text_of(time);
    const long stepped = position_ms(text_of(time));
    EXPECT_GE(200, stepped - paused) << "one picture, not more";
    click(GetDlgItem(bar, ID_PLAYER_STEP));
    EXPECT_TRUE(wait_until([&] { return position_ms(text_of(time)) > stepped; })) << text_of(time);
    HWND track = GetDlgItem(bar, IDC_PLAYER_POSITION);
    RECT rect;
    ASSERT_TRUE(GetWindowRect(track, &rect));
    click(track, (rect.right - rect.left) * 3 / 4);
    const long length = position_ms(text_of(time).substr(text_of(time).find("/ ") + 2) + " /");
    EXPECT_TRUE(wait_until([&] { return abs(position_ms(text_of(time)) - length * 3 / 4) < length / 5; }))
        << text_of(time);
    EXPECT_EQ("Play", text_of(GetDlgItem(bar, ID_PLAYER_PLAY))) << "a seek while paused stays paused";
}

} // namespace

// The health line of the wall follows a stalled channel; a click on it
// makes the lost pane active, and a click on a pane's caption reaches the
// pane under it.
TEST_F(Viewer_Window, the_health_line_counts_the_wall_and_a_click_on_it_activates_the_lost_pane)
{
    connect_as_operator();
    open_channel(1);
    click_pane(1);
    open_channel(2);
    ASSERT_EQ("", line_starting("wall: 2 live, 0 lost, 2 empty")) << seen;
    ASSERT_TRUE(sim.ok("set-channel 2 stall 1"));
    const std::string lost = line_starting("wall: 1 live, 1 lost (pane 1 since ");
    ASSERT_EQ(18u, lost.size()) << lost;  // "hh:mm:ss), 2 empty"
    EXPECT_EQ("), 2 empty", lost.substr(8)) << lost;

    RECT view_rect;
    ASSERT_TRUE(GetWindowRect(view(), &view_rect));
    click(view(), (view_rect.right - view_rect.left) / 4, (view_rect.bottom - view_rect.top) / 2 - 8);
    ASSERT_TRUE(wait_until([&] { return pane_status().rfind("Pane 0: ", 0) == 0; })) << pane_status();
    RECT bar;
    ASSERT_TRUE(GetClientRect(status_bar, &bar));
    click(status_bar, bar.right - 80, bar.bottom / 2);
    EXPECT_TRUE(wait_until([&] { return pane_status().rfind("Pane 1: ", 0) == 0; })) << pane_status();
    // The lost pane's status tells why, naming its stream.
    EXPECT_TRUE(wait_until([&] { return pane_status().find("/live/2: nothing") != std::string::npos; }))
        << pane_status();
}

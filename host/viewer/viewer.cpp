// kelm-viewer: the operator's window for DVR servers and cameras.  It creates the
// control by its ProgID in the standard ActiveX container (atl.dll's
// AtlAxWin window) and drives it by name through IDispatch only, so
// kelm.dll must have been registered (regsvr32 kelm.dll).  The usage text
// below lists the command line.
#include <cstdio>
#include <cwchar>
#include <ole2.h>
#include <windows.h>

#include <string>
#include <vector>

#include "camera_url.h"
#include "demo_steps.h"
#include "main_window.h"
#include "outage_watch.h"
#include "player_window.h"
#include "quiet_errors.h"
#include "resource.h"
#include "screenshot.h"
#include "texts.h"
#include "view_store.h"

namespace {

const wchar_t usage[] =
    L"usage: kelm-viewer.exe [options]\n"
    L"  --server ADDRESS   connect to the DVR at ADDRESS (host name or dotted address)\n"
    L"  --camera URL       show the camera whose stream is at URL (rtsp://[user:password@]host[:port]/path);\n"
    L"                     {channel} in the URL stands for the channel number\n"
    L"  --user NAME        the user to log in as (default admin for a DVR, none for a camera)\n"
    L"  --password TEXT    that user's password (default empty)\n"
    L"  --name NAME        the name the server list and the panes' captions give that DVR or camera\n"
    L"  --layout N         show 1, 4, 9 or 16 panes\n"
    L"  --open A-B         open channels A to B in panes 0, 1, ... (or one channel: --open 3); a camera\n"
    L"                     whose URL has no {channel} has one channel, opened without --open too\n"
    L"Give --server or --camera again for each further DVR or camera, each followed by its own\n"
    L"--user, --password, --name and --open; the channels of each --open go to the panes after the\n"
    L"last one used.\n"
    L"  --view NAME        restore the saved view NAME (View > Save view... saves one)\n"
    L"  --media DIR        save recordings and snapshots in DIR (a path with a drive letter)\n"
    L"  --demo             also show an on-screen text, move a camera, record and take a snapshot\n"
    L"  --sound            play the active pane's sound once the channels are open\n"
    L"  --screenshot PATH  save the window as a PNG at PATH, then exit (unless --interactive)\n"
    L"  --outage PATH      watch the panes until one is lost and live again; save it lost at PATH\n"
    L"  --play FILE        play the recording FILE (any MP4 of H.264 or H.265) in the player alone;\n"
    L"                     with --screenshot, save the player once its first picture shows\n"
    L"  --interactive      stay open after --screenshot or --outage\n"
    L"  --verbose          also show the control's log lines on standard error\n"
    L"  --help             print this text\n"
    L"Without --screenshot or --outage the window stays open until it is closed.\n";

// One DVR or camera of the command line, and the channels it opens.
struct Server_Option {
    const wchar_t* server = nullptr;  // a DVR's address or a camera's URL
    bool camera = false;
    const wchar_t* user = nullptr;  // not given: admin for a DVR, none for a camera
    const wchar_t* password = L"";
    const wchar_t* name = L"";
    int first = 0;
    int last = 0;
};

struct Options {
    // The DVRs in the order given; the options before the first --server
    // belong to it.
    std::vector<Server_Option> servers = std::vector<Server_Option>(1);
    const wchar_t* media = nullptr;
    const wchar_t* screenshot = nullptr;
    const wchar_t* outage_screenshot = nullptr;
    const wchar_t* view = nullptr;
    const wchar_t* play = nullptr;
    int layout = 0;
    bool demo = false;
    bool sound = false;
    bool interactive = false;
    bool verbose = false;
    bool help = false;
};

// A stalled stream is lost within 6 s and back within 3 s of its server
// answering; the rest is the script's own pace.
const DWORD outage_limit_ms = 30000;
const DWORD settle_ms = 700;
// A file's first picture is shown within this, or the player is stuck.
const DWORD first_picture_limit_ms = 20000;

bool parse_range(const wchar_t* text, Server_Option* options)
{
    return parse_channel_range(text, max_panes, &options->first, &options->last);
}

bool parse_layout(const wchar_t* text, Options* options)
{
    const int layout = _wtoi(text);
    options->layout = layout;
    return layout == 1 || layout == 4 || layout == 9 || layout == 16;
}

bool parse_options(int argc, wchar_t** argv, Options* options)
{
    struct Text_Option {
        const wchar_t* name;
        const wchar_t* Options::*field;
    };
    struct Server_Text_Option {
        const wchar_t* name;
        const wchar_t* Server_Option::*field;
    };
    static const Text_Option texts[] = {
        {L"--media", &Options::media},           {L"--screenshot", &Options::screenshot},
        {L"--outage", &Options::outage_screenshot}, {L"--view", &Options::view},
        {L"--play", &Options::play},
    };
    static const Server_Text_Option server_texts[] = {
        {L"--user", &Server_Option::user}, {L"--password", &Server_Option::password}, {L"--name", &Server_Option::name},
    };
    for (int i = 1; i < argc; ++i) {
        const wchar_t* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if ((wcscmp(argv[i], L"--server") == 0 || wcscmp(argv[i], L"--camera") == 0) && value) {
            if (options->servers.back().server)
                options->servers.emplace_back();
            options->servers.back().server = argv[++i];
            options->servers.back().camera = wcscmp(argv[i - 1], L"--camera") == 0;
            continue;
        }
        bool known = false;
        for (const Text_Option& option : texts)
            if (wcscmp(argv[i], option.name) == 0 && value) {
                options->*option.field = argv[++i];
                known = true;
            }
        for (const Server_Text_Option& option : server_texts)
            if (wcscmp(argv[i], option.name) == 0 && value) {
                options->servers.back().*option.field = argv[++i];
                known = true;
            }
        if (known)
            continue;
        if (wcscmp(argv[i], L"--layout") == 0 && value && parse_layout(value, options))
            ++i;
        else if (wcscmp(argv[i], L"--open") == 0 && value && parse_range(value, &options->servers.back()))
            ++i;
        else if (wcscmp(argv[i], L"--demo") == 0)
            options->demo = true;
        else if (wcscmp(argv[i], L"--sound") == 0)
            options->sound = true;
        else if (wcscmp(argv[i], L"--interactive") == 0)
            options->interactive = true;
        else if (wcscmp(argv[i], L"--verbose") == 0)
            options->verbose = true;
        else if (wcscmp(argv[i], L"--help") == 0)
            options->help = true;
        else
            return false;
    }
    return true;
}

// What is wrong with a camera of the command line, in words; empty when
// nothing is.  A URL without "{channel}" has channel 1 alone.
std::wstring camera_problem(const Server_Option& camera)
{
    if (const unsigned problem = camera_url_problem(camera.server))
        return format_text(problem, camera.server);
    if (!has_channel_field(camera.server) && camera.last > 1)
        return format_text(IDS_CAMERA_ONE_CHANNEL, camera.server);
    return std::wstring();
}

// The list's entry of a server or camera of the command line.  A
// camera's login in its URL is the stream's, whatever --user says.
Server_Entry entry_of(const Server_Option& option, std::wstring* password)
{
    Server_Entry entry;
    entry.camera = option.camera;
    entry.name = option.name;
    entry.address = option.server;
    entry.user = option.user ? option.user : option.camera ? L"" : L"admin";
    *password = option.password;
    if (!option.camera)
        return entry;
    const Url_Login login = split_url_login(option.server);
    entry.address = login.url;
    if (login.given) {
        entry.user = login.user;
        *password = login.password;
    }
    if (has_channel_field(entry.address) && option.first) {
        entry.first_channel = option.first;
        entry.last_channel = option.last;
    }
    return entry;
}

int save_screenshot(HWND frame, const wchar_t* path)
{
    const HRESULT hr = save_window_png(frame, path);
    if (FAILED(hr)) {
        fwprintf(own_errors(), L"kelm-viewer: cannot save the screenshot (hr %08lx)\n", static_cast<unsigned long>(hr));
        return 1;
    }
    wprintf(L"screenshot: %ls\n", path);
    return 0;
}

// What the command line asks for, in the order an operator would do it.
void start_up(Main_Window& window, const Options& options)
{
    static const int layout_commands[][2] = {{1, ID_LAYOUT_1}, {4, ID_LAYOUT_4}, {9, ID_LAYOUT_9}, {16, ID_LAYOUT_16}};
    for (const auto& layout : layout_commands)
        if (layout[0] == options.layout)
            window.command(layout[1]);
    if (options.media)
        window.use_folder(options.media);
    int next_pane = 0;
    for (const Server_Option& server : options.servers) {
        std::wstring password;
        if (!server.server || !window.connect_to(entry_of(server, &password), password))
            continue;
        // A camera of one channel shows it without --open.
        const bool one_channel = server.camera && !has_channel_field(server.server);
        const int first = server.first ? server.first : one_channel ? 1 : 0;
        const int last = server.first ? server.last : first;
        if (first)
            window.open_range(first, last, next_pane);
        next_pane += first ? last - first + 1 : 0;
    }
    if (options.view)
        (void)window.saved_views().restore(options.view);  // wmain made sure that it is saved
    else
        window.saved_views().restore_last_if_wanted();
    if (options.demo)
        run_demo_steps(window);
    if (options.sound)
        (void)window.start_sound();  // a refusal is told in the status bar and on standard output
}

// The player alone, for --play: the first picture (saved with
// --screenshot), or the reason the file cannot be played.
int play(const Options& options)
{
    Player_Window* player = Player_Window::open(nullptr, options.play, true);
    if (!player) {
        fwprintf(own_errors(), L"kelm-viewer: cannot create the player's window (%lu)\n", GetLastError());
        return 1;
    }
    const HWND window = player->handle();
    const DWORD start = GetTickCount();
    while (IsWindow(window) && player->state() == Player_Window::State::opening &&
           GetTickCount() - start < first_picture_limit_ms)
        pump_for(50);
    if (!IsWindow(window))
        return 1;  // closed before it showed anything
    if (player->state() != Player_Window::State::showing) {
        fwprintf(own_errors(), L"kelm-viewer: cannot play %ls: %ls\n", options.play,
                 player->state() == Player_Window::State::refused ? player->problem().c_str()
                                                                  : L"no picture was shown within 20 seconds");
        (void)DestroyWindow(window);  // the run ends either way
        return 1;
    }
    int status = 0;
    if (options.screenshot) {
        // The bar and the status bar painted too, after the window took
        // the picture's size.
        (void)RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);  // only hurries the paint
        status = save_screenshot(window, options.screenshot);
    }
    if (options.interactive || !options.screenshot)
        return status | run_player_loop();
    (void)DestroyWindow(window);  // at the end of the run there is nothing left to do about a failure
    return status;
}

int run(const Options& options)
{
    if (options.play)
        return play(options);
    Main_Window window;
    if (!window.create()) {
        fwprintf(own_errors(), L"kelm-viewer: cannot create the window with the control (%lu)\n", GetLastError());
        return 1;
    }
    start_up(window, options);
    int status = 0;
    if (options.screenshot) {
        pump_for(settle_ms);
        status = save_screenshot(window.handle(), options.screenshot);
    }
    if (options.outage_screenshot &&
        !watch_outage(window.control_dispatch(), demo_panes, outage_limit_ms,
                      [&] {
                          window.refresh_status();  // the watch saw the loss before the status bar's next read
                          status |= save_screenshot(window.handle(), options.outage_screenshot);
                      })) {
        fwprintf(own_errors(), L"kelm-viewer: no pane was lost and live again\n");
        status = 1;
    }
    if (options.interactive || (!options.screenshot && !options.outage_screenshot))
        return status | window.run_message_loop();
    // Destroying the frame destroys the container, which closes the control.
    (void)DestroyWindow(window.handle());  // at the end of the run there is nothing left to do about a failure
    return status;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    Options options;
    const bool understood = parse_options(argc, argv, &options);
    if (!understood || options.help) {
        fwprintf(understood ? stdout : stderr, L"%ls", usage);
        return understood ? 0 : 2;
    }
    for (const Server_Option& camera : options.servers) {
        const std::wstring problem = camera.camera ? camera_problem(camera) : std::wstring();
        if (!problem.empty()) {
            fwprintf(stderr, L"kelm-viewer: %ls\n", problem.c_str());
            return 2;
        }
    }
    if (options.view && !view_exists(options.view)) {
        fwprintf(stderr, L"kelm-viewer: there is no saved view named \"%ls\"\n", options.view);
        return 2;
    }
    // Before the control is created: its echo starts with it.
    if (!options.verbose)
        (void)quiet_standard_error();  // when NUL cannot be opened the echo shows; nothing worse
    // A container of OLE controls needs OLE, not only COM.
    const HRESULT hr = OleInitialize(nullptr);
    if (FAILED(hr)) {
        fwprintf(own_errors(), L"kelm-viewer: OLE did not start (hr %08lx)\n", static_cast<unsigned long>(hr));
        return 1;
    }
    const int status = run(options);
    OleUninitialize();
    return status;
}

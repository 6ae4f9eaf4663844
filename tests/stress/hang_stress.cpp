// Loops of calls that a host repeats all day, each call watched: one that
// takes longer than the limit is reported with every thread's stack (from
// winedbg), and the run goes on to see whether it ever returns.
//
//   kelm_stress cycles N [SERVER]
//                           N create / activate / destroy cycles in one form,
//                           the unused library freed after each, as form
//                           hosts do; with a server, every 25th control
//                           (every Nth with the environment variable
//                           STREAM_EVERY=N) shows four of its channels
//                           before it goes, so that stream threads end
//                           during later cycles
//   kelm_stress address N   N rounds of get_svr_chnum and set_usr with a
//                           null and a 1 MB text, and login with a 1 MB
//                           address, user and password, on a logged-in
//                           control
//   kelm_stress screens N   two controls on two STA threads, N ScreenMode
//                           changes each, after a call made on a control
//                           of the main thread from a foreign thread
//                           through the raw pointer, as a careless host
//                           does
//   kelm_stress watchdog 1  a call that sleeps past the limit, to see the
//                           watchdog's report and stacks
//
// It prints one line per stall and a last line "LOOP: N calls, S stalls,
// longest X ms"; the exit code is 0 without a stall, 1 with one, 2 when a
// call never returned within the give-up time, 3 when the loop could not
// start.  kelm.dll must be registered.
#include <windows.h>
#include <ole2.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>

#include "ax_container.h"
#include "dispatch_call.h"

namespace {

const DWORD stall_ms = 5000;
const DWORD give_up_ms = 60000;
const int watched_threads = 2;
const UINT big_text_units = 1 << 19;  // 1 MB of UTF-16

// What one loop thread is doing, read by the watchdog.
struct Watched_Call {
    std::atomic<DWORD> started{0};
    std::atomic<const char*> what{nullptr};
    std::atomic<long> round{0};
    std::atomic<bool> reported{false};
};

Watched_Call watched[watched_threads];
std::atomic<long> calls{0};
std::atomic<long> stalls{0};
std::atomic<DWORD> longest_ms{0};
std::atomic<bool> dumping{false};

// Marks the start and the end of one watched call of thread `slot`.
class Watch {
public:
    Watch(int slot, const char* what, long round) : call(watched[slot])
    {
        // `what` last: the watchdog reads a call's start only once it is set.
        call.started.store(GetTickCount());
        call.round.store(round);
        call.reported.store(false);
        call.what.store(what);
    }
    ~Watch()
    {
        const DWORD took = GetTickCount() - call.started.load();
        call.what.store(nullptr);
        ++calls;
        DWORD longest = longest_ms.load();
        while (took > longest && !longest_ms.compare_exchange_weak(longest, took)) {
        }
        if (call.reported.load())
            printf("  ... returned after %lu ms\n", static_cast<unsigned long>(took));
    }
    Watch(const Watch&) = delete;
    Watch& operator=(const Watch&) = delete;

private:
    Watched_Call& call;
};

// Prints the lines of winedbg's report that belong to this process: each
// thread's stack begins with "Backtracing for thread T in process P".
class Own_Stacks {
public:
    Own_Stacks()
    {
        (void)snprintf(marker, sizeof marker, "in process %04lx", GetCurrentProcessId());
    }
    void take(const char* bytes, size_t size)
    {
        line.append(bytes, size);
        for (size_t end; (end = line.find('\n')) != std::string::npos; line.erase(0, end + 1)) {
            const std::string text = line.substr(0, end + 1);
            if (text.compare(0, 16, "Backtracing for ") == 0)
                ours = text.find(marker) != std::string::npos;
            if (ours)
                fputs(text.c_str(), stdout);
        }
    }

private:
    char marker[32];
    std::string line;
    bool ours = false;
};

// Every thread's stack of this process, from winedbg attached to it.  The
// report goes through a file: this process is stopped while winedbg
// writes, so a pipe it read would fill and stop winedbg too.
void dump_stacks()
{
    wchar_t report_path[MAX_PATH], folder[MAX_PATH];
    if (!GetTempPathW(MAX_PATH, folder) || !GetTempFileNameW(folder, L"stk", 0, report_path)) {
        printf("  (no file for winedbg's report: %lu)\n", GetLastError());
        return;
    }
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE report = CreateFileW(report_path, GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    wchar_t command[64];
    (void)swprintf(command, sizeof command / sizeof command[0], L"winedbg --command \"bt all\" %lu",
                   GetCurrentProcessId());
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = report;
    startup.hStdError = report;
    PROCESS_INFORMATION process = {};
    if (report == INVALID_HANDLE_VALUE ||
        !CreateProcessW(nullptr, command, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        printf("  (winedbg did not start: %lu)\n", GetLastError());
    } else {
        if (WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0)
            printf("  (winedbg did not finish within 60 s)\n");
        (void)CloseHandle(process.hThread);  // handles of a process only waited for
        (void)CloseHandle(process.hProcess);
    }
    if (report != INVALID_HANDLE_VALUE)
        (void)CloseHandle(report);  // written by the child
    FILE* text = _wfopen(report_path, L"rb");
    Own_Stacks stacks;
    char bytes[4096];
    for (size_t got; text && (got = fread(bytes, 1, sizeof bytes, text)) > 0;)
        stacks.take(bytes, got);
    if (text)
        (void)fclose(text);  // read only
    (void)DeleteFileW(report_path);  // a temporary file; a leftover is harmless
}

DWORD WINAPI watchdog(void*)
{
    for (;;) {
        Sleep(100);
        for (Watched_Call& call : watched) {
            const char* what = call.what.load();
            if (!what)
                continue;
            // The clock is read after the start: a call may begin meanwhile.
            const DWORD started = call.started.load();
            const DWORD spent = GetTickCount() - started;
            if (spent >= give_up_ms) {
                printf("GAVE UP: %s of round %ld has not returned after %lu s\n", what, call.round.load(),
                       static_cast<unsigned long>(spent / 1000));
                fflush(stdout);
                ExitProcess(2);
            }
            if (spent >= stall_ms && !call.reported.exchange(true)) {
                ++stalls;
                printf("STALL: %s of round %ld has taken %lu ms\n", what, call.round.load(),
                       static_cast<unsigned long>(spent));
                dumping.store(true);
                dump_stacks();
                dumping.store(false);
            }
        }
    }
}

void pump_messages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        (void)TranslateMessage(&message);  // only says whether a character was made
        DispatchMessageW(&message);
    }
}

const wchar_t form_class_name[] = L"kelm_stress_form";

// Registered once before any loop thread starts: Wine lets a thread that
// races another's registration find the class neither registrable nor
// there.
bool register_form_class()
{
    WNDCLASSW form_class = {};
    form_class.lpfnWndProc = DefWindowProcW;
    form_class.hInstance = GetModuleHandleW(nullptr);
    form_class.lpszClassName = form_class_name;
    return RegisterClassW(&form_class) != 0;
}

HWND make_form()
{
    return CreateWindowExW(0, form_class_name, L"kelm stress", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 640,
                           480, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

// The local login, which grants every privilege bit; `is_login` tells
// whether it held.
void log_in_locally(IDispatch* control)
{
    Variant local(L""), user(L"Quzap"), password(L"Quzap");
    Variant result;
    (void)call_method(control, L"login", {&local, &user, &password}, &result);  // answers S_FALSE either way
}

// A control made and activated in place by an AtlAxWin window of `form`;
// null when it did not come up.
IDispatch* control_in(Ax_Container& container, HWND form, HWND* host)
{
    *host = form ? container.create(form, L"kelm.kelm_ctrl", {0, 0, 404, 304}) : nullptr;
    return *host ? container.control(*host) : nullptr;
}

// Four channels of `server` in the first four panes of `control`, shown
// for a moment.
void show_streams(IDispatch* dispatch, const wchar_t* server, long round)
{
    Variant address(server), four(4);
    Variant result;
    log_in_locally(dispatch);  // the opens tell whether it held
    (void)put_property(dispatch, L"ScreenMode", four);  // shown or not, the panes exist
    for (int pane = 0; pane < 4; ++pane) {
        Variant nth(pane), channel(pane + 1);
        Watch watch(0, "open_channel", round);
        (void)call_method(dispatch, L"active_nth_screen", {&nth}, &result);
        (void)call_method(dispatch, L"open_channel", {&address, &channel}, &result);
    }
    const DWORD shown = GetTickCount();
    while (GetTickCount() - shown < 300) {
        pump_messages();
        Sleep(10);
    }
}

// How many cycles make one that shows streams: STREAM_EVERY, else 25.
long stream_every()
{
    static const long every = [] {
        wchar_t text[16] = {};
        const DWORD length = GetEnvironmentVariableW(L"STREAM_EVERY", text, 16);
        const long value = length > 0 && length < 16 ? wcstol(text, nullptr, 10) : 0;
        return value > 0 ? value : 25L;
    }();
    return every;
}

// One cycle: an AtlAxWin window of the form makes the control through COM
// and activates it in place, then the window is destroyed and the unused
// library freed.
bool run_cycle(HWND form, Ax_Container& container, long round, const wchar_t* server)
{
    HWND host;
    IDispatch* control = nullptr;
    {
        Watch watch(0, "create and in-place activation", round);
        control = control_in(container, form, &host);
    }
    if (!control) {
        printf("round %ld: the control did not come up (error %lu)\n", round, GetLastError());
        if (host)
            (void)DestroyWindow(host);  // an empty container
        return false;
    }
    if (server && round % stream_every() == 0)
        show_streams(control, server, round);
    control->Release();  // the container holds its own reference
    {
        Watch watch(0, "destroy", round);
        (void)DestroyWindow(host);  // a destroyed container has let the control go
        pump_messages();
        CoFreeUnusedLibrariesEx(0, 0);
    }
    return true;
}

int cycles(long count, const wchar_t* server)
{
    Ax_Container container;
    HWND form = make_form();
    if (!form) {
        printf("cycles: no form\n");
        return 3;
    }
    (void)ShowWindow(form, SW_SHOW);  // says only whether it was visible before
    for (long round = 1; round <= count; ++round) {
        if (!run_cycle(form, container, round, server))
            return 3;
    }
    (void)DestroyWindow(form);  // the end of the run
    return 0;
}

// A control in its own form on the calling thread; null when it did not come up.
IDispatch* hosted_control(Ax_Container& container, HWND* form)
{
    *form = make_form();
    HWND host = nullptr;
    IDispatch* control = control_in(container, *form, &host);
    if (!host)
        printf("no container window (error %lu)\n", GetLastError());
    return control;
}

int address(long count, const wchar_t* server)
{
    Ax_Container container;
    HWND form = nullptr;
    IDispatch* control = hosted_control(container, &form);
    if (!control) {
        printf("address: the control did not come up; is kelm.dll registered?\n");
        return 3;
    }
    log_in_locally(control);  // set_usr needs its privilege bit
    Variant logged;
    if (FAILED(get_property(control, L"is_login", &logged)) || logged.number() != 0)
        printf("address: the local login was refused; set_usr will be refused before its work\n");
    Variant none;
    none.get()->vt = VT_BSTR;
    none.get()->bstrVal = nullptr;
    Variant big;
    big.get()->vt = VT_BSTR;
    big.get()->bstrVal = SysAllocStringLen(nullptr, big_text_units);
    if (!big.get()->bstrVal) {
        printf("address: no memory for the 1 MB text\n");
        return 3;
    }
    for (UINT i = 0; i < big_text_units; ++i)
        big.get()->bstrVal[i] = L'a' + static_cast<wchar_t>(i % 26);
    Variant live(server ? server : L"");
    for (long round = 1; round <= count; ++round) {
        for (const Variant* text : {&none, &big}) {
            Variant result;
            {
                Watch watch(0, text == &none ? "get_svr_chnum(null)" : "get_svr_chnum(1 MB)", round);
                (void)call_method(control, L"get_svr_chnum", {text}, &result);  // refused, as expected
            }
            {
                Watch watch(0, text == &none ? "set_usr(null)" : "set_usr(1 MB)", round);
                (void)call_method(control, L"set_usr", {text, text, text}, &result);  // refused, as expected
            }
        }
        {
            Variant result;
            Watch watch(0, "login(1 MB)", round);
            (void)call_method(control, L"login", {&big, &big, &big}, &result);  // refused, as expected
        }
        log_in_locally(control);  // the refused login dropped the grant
        if (server) {
            Variant result;
            Watch watch(0, "get_svr_chnum(server)", round);
            (void)call_method(control, L"get_svr_chnum", {&live}, &result);
        }
        pump_messages();
    }
    control->Release();
    (void)DestroyWindow(form);  // the end of the run
    return 0;
}

struct Screen_Thread {
    int slot;
    long count;
    bool started = false;
};

DWORD WINAPI change_screens(void* argument)
{
    Screen_Thread& job = *static_cast<Screen_Thread*>(argument);
    if (FAILED(OleInitialize(nullptr)))
        return 1;
    {
        Ax_Container container;
        HWND form = nullptr;
        IDispatch* control = hosted_control(container, &form);
        job.started = control != nullptr;
        if (!control)
            printf("screens: the control of thread %d did not come up\n", job.slot);
        static const int modes[] = {1, 4, 9, 16};
        for (long round = 1; control && round <= job.count; ++round) {
            Variant mode(modes[round % 4]);
            Watch watch(job.slot, "put ScreenMode", round);
            (void)put_property(control, L"ScreenMode", mode);  // a mode the control shows
            pump_messages();
        }
        if (control)
            control->Release();
        if (form)
            (void)DestroyWindow(form);  // the end of the thread's run
    }
    OleUninitialize();
    return 0;
}

struct Foreign_Call {
    IDispatch* control;
    HRESULT result = E_PENDING;
};

DWORD WINAPI call_from_foreign_thread(void* argument)
{
    Foreign_Call& call = *static_cast<Foreign_Call*>(argument);
    Variant sixteen(16);
    call.result = put_property(call.control, L"ScreenMode", sixteen);
    return 0;
}

// The main thread's control called from another thread while the main
// thread waits without pumping messages; the call is left to itself
// after 2 s.  Answers the control, to be kept alive for the run.
IDispatch* leave_foreign_call(Ax_Container& container)
{
    HWND form = nullptr;
    IDispatch* control = hosted_control(container, &form);
    if (!control)
        return nullptr;
    static Foreign_Call call;
    call.control = control;
    const DWORD started = GetTickCount();
    HANDLE thread = CreateThread(nullptr, 0, call_from_foreign_thread, &call, 0, nullptr);
    const bool ended = thread && WaitForSingleObject(thread, 2000) == WAIT_OBJECT_0;
    if (ended)
        printf("screens: the foreign thread's call answered %08lx after %lu ms\n",
               static_cast<unsigned long>(call.result), static_cast<unsigned long>(GetTickCount() - started));
    else
        printf("screens: the foreign thread's call is still blocked after 2 s; it is left as it is\n");
    if (thread)
        (void)CloseHandle(thread);  // waited for, or left to itself
    return control;
}

int screens(long count)
{
    Ax_Container container;
    IDispatch* main_control = leave_foreign_call(container);
    Screen_Thread jobs[watched_threads] = {{0, count}, {1, count}};
    HANDLE threads[watched_threads] = {};
    for (int i = 0; i < watched_threads; ++i)
        threads[i] = CreateThread(nullptr, 0, change_screens, &jobs[i], 0, nullptr);
    if (!threads[0] || !threads[1]) {
        printf("screens: threads not started\n");
        return 3;
    }
    const DWORD started = GetTickCount();
    DWORD waited = WaitForMultipleObjects(watched_threads, threads, TRUE, give_up_ms);
    printf("screens: both threads %s after %lu ms\n", waited == WAIT_OBJECT_0 ? "ended" : "had not ended",
           static_cast<unsigned long>(GetTickCount() - started));
    for (HANDLE thread : threads)
        (void)CloseHandle(thread);  // waited for
    if (waited != WAIT_OBJECT_0)
        return 2;
    if (main_control)
        main_control->Release();
    return jobs[0].started && jobs[1].started ? 0 : 3;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    const long count = argc > 2 ? wcstol(argv[2], nullptr, 10) : 0;
    if (argc < 3 || count < 1) {
        printf("usage: kelm_stress cycles|address|screens COUNT [SERVER]\n");
        return 3;
    }
    if (FAILED(OleInitialize(nullptr)))
        return 3;
    // The container's window class too is registered before the threads.
    Ax_Container container;
    HANDLE dog = CreateThread(nullptr, 0, watchdog, nullptr, 0, nullptr);
    if (!dog || !container.ready() || !register_form_class())
        return 3;
    int status = 3;
    if (wcscmp(argv[1], L"cycles") == 0)
        status = cycles(count, argc > 3 ? argv[3] : nullptr);
    else if (wcscmp(argv[1], L"address") == 0)
        status = address(count, argc > 3 ? argv[3] : nullptr);
    else if (wcscmp(argv[1], L"screens") == 0)
        status = screens(count);
    else if (wcscmp(argv[1], L"watchdog") == 0) {
        Watch watch(0, "Sleep", 1);
        Sleep(stall_ms + 1000);
        status = 0;
    }
    while (dumping.load())  // a report being written is finished first
        Sleep(50);
    printf("%ls: %ld calls, %ld stalls, longest %lu ms\n", argv[1], calls.load(), stalls.load(),
           static_cast<unsigned long>(longest_ms.load()));
    OleUninitialize();
    if (status == 0 && stalls.load() > 0)
        status = 1;
    // The watchdog still runs; ending the process ends it.
    ExitProcess(static_cast<UINT>(status));
}

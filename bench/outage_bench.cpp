// Lost streams and the host's thread, measured against dvr-sim:
//  1. sixteen live panes whose server is stopped and started again on the
//     same address: time until every pane is reported lost, time from the
//     server's return until every pane is live, and the longest the host's
//     thread was unavailable during the whole episode;
//  2. the longest waits of member calls on the host's thread: a snapshot
//     from a service that never answers, an open whose video-signal
//     question trickles, an open whose stream login is answered late, and
//     closing all panes of four controls with 64 streams of 704x576.
// The host's thread is watched by a second thread that sends it WM_NULL
// with SendMessageTimeout every 10 ms and keeps the longest wait.
#include <windows.h>
#include <oleauto.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bench_clock.h"
#include "dvr_sim.h"
#include "kelm_ctrl.h"
#include "screen.h"

struct kelm_ctrl_probe {
    static const std::vector<Screen*>& screens(const kelm_ctrl& c) { return c.screens; }
};

namespace {

const int panes = 16;

// Sends WM_NULL to the host window every 10 ms from its own thread.
class Block_Watcher {
public:
    explicit Block_Watcher(HWND window) : window(window)
    {
        thread = CreateThread(nullptr, 0, &Block_Watcher::main, this, 0, nullptr);
    }
    ~Block_Watcher()
    {
        stop.store(true);
        if (thread) {
            WaitForSingleObject(thread, INFINITE);
            CloseHandle(thread);
        }
    }
    void reset() { longest_us.store(0); }
    double longest_ms() const { return longest_us.load() / 1000.0; }

private:
    static DWORD WINAPI main(void* self)
    {
        static_cast<Block_Watcher*>(self)->run();
        return 0;
    }
    void run()
    {
        while (!stop.load()) {
            const double start = seconds_now();
            DWORD_PTR answer = 0;
            (void)SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &answer);
            const long waited = static_cast<long>((seconds_now() - start) * 1e6);
            if (waited > longest_us.load())
                longest_us.store(waited);
            Sleep(10);
        }
    }

    HWND window;
    HANDLE thread = nullptr;
    std::atomic<bool> stop{false};
    std::atomic<long> longest_us{0};
};

HWND make_host(int index)
{
    WNDCLASSW window_class = {};
    window_class.lpfnWndProc = DefWindowProcW;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = L"kelm_outage_bench";
    RegisterClassW(&window_class);  // a second registration fails harmlessly
    return CreateWindowExW(0, L"kelm_outage_bench", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20 * index,
                           20 * index, 700, 560, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

// A control in a host window of its own, sixteen panes shown.
struct Hosted_Control {
    explicit Hosted_Control(int index) : host(make_host(index))
    {
        MoveWindow(control.create_window(host), 0, 0, 645, 485, TRUE);
        control.put_ScreenMode(panes);
    }
    ~Hosted_Control()
    {
        control.destroy_window();
        DestroyWindow(host);
    }
    int open_all(const std::wstring& address)
    {
        BSTR text = SysAllocString(address.c_str());
        int opened = 0;
        for (int i = 0; i < panes; ++i) {
            control.active_nth_screen(static_cast<SHORT>(i));
            opened += control.open_channel(text, i + 1) != S_FALSE;  // channels count from 1
        }
        SysFreeString(text);
        return opened;
    }
    bool all_live() const { return count_live() == panes; }
    // Lost, or being started again after the loss.
    bool none_live() const { return count_live() == 0; }
    int count_live() const
    {
        int live = 0;
        for (Screen* screen : kelm_ctrl_probe::screens(control))
            live += screen->stream_status() == Pane_Stream::live;
        return live;
    }
    HWND host;
    kelm_ctrl control;
};

// Pumps the host's messages until `done` or `limit` seconds; seconds taken,
// negative when the limit passed.
double pump_until(const std::function<bool()>& done, double limit)
{
    const double start = seconds_now();
    while (!done()) {
        if (seconds_now() - start > limit)
            return -1;
        pump_messages_for(0.005);
    }
    return seconds_now() - start;
}

DWORD WINAPI run_work(void* work)
{
    (*static_cast<std::function<void()>*>(work))();
    return 0;
}

// Runs `work` on a thread of its own while the host's messages are pumped,
// so the simulator's stop and start do not count as blocks of the host.
void while_pumping(std::function<void()> work)
{
    HANDLE thread = CreateThread(nullptr, 0, run_work, &work, 0, nullptr);
    if (!thread) {
        work();
        return;
    }
    while (WaitForSingleObject(thread, 0) == WAIT_TIMEOUT)
        pump_messages_for(0.005);
    CloseHandle(thread);
}

// Seconds one call held the host's thread.
double timed(const std::function<void()>& call)
{
    const double start = seconds_now();
    call();
    return seconds_now() - start;
}

void outage(Dvr_Sim& sim, const std::wstring& address)
{
    Hosted_Control view(0);
    Block_Watcher watcher(view.host);
    const double opens = timed([&] { view.open_all(address); });
    pump_messages_for(1.0);
    watcher.reset();
    double quit_at = 0, all_lost_at = 0;
    while_pumping([&] {
        quit_at = seconds_now();
        sim.stop();
    });
    if (pump_until([&] { return view.none_live(); }, 20) < 0)
        printf("not every pane was reported lost\n");
    all_lost_at = seconds_now();
    pump_messages_for(2.0);  // the server stays away a while
    bool back = false;
    while_pumping([&] { back = sim.start(); });
    if (!back) {
        printf("dvr-sim did not start again\n");
        return;
    }
    const double to_live = pump_until([&] { return view.all_live(); }, 20);
    printf("outage of sixteen panes: lost %.2f s after the server quit, live %.2f s after it was back\n",
           all_lost_at - quit_at, to_live);
    printf("  longest block of the host's thread during the outage: %.1f ms "
           "(sixteen opens take %.1f ms, %.1f ms each)\n",
           watcher.longest_ms(), opens * 1e3, opens * 1e3 / panes);

    // The streams stay connected and stop sending.
    pump_messages_for(1.0);
    watcher.reset();
    sim.ok("stream stall 1");
    const double stalled_lost = pump_until([&] { return view.none_live(); }, 20);
    sim.ok("stream stall 0");
    const double stalled_live = pump_until([&] { return view.all_live(); }, 20);
    printf("stall of sixteen streams: lost after %.2f s, live %.2f s after the frames came again; "
           "longest block %.1f ms\n", stalled_lost, stalled_live, watcher.longest_ms());
}

void member_waits(Dvr_Sim& sim, const std::wstring& address)
{
    Hosted_Control view(0);
    BSTR text = SysAllocString(address.c_str());
    view.control.active_nth_screen(0);
    view.control.open_channel(text, 1);
    BSTR folder = SysAllocString(L"C:\\kelm-outage-bench");
    view.control.set_file_path(folder);
    SysFreeString(folder);
    sim.mode("snapshot", "hang");
    printf("capture, service never answers: %.2f s\n", timed([&] { view.control.capture(); }));
    sim.mode("videosignal", "trickle 200");
    view.control.active_nth_screen(1);
    printf("open_channel, video-signal answer trickles: %.2f s\n",
           timed([&] { view.control.open_channel(text, 2); }));
    sim.ok("reset");
    sim.ok("stream accept-delay 1500");
    view.control.active_nth_screen(2);
    printf("open_channel, stream login answered after 1.5 s: %.2f s\n",
           timed([&] { view.control.open_channel(text, 3); }));
    sim.ok("stream accept-delay 0");
    SysFreeString(text);
}

void close_of_four_controls(Dvr_Sim& sim, const std::wstring& address)
{
    sim.ok("stream width 704");
    sim.ok("stream height 576");
    std::vector<std::unique_ptr<Hosted_Control>> views;
    int opened = 0;
    for (int i = 0; i < 4; ++i) {
        views.emplace_back(new Hosted_Control(i));
        opened += views.back()->open_all(address);
    }
    pump_messages_for(2.0);
    double activating = 0, closing = 0;
    for (auto& view : views) {
        for (int i = 0; i < panes; ++i) {
            activating += timed([&] { view->control.active_nth_screen(static_cast<SHORT>(i)); });
            closing += timed([&] { view->control.close_channel(0); });
        }
    }
    printf("closing %d streams of 704x576 in four controls: %.2f s in all "
           "(%.2f s making each pane active, %.2f s closing)\n",
           opened, activating + closing, activating, closing);
}

} // namespace

int main()
{
    Dvr_Sim sim(Dvr_Sim::number_for("bench.outage"));
    if (!sim.running()) {
        fprintf(stderr, "dvr-sim did not start (KELM_DVR_SIM)\n");
        return 1;
    }
    const std::wstring address(sim.address().begin(), sim.address().end());
    outage(sim, address);
    member_waits(sim, address);
    close_of_four_controls(sim, address);
    return 0;
}

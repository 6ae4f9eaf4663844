// The control's panes, measured against dvr-sim:
//  1. sixteen panes opened one after another through the control's
//     open_channel, against sixteen bare channel opens;
//  2. switching the split mode between 1 and 16 a thousand times each way
//     with all sixteen streams running: time per switch;
//  3. what the panes' captions cost: the process's CPU time over a few
//     seconds of sixteen streams, and the switch again, with captions on
//     against off.
#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "bench_clock.h"
#include "dvr_sim.h"
#include "hik_channel_impl.h"
#include "kelm_ctrl.h"

namespace {

const int panes = 16;
const int switches = 1000;

HWND make_host()
{
    WNDCLASSW window_class = {};
    window_class.lpfnWndProc = DefWindowProcW;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = L"kelm_pane_bench";
    RegisterClassW(&window_class);
    return CreateWindowExW(0, L"kelm_pane_bench", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 700, 560,
                           nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

double bare_opens(const std::wstring& address, HWND window)
{
    std::vector<std::unique_ptr<Channel>> channels;
    const double start = seconds_now();
    for (int i = 0; i < panes; ++i) {
        Channel_Param param;
        param.channel_index = i + 1;  // channels count from 1
        param.server_ip = address;
        param.display_window = window;
        channels.emplace_back(new Channel(new Hik_Channel_Impl(param, window)));
        channels.back()->open_channel();
    }
    const double elapsed = seconds_now() - start;
    for (auto& channel : channels)
        channel->close_channel();
    return elapsed;
}

double control_opens(kelm_ctrl& control, const std::wstring& address)
{
    BSTR text = SysAllocString(address.c_str());
    const double start = seconds_now();
    for (int i = 0; i < panes; ++i) {
        control.active_nth_screen(static_cast<SHORT>(i));
        if (control.open_channel(text, i + 1) == S_FALSE)
            printf("pane %d did not open\n", i);
    }
    const double elapsed = seconds_now() - start;
    SysFreeString(text);
    return elapsed;
}

double switch_time(kelm_ctrl& control)
{
    const double start = seconds_now();
    for (int i = 0; i < switches; ++i) {
        control.put_ScreenMode(1);
        control.put_ScreenMode(16);
    }
    return (seconds_now() - start) / (2.0 * switches);
}

const double cpu_window_s = 5.0;

// This process's CPU seconds (every thread: the streams' too) over
// `seconds` of serving the control's messages.
double cpu_over(double seconds)
{
    const double start = process_cpu_seconds();
    pump_messages_for(seconds);
    return process_cpu_seconds() - start;
}

} // namespace

int main()
{
    Dvr_Sim sim(Dvr_Sim::number_for("bench.panes"));
    if (!sim.running()) {
        fprintf(stderr, "dvr-sim did not start (KELM_DVR_SIM)\n");
        return 1;
    }
    const std::wstring address(sim.address().begin(), sim.address().end());
    HWND host = make_host();
    kelm_ctrl control;
    HWND view = control.create_window(host);
    MoveWindow(view, 0, 0, 645, 485, TRUE);
    control.put_ScreenMode(16);
    pump_messages_for(0.2);

    const double bare = bare_opens(address, view);
    const double through_control = control_opens(control, address);
    printf("sixteen opens: control %.1f ms, bare channels %.1f ms, ratio %.2f\n", through_control * 1e3,
           bare * 1e3, through_control / bare);
    pump_messages_for(1.0);
    const double per_switch = switch_time(control);
    printf("split mode switch 1 <-> 16 with sixteen streams: %.3f ms per switch\n", per_switch * 1e3);

    pump_messages_for(1.0);
    const double cpu_plain = cpu_over(cpu_window_s);
    if (FAILED(control.put_captions(VARIANT_TRUE))) {
        fprintf(stderr, "captions could not be turned on: no figures with captions\n");
        control.destroy_window();
        DestroyWindow(host);
        return 1;
    }
    pump_messages_for(1.0);
    const double cpu_captioned = cpu_over(cpu_window_s);
    printf("sixteen streams for %.0f s: CPU %.2f s with captions, %.2f s without, ratio %.2f\n", cpu_window_s,
           cpu_captioned, cpu_plain, cpu_captioned / cpu_plain);
    const double per_switch_captioned = switch_time(control);
    printf("split mode switch with captions: %.3f ms, ratio %.2f to without\n", per_switch_captioned * 1e3,
           per_switch_captioned / per_switch);
    control.destroy_window();
    DestroyWindow(host);
    return 0;
}

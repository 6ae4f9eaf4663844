#include "channel_fixture.h"

#include <vector>

#include "hik_channel_impl.h"
#include "test_window.h"

namespace {

std::string current_test_name()
{
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    return std::string(info->test_suite_name()) + "." + info->name();
}

} // namespace

Display_Window::Display_Window(int width, int height)
{
    window = make_test_window(WS_POPUP | WS_VISIBLE, 10, 10, width, height);
    EXPECT_NE(window, nullptr);
    pump_for(50);
}

Display_Window::~Display_Window()
{
    if (window)
        DestroyWindow(window);
}

Channel_Test::Channel_Test() : sim(Dvr_Sim::number_for(current_test_name()))
{
    EXPECT_TRUE(sim.running()) << "dvr-sim did not start";
}

Channel_Param Channel_Test::param_for(int index) const
{
    Channel_Param param;
    param.channel_index = index;
    param.server_ip = std::wstring(sim.address().begin(), sim.address().end());
    param.display_window = display.handle();
    return param;
}

std::unique_ptr<Channel> Channel_Test::make_channel(const Channel_Param& param) const
{
    return std::unique_ptr<Channel>(new Channel(new Hik_Channel_Impl(param, display.handle())));
}

std::wstring fresh_folder(const wchar_t* stem)
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return std::wstring(temp) + stem + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(counter.QuadPart);
}

std::vector<std::wstring> files_in(const std::wstring& folder, const wchar_t* pattern)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\" + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do
        names.push_back(found.cFileName);
    while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

std::string narrow(const std::wstring& text)
{
    return std::string(text.begin(), text.end());
}

void pump_for(DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(10);
    } while (GetTickCount() - start < milliseconds);
}

unsigned long long window_pixels_hash(HWND window)
{
    RECT client;
    GetClientRect(window, &client);
    HDC dc = GetDC(window);
    unsigned long long hash = 1469598103934665603ULL;
    for (int y = 2; y < client.bottom - 2; y += 3)
        for (int x = 2; x < client.right - 2; x += 3)
            hash = (hash ^ GetPixel(dc, x, y)) * 1099511628211ULL;
    ReleaseDC(window, dc);
    return hash;
}

// A channel on a real window against a dvr-sim of the test's own.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <windows.h>

#include "channel_impl.h"
#include "dvr_sim.h"

// A visible top-level window for the library to paint into.
class Display_Window {
public:
    Display_Window(int width = 320, int height = 240);
    ~Display_Window();
    HWND handle() const { return window; }

private:
    HWND window = nullptr;
};

class Channel_Test : public ::testing::Test {
protected:
    Channel_Test();

    // Parameters for channel `index` of this test's simulator.
    Channel_Param param_for(int index) const;
    // A channel built from `param`; the test owns it.
    std::unique_ptr<Channel> make_channel(const Channel_Param& param) const;
    std::unique_ptr<Channel> make_channel(int index) const { return make_channel(param_for(index)); }

    Dvr_Sim sim;
    Display_Window display;
};

// A folder under the system's temporary folder, new for each call.
std::wstring fresh_folder(const wchar_t* stem);
// The files in `folder` whose names match `pattern` (e.g. L"*.jpg").
std::vector<std::wstring> files_in(const std::wstring& folder, const wchar_t* pattern);
std::string narrow(const std::wstring& text);
// Pumps messages for `milliseconds`.
void pump_for(DWORD milliseconds);
// A fingerprint of the pixels the window shows.
unsigned long long window_pixels_hash(HWND window);

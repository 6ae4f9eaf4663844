// A real control window with a dvr-sim of the test's own serving its
// channels, shared by the tests of the control's members.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "bstr.h"
#include "channel_impl.h"
#include "control_host.h"
#include "dvr_sim.h"
#include "screen.h"
#include "text_file.h"

inline std::string current_test_name()
{
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    return std::string(info->test_suite_name()) + "." + info->name();
}

inline std::wstring wide(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

class Control_Channels : public ::testing::Test {
protected:
    Control_Channels() : sim(Dvr_Sim::number_for(current_test_name()))
    {
        EXPECT_TRUE(sim.running());
        host.resize_client(641, 481);
    }

    HRESULT open(int channel) { return host.control().open_channel(Bstr(address()), channel); }
    std::wstring address() const { return wide(sim.address()); }
    kelm_ctrl& control() { return host.control(); }
    Screen* pane(int index) { return kelm_ctrl_probe::screens(control())[index]; }

    short active_channel()
    {
        short channel = -7;
        EXPECT_EQ(control().get_current_active_ch(&channel), S_OK);
        return channel;
    }

    std::wstring active_address()
    {
        Bstr text;
        EXPECT_EQ(control().get_current_active_ipaddr(text.put()), S_OK);
        return text.str();
    }

    Dvr_Sim sim;
    Control_Host host;
};

// Handles the control's messages (its watch runs on a timer) until `done`
// holds or `limit_ms` passed; whether it held.
inline bool pump_until(const std::function<bool()>& done, DWORD limit_ms)
{
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > limit_ms)
            return false;
        Control_Host::pump();
        Sleep(20);
    }
    return true;
}

// A new folder path on C: for this test: "C:\kelm-<token>".
inline std::wstring fresh_c_folder(const char* stem)
{
    return L"C:\\" + wide(unique_token(stem));
}

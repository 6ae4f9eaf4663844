// The settings side of a channel against dvr-sim: what goes on the wire for
// camera moves, PTZ line, encoder and on-screen settings, what comes back,
// and which failures leave which code.
#include "channel_fixture.h"

#include <cstring>

#include "logger.h"
#include "text_file.h"

namespace {

class Channel_Settings_Test : public Channel_Test {
protected:
    // Opens channel `index` and forgets the requests the open made.
    std::unique_ptr<Channel> open_channel(int index)
    {
        auto channel = make_channel(index);
        EXPECT_EQ(channel->open_channel(), 0);
        EXPECT_TRUE(sim.ok("clear-log"));
        return channel;
    }

    std::vector<std::string> operations() const
    {
        std::vector<std::string> names;
        for (const Sim_Request& request : sim.requests())
            names.push_back(request.operation);
        return names;
    }

    int field(int channel, const char* name) const { return std::stoi(sim.channel_field(channel, name)); }
};

Osd_Logo logo_with_text(const wchar_t* text)
{
    Osd_Logo logo;
    memset(&logo, 0, sizeof logo);
    memcpy(logo.text, text, wcslen(text) * sizeof(wchar_t));
    return logo;
}

} // namespace

TEST_F(Channel_Settings_Test, MovesSendKnownCommandsAndZeroForOthersWithoutTheSpeed)
{
    auto channel = open_channel(3);
    const struct {
        int command, sent;
    } moves[] = {{21, 21}, {12, 0}, {29, 29}, {-5, 0}, {11, 11}};
    for (const auto& move : moves) {
        EXPECT_EQ(channel->ptz_op(move.command, 10, 99), 0) << move.command;
        EXPECT_EQ(field(3, "last-ptz-op"), move.sent) << move.command;
        EXPECT_EQ(field(3, "last-ptz-range"), 10);
    }
    const std::string body = sim.requests().back().body();
    EXPECT_EQ(body.find("99"), std::string::npos) << "the speed is not sent: " << body;
}

TEST_F(Channel_Settings_Test, StreamBoundOperationsRefuseAnUnopenedChannelWithoutACall)
{
    const std::string log = unique_token("settings-log") + ".log";
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    ASSERT_EQ(Logger::instance().open((std::string(temp) + log).c_str()), 0);
    auto channel = make_channel(2);
    Video_Para para = {1, 2, 3, 4};
    Video_Effect effect = {};
    EXPECT_EQ(channel->ptz_op(20, 10, 0), -1);
    EXPECT_EQ(channel->set_video_para(para, 0xF0000), -1);
    EXPECT_EQ(channel->get_video_para(&para, 0xF0000), -1);
    EXPECT_EQ(channel->get_video_effect(&effect, 1), -1);
    EXPECT_EQ(channel->set_video_effect(effect, 1), -1);
    EXPECT_EQ(channel->set_caption(logo_with_text(L"x"), 0x1F000000), -1);
    EXPECT_TRUE(operations().empty());
    EXPECT_EQ(channel->take_last_error(0, 0), 0);
    EXPECT_NE(read_file_bytes((std::string(temp) + log).c_str()).find("server is not connect!!"), std::string::npos);
}

TEST_F(Channel_Settings_Test, LineOsdAndUserSettingsWorkWithoutAStream)
{
    auto channel = make_channel(4);
    EXPECT_EQ(channel->set_ptz(1, 9, 5, 0x100), 0);  // the type only
    EXPECT_EQ(field(4, "ptztype"), 1);
    EXPECT_EQ(field(4, "ptzaddr"), 1);
    EXPECT_EQ(field(4, "port"), 0);
    EXPECT_EQ(channel->set_ptz(0, 9, 5, 0xD00), 0);
    Ptz_Para ptz = {{7, 7, 7}};
    EXPECT_EQ(channel->get_ptz(&ptz, 0), 0);
    EXPECT_EQ(ptz.values[0], 0);
    EXPECT_EQ(ptz.values[1], 9);
    EXPECT_EQ(ptz.values[2], 5);

    ASSERT_TRUE(sim.ok("set-channel 4 osdmsg Gate 7"));
    Osd_Logo logo;
    memset(&logo, 0, sizeof logo);
    EXPECT_EQ(channel->get_osdlogo(&logo, 0), 1);
    EXPECT_STREQ(reinterpret_cast<const char*>(logo.text), "Gate 7");

    EXPECT_EQ(channel->set_usr("operator", "keeper", "k1"), 0);
    EXPECT_EQ(channel->set_usr("nobody", "x", "y"), -1) << "a refused change is a failure";
}

TEST_F(Channel_Settings_Test, EncoderReadsMapTheStandardAndTheResolution)
{
    auto channel = open_channel(5);
    ASSERT_TRUE(sim.ok("set-channel 5 standard 3"));
    ASSERT_TRUE(sim.ok("set-channel 5 resolution 9"));
    ASSERT_TRUE(sim.ok("set-channel 5 bq 30"));
    Video_Effect effect = {};
    ASSERT_EQ(channel->get_video_effect(&effect, 1), 0);
    EXPECT_EQ(effect.values[5], 30);
    EXPECT_EQ(effect.values[8], 1);
    EXPECT_EQ(effect.values[9], 0);
    EXPECT_EQ(operations(), (std::vector<std::string>{"get-ibpmode", "get-videoquantify", "get-channelinfo"}));

    Video_Effect untouched = {{-9}};
    ASSERT_EQ(channel->get_video_effect(&untouched, 0), 0);
    EXPECT_EQ(untouched.values[0], -9) << "selection 0 leaves the record alone";
}

TEST_F(Channel_Settings_Test, EncoderWritesKeepTheServersValuesForZeros)
{
    auto channel = open_channel(6);
    const int before_rate = field(6, "coderate");
    const int before_frames = field(6, "frames-in2i");
    Video_Effect effect = {{0, 0, 0, 0, 0, 30, 25, 24, 2, 5}};
    EXPECT_EQ(channel->set_video_effect(effect, 1), 0);
    EXPECT_EQ(operations(), (std::vector<std::string>{"get-ibpmode", "get-channelinfo", "get-videoquantify",
                                                      "set-ibpmode", "set-channelinfo", "set-videoquantify"}));
    EXPECT_EQ(field(6, "coderate"), before_rate);
    EXPECT_EQ(field(6, "frames-in2i"), before_frames);
    EXPECT_EQ(field(6, "bq"), 30);
    EXPECT_EQ(field(6, "pq"), 25);
    EXPECT_EQ(field(6, "iq"), 24);
    EXPECT_EQ(field(6, "standard"), 2);
    EXPECT_EQ(field(6, "resolution"), 5);

    ASSERT_TRUE(sim.ok("set-channel 6 iq 11"));
    Video_Effect ignored = {{1, 1, 1, 1, 1, 1, 1, 1, 1, 1}};
    EXPECT_EQ(channel->set_video_effect(ignored, 0), 0);
    EXPECT_EQ(field(6, "iq"), 11) << "selection 0 writes back what was read";
    EXPECT_EQ(field(6, "coderate"), before_rate);
}

TEST_F(Channel_Settings_Test, FailedReadsSetCode1AndMissingRecordsSetNone)
{
    auto channel = open_channel(7);
    Video_Effect effect = {};
    ASSERT_TRUE(sim.mode("get-videoquantify", "fault SOAP-ENV:Server"));
    EXPECT_EQ(channel->get_video_effect(&effect, 1), -1);
    EXPECT_EQ(channel->take_last_error(0, 0), 1);
    EXPECT_EQ(operations(), (std::vector<std::string>{"get-ibpmode", "get-videoquantify"}));

    ASSERT_TRUE(sim.ok("reset"));
    ASSERT_TRUE(sim.mode("get-ptzinfo", "nil"));
    Ptz_Para ptz = {};
    EXPECT_EQ(channel->get_ptz(&ptz, 0), -1);
    EXPECT_EQ(channel->take_last_error(0, 0), 0);

    ASSERT_TRUE(sim.ok("reset"));
    ASSERT_TRUE(sim.mode("set-channelinfo", "fault SOAP-ENV:Server"));
    EXPECT_EQ(channel->set_video_effect(effect, 1), 0) << "the last write that succeeded answers";
    ASSERT_TRUE(sim.mode("set-videoquantify", "http 503"));
    ASSERT_TRUE(sim.mode("set-ibpmode", "http 503"));
    EXPECT_EQ(channel->set_video_effect(effect, 1), -1);
    EXPECT_EQ(channel->take_last_error(0, 0), 0) << "failed stores leave the code alone";
}

TEST_F(Channel_Settings_Test, PictureValuesRoundTripThroughTheLibraryInTheirOrder)
{
    auto channel = open_channel(1);
    const Video_Para sent = {11, 22, 33, 44};
    ASSERT_EQ(channel->set_video_para(sent, 0xF0000), 0);
    Video_Para read = {};
    ASSERT_EQ(channel->get_video_para(&read, 0), 0);
    EXPECT_EQ(read.brightness, 11);
    EXPECT_EQ(read.saturation, 22);
    EXPECT_EQ(read.contrast, 33);
    EXPECT_EQ(read.hue, 44);
}

TEST_F(Channel_Settings_Test, OnScreenSettingsGoByTheirSelectionBits)
{
    auto channel = open_channel(8);
    Osd_Logo logo = logo_with_text(L"Door \x4e1c");  // 东, two bytes in code page 936
    logo.ox = 250;
    logo.oy = 450;
    logo.show_date = 0;
    logo.show_time = 1;
    ASSERT_EQ(channel->set_caption(logo, 0x1F000000), 0);
    EXPECT_EQ(sim.channel_field(8, "osdmsg"), "Door \xb6\xab");
    EXPECT_EQ(field(8, "ox"), 250);
    EXPECT_EQ(field(8, "date"), 0);
    EXPECT_EQ(field(8, "time"), 1);

    // Only the rectangle: the flags go with their defaults, the text is kept.
    logo.ox = 0;
    ASSERT_EQ(channel->set_caption(logo, 0x10000000), 0);
    EXPECT_EQ(field(8, "ox"), 0);
    EXPECT_EQ(field(8, "date"), 1);
    EXPECT_EQ(sim.channel_field(8, "osdmsg"), "Door \xb6\xab");

    Osd_Logo unterminated;
    memset(&unterminated, 'A', sizeof unterminated);
    EXPECT_EQ(channel->set_caption(unterminated, 0x4000000), -1) << "a text without its end is not sent";
}

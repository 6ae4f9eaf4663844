// The privilege gate's table and mask arithmetic.
#include <gtest/gtest.h>

#include "privilege.h"

TEST(Privilege, TheLocalLoginMaskHoldsAllThirteenBits)
{
    for (int m = 0; m < static_cast<int>(Gated_Member::count); ++m) {
        const unsigned bits = required_privilege(static_cast<Gated_Member>(m));
        EXPECT_NE(bits, 0u) << "member " << m;
        EXPECT_EQ(bits & ~0x1FFFu, 0u) << "member " << m;
        EXPECT_TRUE(mask_allows(0xFFFF, bits)) << "member " << m;
        EXPECT_TRUE(mask_allows(-1, bits)) << "member " << m;
        EXPECT_FALSE(mask_allows(0, bits)) << "member " << m;
    }
}

TEST(Privilege, MembersNeedTheBitsOfTheirGroup)
{
    const struct { Gated_Member member; unsigned bits; } expected[] = {
        {Gated_Member::set_usr, 0x1},          {Gated_Member::set_net, 0x2},
        {Gated_Member::open_channel, 0x4},     {Gated_Member::close_channel, 0x4},
        {Gated_Member::start_recorde, 0x8},    {Gated_Member::save_filepath, 0x28},
        {Gated_Member::ScreenMode, 0x10},      {Gated_Member::capture, 0x20},
        {Gated_Member::logo_ly, 0x40},         {Gated_Member::saturation, 0x80},
        {Gated_Member::quanlity, 0x100},       {Gated_Member::enable_audio, 0x200},
        {Gated_Member::pframe, 0x400},         {Gated_Member::screen_state_info, 0x800},
        {Gated_Member::ptz_port, 0x1000},      {Gated_Member::ptz_stop, 0x1000},
    };
    for (const auto& row : expected)
        EXPECT_EQ(required_privilege(row.member), row.bits) << static_cast<int>(row.member);
}

TEST(Privilege, SaveDirectoryNeedsRecordAndCaptureTogether)
{
    const unsigned bits = required_privilege(Gated_Member::save_filepath);
    EXPECT_FALSE(mask_allows(0x8, bits));
    EXPECT_FALSE(mask_allows(0x20, bits));
    EXPECT_TRUE(mask_allows(0x28, bits));
}

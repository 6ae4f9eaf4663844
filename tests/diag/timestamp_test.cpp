// Log timestamps: the UTC+8 wall clock with the carry into the date.
#include <gtest/gtest.h>

#include "timestamp.h"

namespace {

std::string stamp(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second, WORD ms)
{
    SYSTEMTIME utc = {};
    utc.wYear = year;
    utc.wMonth = month;
    utc.wDay = day;
    utc.wHour = hour;
    utc.wMinute = minute;
    utc.wSecond = second;
    utc.wMilliseconds = ms;
    char buffer[64];
    const int length = format_timestamp_at(utc, buffer, sizeof buffer);
    EXPECT_EQ(length, static_cast<int>(strlen(buffer)));
    return buffer;
}

} // namespace

TEST(Timestamp, AddsEightHoursWithTwoSpacesAndBareMilliseconds)
{
    EXPECT_EQ(stamp(2026, 3, 4, 1, 16, 38, 5), "2026-03-04  09:16:38:5");
    EXPECT_EQ(stamp(2026, 3, 4, 1, 16, 38, 7), "2026-03-04  09:16:38:7");
    EXPECT_EQ(stamp(2026, 3, 4, 1, 16, 38, 999), "2026-03-04  09:16:38:999");
    EXPECT_EQ(stamp(2026, 3, 4, 0, 0, 0, 0), "2026-03-04  08:00:00:0");
}

TEST(Timestamp, CarriesPastMidnightIntoTheDate)
{
    EXPECT_EQ(stamp(2026, 3, 4, 17, 30, 0, 250), "2026-03-05  01:30:00:250");
    EXPECT_EQ(stamp(2026, 12, 31, 16, 0, 0, 0), "2027-01-01  00:00:00:0");
    EXPECT_EQ(stamp(2024, 2, 28, 20, 5, 0, 0), "2024-02-29  04:05:00:0");
    EXPECT_EQ(stamp(2023, 2, 28, 20, 5, 0, 0), "2023-03-01  04:05:00:0");
}

TEST(Timestamp, ASmallBufferIsCutAndTerminated)
{
    SYSTEMTIME utc = {};
    utc.wYear = 2026;
    utc.wMonth = 1;
    utc.wDay = 2;
    char buffer[8];
    EXPECT_EQ(format_timestamp_at(utc, buffer, sizeof buffer), 7);
    EXPECT_STREQ(buffer, "2026-01");
}

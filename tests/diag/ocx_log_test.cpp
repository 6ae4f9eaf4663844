// The value trace file gains the time with the text, then its own line.
#include <gtest/gtest.h>

#include <regex>

#include "ocx_log.h"
#include "text_file.h"

TEST(OcxLog, EachCallAddsTwoLines)
{
    const std::string values = unique_token("128_100_0_64");
    const std::string text = values + " \n";
    ocx_log(text.c_str());
    ocx_log(text.c_str());

    const std::string file = read_file_bytes(ocx_log_path);
    // Other processes may append between the two calls; each record stays whole.
    const std::regex record(R"(\d\d:\d\d:\d\d  )" + values + " \r\n \r\n");
    EXPECT_TRUE(std::regex_search(around(file, values, 20), record));
    EXPECT_EQ(count_occurrences(file, values + " \r\n \r\n"), 2u);
    EXPECT_EQ(count_occurrences(file, values), 2u);
}

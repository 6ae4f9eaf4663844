// The error texts the host reads, as UTF-16 code units.
#include <gtest/gtest.h>

#include "error_codes.h"

TEST(ErrorTable, CodesMapToTheirMessages)
{
    const struct { int code; const wchar_t* text; } expected[] = {
        {0, L""},
        {1, L"\u901a\u4fe1\u9519\u8bef"},
        {7, L"\u4e0d\u80fd\u521b\u5efa\u6587\u4ef6\u5939\uff0c\u8bf7\u68c0\u67e5"
            L"\u4fdd\u5b58\u8def\u5f84\u662f\u5426\u6b63\u786e"},
        {9, L"\u5f55\u50cf\u9519\u8bef"},
        {10, L"\u670d\u52a1\u5668\u767b\u9646\u9519\u8bef\uff01"},
        {11, L"\u670d\u52a1\u5668\u62d2\u7edd\u6b64\u7528\u6237\u540d\u767b\u9646\uff01"},
    };
    for (const auto& row : expected)
        EXPECT_STREQ(error_text(row.code), row.text) << "code " << row.code;
}

TEST(ErrorTable, UnknownCodesGiveTheEmptyText)
{
    for (int code : {-1, 12, 100, 0x7fffffff})
        EXPECT_STREQ(error_text(code), L"") << "code " << code;
}

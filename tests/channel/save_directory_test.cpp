// Directory normal form and the text conversion every caller shares.
#include <gtest/gtest.h>

#include <cstring>

#include "save_directory.h"
#include "text_convert.h"

TEST(SaveDirectory, NormalFormUsesTheDriveAndSlashes)
{
    const struct { const char* given; const char* normal; } cases[] = {
        {"D:\\video\\rec", "D:/video/rec/"},
        {"d:\\\\a//b\\", "d:/a/b/"},
        {"D:", "D:/"},
        {"C:/", "C:/"},
        {"::C:\\x", "C:/x/"},
        {"rec", "r:/"},  // the raw form; callers refuse it for lack of a drive
        // Double-byte characters whose second byte is that of '\\': 淺水, 禱\籠
        {"C:\\\x9c\x5c\xcb\xae", "C:/\x9c\x5c\xcb\xae/"},
        {"D:\\\xb6\x5c\\\xbb\x5c", "D:/\xb6\x5c/\xbb\x5c/"},
    };
    for (const auto& c : cases) {
        char out[260];
        EXPECT_TRUE(normalise_directory(c.given, out, sizeof out)) << c.given;
        EXPECT_STREQ(out, c.normal) << c.given;
    }
}

TEST(SaveDirectory, OnlySeparatorsOrNothingGiveNoDirectory)
{
    for (const char* given : {"", "\\\\", "//::\\", ":"}) {
        char out[260];
        memset(out, 'x', sizeof out);
        EXPECT_FALSE(normalise_directory(given, out, sizeof out)) << given;
        EXPECT_STREQ(out, "") << given;
    }
}

TEST(SaveDirectory, ANormalFormTooLongForTheBufferIsRefused)
{
    char out[8];
    EXPECT_FALSE(normalise_directory("C:\\abcdef", out, sizeof out));
    EXPECT_STREQ(out, "");
    EXPECT_TRUE(normalise_directory("C:\\abc", out, sizeof out));
    EXPECT_STREQ(out, "C:/abc/");
}

TEST(SaveDirectory, ADriveIsOneCharacterBeforeTheFirstColon)
{
    for (const char* path : {"C:\\rec", "d:", "::e:/x"})
        EXPECT_TRUE(has_drive_letter(path)) << path;
    for (const char* path : {"rec", "C\\rec", "CD:\\rec", "", "\\\\server\\share"})
        EXPECT_FALSE(has_drive_letter(path)) << path;
}

TEST(TextConvert, NarrowTextIsInCodePage936)
{
    char buffer[40];
    ASSERT_NE(wide_to_ansi(L"\u65e0\u6548", buffer, sizeof buffer), nullptr);
    EXPECT_STREQ(buffer, "\xce\xde\xd0\xa7");
    wchar_t wide[8];
    ASSERT_NE(ansi_to_wide("\xce\xde\xd0\xa7", wide, 8), nullptr);
    EXPECT_STREQ(wide, L"\u65e0\u6548");
}

TEST(TextConvert, TextThatDoesNotFitIsRefusedAndTheBufferStaysZero)
{
    char buffer[40];
    memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(wide_to_ansi(std::wstring(40, L'a').c_str(), buffer, sizeof buffer), nullptr);
    for (char c : buffer)
        EXPECT_EQ(c, '\0');
    EXPECT_EQ(wide_to_ansi(std::wstring(39, L'a').c_str(), buffer, sizeof buffer), buffer);
    EXPECT_EQ(strlen(buffer), 39u);
    // Two bytes a character in code page 936: 20 characters need 41 bytes.
    EXPECT_EQ(wide_to_ansi(std::wstring(20, L'\u65e0').c_str(), buffer, sizeof buffer), nullptr);
    EXPECT_EQ(wide_to_ansi(nullptr, buffer, sizeof buffer), buffer);
    EXPECT_STREQ(buffer, "");
}

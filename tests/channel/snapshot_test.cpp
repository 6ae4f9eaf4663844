// Snapshots: a picture from the server's web service saved in a directory
// that the channel normalises and creates.
#include "channel_fixture.h"

#include <ctime>

#include "text_file.h"

namespace {

bool is_jpeg(const std::string& bytes)
{
    return bytes.size() > 4 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
           static_cast<unsigned char>(bytes[1]) == 0xD8 &&
           static_cast<unsigned char>(bytes[bytes.size() - 2]) == 0xFF &&
           static_cast<unsigned char>(bytes[bytes.size() - 1]) == 0xD9;
}

// "C:\\users\\...\\temp\\snap-1-2" written the way a host might: backslashes.
std::wstring with_forward_slashes(std::wstring path)
{
    for (wchar_t& c : path)
        if (c == L'\\')
            c = L'/';
    return path;
}

} // namespace

TEST_F(Channel_Test, ASnapshotCreatesItsDirectoryAndSavesAJpegUnderTheSecondsAndChannel)
{
    const std::wstring folder = fresh_folder(L"snap");
    auto channel = make_channel(4);
    const time_t before = time(nullptr);
    ASSERT_EQ(channel->snapshot(folder.c_str()), 0);
    const std::vector<std::wstring> files = files_in(folder, L"*.jpg");
    ASSERT_EQ(files.size(), 1u);
    const long seconds = std::stol(files[0].substr(0, files[0].find(L'-')));
    EXPECT_LE(std::labs(seconds - static_cast<long>(before)), 1L);
    EXPECT_EQ(files[0].substr(files[0].find(L'-')), L"-4.jpg");
    EXPECT_TRUE(is_jpeg(read_file_bytes(narrow(folder + L"\\" + files[0]).c_str())));
    EXPECT_EQ(channel->take_last_error(0, 0), 0);
}

TEST_F(Channel_Test, TwoSnapshotsInOneSecondAreBothKept)
{
    const std::wstring folder = fresh_folder(L"snap");
    auto channel = make_channel(1);
    ASSERT_EQ(channel->snapshot(folder.c_str()), 0);
    ASSERT_EQ(channel->snapshot(with_forward_slashes(folder).c_str()), 0);
    ASSERT_EQ(channel->snapshot(folder.c_str()), 0);
    const std::vector<std::wstring> files = files_in(folder, L"*.jpg");
    EXPECT_EQ(files.size(), 3u);
    for (const std::wstring& name : files) {
        EXPECT_NE(name.find(L"-1"), std::wstring::npos) << narrow(name);
        EXPECT_TRUE(is_jpeg(read_file_bytes(narrow(folder + L"\\" + name).c_str()))) << narrow(name);
    }
}

TEST_F(Channel_Test, DirectoriesNamedWithCharactersEndingInTheBackslashByteAreMade)
{
    auto channel = make_channel(2);
    const wchar_t* const stems[] = {L"\u6dfa\u6c34", L"\u79b1", L"\u7c60"};  // 淺水, 禱, 籠
    for (int i = 0; i < 3; ++i) {
        const std::wstring folder = fresh_folder(stems[i]);
        EXPECT_EQ(channel->snapshot(folder.c_str()), 0) << "stem " << i;
        EXPECT_EQ(files_in(folder, L"*.jpg").size(), 1u) << "stem " << i;
    }
    EXPECT_EQ(channel->take_last_error(0, 0), 0);
}

TEST_F(Channel_Test, SnapshotDirectoriesThatCannotBeMadeFailWithCode7)
{
    auto channel = make_channel(1);
    const std::wstring missing_parent = fresh_folder(L"nowhere") + L"\\deeper";
    const wchar_t* const refused[] = {
        missing_parent.c_str(),
        L"\\\\//::",   // only separators
        L"snapshots",  // no drive letter
        L"",
        L" C:\\snap",
    };
    for (const wchar_t* directory : refused) {
        EXPECT_EQ(channel->snapshot(directory), -1) << narrow(directory);
        EXPECT_EQ(channel->take_last_error(0, 0), 7) << narrow(directory);
    }
    EXPECT_EQ(GetFileAttributesW(missing_parent.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(Channel_Test, ASnapshotWithoutAWebServiceFailsWithCode1)
{
    // An address that makes the endpoint longer than its 40 bytes leaves the
    // channel without a web service.
    Channel_Param param = param_for(1);
    param.server_ip = L"snapshot-server.example.invalid.lan";
    auto channel = make_channel(param);
    EXPECT_EQ(channel->snapshot(fresh_folder(L"snap").c_str()), -1);
    EXPECT_EQ(channel->take_last_error(0, 0), 1);
}

TEST_F(Channel_Test, AFailedServiceCallSavesNothingAndSetsNoCode)
{
    ASSERT_TRUE(sim.mode("snapshot", "fault SOAP-ENV:Server"));
    const std::wstring folder = fresh_folder(L"snap");
    auto channel = make_channel(1);
    EXPECT_EQ(channel->snapshot(folder.c_str()), -1);
    EXPECT_EQ(channel->take_last_error(0, 0), 0);
    EXPECT_TRUE(files_in(folder, L"*.jpg").empty());
}

// The log as it lands in the real files on drive C:.  Each test runs in a
// process of its own, so each starts with a logger that has no file yet.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>
#include <io.h>
#include <windows.h>

#include "logger.h"
#include "method_trace.h"
#include "text_file.h"

namespace {

const char timestamp_pattern[] = R"(\d{4}-\d\d-\d\d  \d\d:\d\d:\d\d:\d{1,3})";

// A log file with the part set aside before it: the logs on C: are shared by
// every test process, and one of them may set a full file aside while a
// test writes.
std::string recent_log(const char* path)
{
    return read_file_bytes((std::string(path) + ".1").c_str()) + read_file_bytes(path);
}

std::string control_log() { return recent_log(control_log_path); }
std::string default_log() { return recent_log(default_log_path); }

} // namespace

TEST(Logger, ATracePairLandsOnOneLine)
{
    ASSERT_EQ(Logger::instance().open(control_log_path), 0);
    const std::string method = unique_token("trace");
    { Method_Trace trace("d:\\src\\screen.cpp", method.c_str(), 42); }

    const std::string body = " : " + method + " in the d:\\\\src\\\\screen\\.cpp at the 42 line\\.";
    // Other processes log to the same file, and whole entries of theirs
    // may fall between the two; nothing of this process's does.
    const std::regex pair(std::string(timestamp_pattern) + "<enter method>" + body + "(?:\\d{4}-[^\\r\\n]*\\r\\n)*" +
                          timestamp_pattern + "<leave methed>" + body);
    EXPECT_TRUE(std::regex_search(around(control_log(), method, 200), pair));
}

TEST(Logger, TheExitLineIsWrittenWhenAnExceptionLeavesTheMethod)
{
    ASSERT_EQ(Logger::instance().open(control_log_path), 0);
    const std::string method = unique_token("throwing");
    try {
        Method_Trace trace(__FILE__, method.c_str(), __LINE__);
        throw 1;
    } catch (int) {
    }
    const std::string log = control_log();
    EXPECT_EQ(count_occurrences(log, "<enter method> : " + method), 1u);
    EXPECT_EQ(count_occurrences(log, "<leave methed> : " + method), 1u);
}

TEST(Logger, ALineFeedReachesTheFileAsCarriageReturnAndLineFeed)
{
    ASSERT_EQ(Logger::instance().open(control_log_path), 0);
    const std::string token = unique_token("crlf");
    Logger::instance().write(log_status, "%s ends here\n", token.c_str());
    Logger::instance().write(log_status, "%s runs on", token.c_str());
    Logger::instance().write(log_status, "%s last\n", token.c_str());

    const std::regex lines(token + " ends here\r\n" + timestamp_pattern + token + " runs on" +
                           timestamp_pattern + token + " last\r\n");
    EXPECT_TRUE(std::regex_search(around(control_log(), token, 100), lines));
}

TEST(Logger, EntriesGoToTheDefaultFileUntilTheControlLogIsOpened)
{
    const std::string before = unique_token("before-open");
    const std::string after = unique_token("after-open");
    Logger::instance().write(log_status, "%s\n", before.c_str());
    ASSERT_EQ(Logger::instance().open(control_log_path), 0);
    Logger::instance().write(log_status, "%s\n", after.c_str());

    const std::string rq = default_log();
    const std::string kelm = control_log();
    EXPECT_EQ(count_occurrences(rq, before), 1u);
    EXPECT_EQ(count_occurrences(rq, after), 0u);
    EXPECT_EQ(count_occurrences(kelm, before), 0u);
    EXPECT_EQ(count_occurrences(kelm, after), 1u);
}

TEST(Logger, LevelsAboveThreeAreDropped)
{
    ASSERT_EQ(Logger::instance().open(control_log_path), 0);
    const std::string token = unique_token("levels");
    for (unsigned level : {0u, 2u, 3u, 4u, 9u})
        Logger::instance().write(level, "%s level %u\n", token.c_str(), level);
    const std::string log = control_log();
    for (unsigned level : {0u, 2u, 3u})
        EXPECT_EQ(count_occurrences(log, token + " level " + std::to_string(level)), 1u);
    for (unsigned level : {4u, 9u})
        EXPECT_EQ(count_occurrences(log, token + " level " + std::to_string(level)), 0u);
}

TEST(Logger, AnEntryIsCutAt3999BytesAndTheBufferStartsCleanAfterIt)
{
    ASSERT_EQ(Logger::instance().open(control_log_path), 0);
    const std::string token = unique_token("long");
    const std::string filler(5000, 'x');
    Logger::instance().write(log_status, "%s%s", token.c_str(), filler.c_str());
    Logger::instance().write(log_status, "%s-short\n", token.c_str());

    std::smatch match;
    const std::string log = around(control_log(), token, 100);
    const std::regex entry("(" + std::string(timestamp_pattern) + ")" + token + "(x+)(" +
                           timestamp_pattern + ")" + token + "-short\r\n");
    ASSERT_TRUE(std::regex_search(log, match, entry));
    EXPECT_EQ(match[1].length() + token.size() + match[2].length(), 3999u);
}

TEST(Logger, TextInCodePage936IsCopiedByteForByte)
{
    ASSERT_EQ(GetACP(), 936u);
    ASSERT_EQ(Logger::instance().open(control_log_path), 0);
    const std::string token = unique_token("gbk");
    // "服务端拒绝访问" in GBK.
    const std::string gbk = "\xb7\xfe\xce\xf1\xb6\xcb\xbe\xdc\xbe\xf8\xb7\xc3\xce\xca";
    Logger::instance().write(log_status, "%s %s\n", token.c_str(), gbk.c_str());
    EXPECT_EQ(count_occurrences(control_log(), token + " " + gbk + "\r\n"), 1u);
}

namespace {

const int writer_threads = 4;
const int entries_per_thread = 250;
const int entries_per_process = 1000;

struct Writer {
    std::string token;
    int thread;
};

DWORD WINAPI write_entries(void* argument)
{
    const Writer* writer = static_cast<const Writer*>(argument);
    for (int i = 0; i < entries_per_thread; ++i) {
        Logger::instance().write(log_status, "%s T%d E%04d abcdefghijklmnopqrstuvwxyz\n",
                                 writer->token.c_str(), writer->thread, i);
    }
    return 0;
}

} // namespace

TEST(Logger, ThreadsWritingAtOnceNeitherInterleaveNorLoseEntries)
{
    ASSERT_EQ(Logger::instance().open(control_log_path), 0);
    const std::string token = unique_token("threads");
    std::vector<Writer> writers;
    for (int t = 0; t < writer_threads; ++t)
        writers.push_back({token, t});
    HANDLE threads[writer_threads];
    for (int t = 0; t < writer_threads; ++t) {
        threads[t] = CreateThread(nullptr, 0, write_entries, &writers[t], 0, nullptr);
        ASSERT_NE(threads[t], nullptr);
    }
    ASSERT_EQ(WaitForMultipleObjects(writer_threads, threads, TRUE, 60000), WAIT_OBJECT_0);
    for (HANDLE thread : threads)
        CloseHandle(thread);

    const std::string log = around(control_log(), token, 100);
    EXPECT_EQ(count_occurrences(log, token), static_cast<size_t>(writer_threads * entries_per_thread));
    const std::regex whole_entry(std::string(timestamp_pattern) + token +
                                 R"( T(\d) E(\d{4}) abcdefghijklmnopqrstuvwxyz\r\n)");
    std::vector<int> seen(writer_threads * entries_per_thread, 0);
    for (auto it = std::sregex_iterator(log.begin(), log.end(), whole_entry);
         it != std::sregex_iterator(); ++it) {
        const int thread = std::stoi((*it)[1]);
        const int entry = std::stoi((*it)[2]);
        ++seen[thread * entries_per_thread + entry];
    }
    for (size_t i = 0; i < seen.size(); ++i)
        EXPECT_EQ(seen[i], 1) << "thread " << i / entries_per_thread << " entry " << i % entries_per_thread;
}

// Every host of the control on the machine logs to the same file: a
// second process (this program again, running the writer below) writes
// beside this one, and no entry of either is lost.
TEST(Logger, TwoProcessesWritingAtOnceLoseNoEntries)
{
    ASSERT_EQ(Logger::instance().open(control_log_path), 0);
    const std::string token = unique_token("processes");
    ASSERT_TRUE(SetEnvironmentVariableA("KELM_LOG_TOKEN", token.c_str()));
    char program[MAX_PATH];
    ASSERT_GT(GetModuleFileNameA(nullptr, program, sizeof program), 0u);
    std::string command = std::string("\"") + program +
                          "\" --gtest_filter=Logger.DISABLED_WritesForAnotherProcess --gtest_also_run_disabled_tests";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child = {};
    ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child));
    for (int i = 0; i < entries_per_process; ++i)
        Logger::instance().write(log_status, "%s P0 E%04d\n", token.c_str(), i);
    EXPECT_EQ(WaitForSingleObject(child.hProcess, 60000), WAIT_OBJECT_0);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    EXPECT_EQ(count_occurrences(around(control_log(), token, 100), token), 2u * entries_per_process);
}

TEST(Logger, DISABLED_WritesForAnotherProcess)
{
    char token[64] = {};
    ASSERT_GT(GetEnvironmentVariableA("KELM_LOG_TOKEN", token, sizeof token), 0u);
    ASSERT_EQ(Logger::instance().open(control_log_path), 0);
    for (int i = 0; i < entries_per_process; ++i)
        Logger::instance().write(log_status, "%s P1 E%04d\n", token, i);
}

// Standard error as a pipe that nobody reads, as a host that captures it
// and reads late makes it: logging goes on, each entry holding its caller
// at most the echo's wait.  Once the pipe is read, what it carries is
// whole entries in order; those beyond the echo's queue are lost.
namespace {

struct Pipe_Reader {
    HANDLE pipe;
    std::string text;
};

DWORD WINAPI read_pipe(void* argument)
{
    Pipe_Reader& reader = *static_cast<Pipe_Reader*>(argument);
    char bytes[4096];
    DWORD got = 0;
    while (ReadFile(reader.pipe, bytes, sizeof bytes, &got, nullptr) && got > 0)
        reader.text.append(bytes, got);
    return 0;
}

DWORD WINAPI log_unread_entries(void* token)
{
    const std::string filler(80, 'x');
    for (int n = 0; n < 5000; ++n)  // about 500 KB: the pipe, then the queue fill up
        Logger::instance().write(2, "%s E%04d %s\n", static_cast<const char*>(token), n, filler.c_str());
    return 0;
}

} // namespace

TEST(Logger, AStandardErrorNobodyReadsHoldsNoCaller)
{
    HANDLE read_end = nullptr, write_end = nullptr;
    ASSERT_TRUE(CreatePipe(&read_end, &write_end, nullptr, 4096));
    const int pipe_descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(write_end), 0);
    const int saved = _dup(2);
    ASSERT_EQ(_dup2(pipe_descriptor, 2), 0);
    const std::string token = unique_token("unread");
    HANDLE logging = CreateThread(nullptr, 0, log_unread_entries, const_cast<char*>(token.c_str()), 0, nullptr);
    ASSERT_NE(logging, nullptr);
    // Unbounded, the first full pipe would hold the thread for good.
    EXPECT_EQ(WaitForSingleObject(logging, 30000), WAIT_OBJECT_0);
    CloseHandle(logging);

    Pipe_Reader reader{read_end, ""};
    HANDLE reading = CreateThread(nullptr, 0, read_pipe, &reader, 0, nullptr);
    ASSERT_NE(reading, nullptr);
    const std::string end = unique_token("end");
    for (int tries = 0; tries < 100 && WaitForSingleObject(reading, 0) == WAIT_TIMEOUT; ++tries) {
        Logger::instance().write(2, "%s\n", end.c_str());  // lost while the queue is still full
        Sleep(100);
        if (count_occurrences(reader.text, end) > 0)
            break;
    }
    _dup2(saved, 2);
    _close(saved);
    _close(pipe_descriptor);
    EXPECT_EQ(WaitForSingleObject(reading, 10000), WAIT_OBJECT_0);
    CloseHandle(reading);
    CloseHandle(read_end);

    EXPECT_GT(count_occurrences(reader.text, end), 0u);
    const std::regex entry(std::string(timestamp_pattern) + token + R"( E(\d{4}) x{80}\r?\n)");
    int whole = 0, last = -1;
    for (auto it = std::sregex_iterator(reader.text.begin(), reader.text.end(), entry); it != std::sregex_iterator();
         ++it, ++whole) {
        const int number = std::stoi((*it)[1]);
        EXPECT_GT(number, last);
        last = number;
    }
    EXPECT_EQ(count_occurrences(reader.text, token), static_cast<size_t>(whole));
    EXPECT_GT(whole, 0);
    EXPECT_LT(whole, 5000);
}

// A full file is set aside as FILE.1, the older ones move on, the oldest
// beyond the kept number goes, and no entry is cut or lost on the way.
TEST(Logger, AFullFileIsSetAsideAndOnlyTheKeptNumberStays)
{
    char folder[MAX_PATH];
    ASSERT_NE(GetTempPathA(sizeof folder, folder), 0u);
    const std::string path = std::string(folder) + unique_token("rotation") + ".log";
    const long long limit = 64 * 1024;
    Logger::instance().set_rotation(limit, 2);
    Logger::instance().set_echo(false);
    ASSERT_EQ(Logger::instance().open(path.c_str()), 0);
    const std::string filler(900, 'x');
    const int entries = 5 * limit / 1000;
    for (int i = 0; i < entries; ++i)
        Logger::instance().write(log_status, "entry %05d %s\n", i, filler.c_str());

    const std::string files[] = {read_file_bytes(path.c_str()), read_file_bytes((path + ".1").c_str()),
                                 read_file_bytes((path + ".2").c_str())};
    EXPECT_EQ(GetFileAttributesA((path + ".3").c_str()), INVALID_FILE_ATTRIBUTES) << "two old files kept";
    const std::regex entry(std::string(timestamp_pattern) + "entry \\d{5} x{900}\r\n");
    const long long slack = 64 * 1000;  // the size is read every 64 entries
    for (int i = 0; i < 3; ++i) {
        const long long size = static_cast<long long>(files[i].size());
        if (i > 0) {
            EXPECT_GE(size, limit) << "file ." << i << " was full when set aside";
        }
        EXPECT_LT(size, limit + slack) << "file ." << i;
        const auto whole = std::distance(std::sregex_iterator(files[i].begin(), files[i].end(), entry),
                                         std::sregex_iterator());
        EXPECT_EQ(static_cast<size_t>(whole), count_occurrences(files[i], "\r\n")) << "every line a whole entry";
    }
    char newest[16];
    snprintf(newest, sizeof newest, "entry %05d ", entries - 1);
    EXPECT_NE(files[0].find(newest), std::string::npos) << "the newest entry is in the file in use";
}

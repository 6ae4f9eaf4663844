// Scripts reach the control by name: members.vbs, run by cscript, calls
// the 93 entries in order and prints what each answered (every one answers
// without raising an error); the integrators' examples log in to a server
// and print its channel count, or say what went wrong.
#include "com_fixture.h"

#include <sstream>
#include <vector>

#include "child_process.h"
#include "dvr_sim.h"
#include "member_table.h"
#include "text_file.h"

namespace {

struct Line {
    std::string kind, name, value;
    long error;
};

std::vector<Line> parse(const std::string& output)
{
    std::vector<Line> lines;
    std::istringstream in(without_carriage_returns(output));
    std::string text;
    while (std::getline(in, text)) {
        std::istringstream fields(text);
        Line line = {"", "", "", -1};
        fields >> line.kind >> line.name >> line.error;
        std::getline(fields, line.value);
        if (!line.value.empty())
            line.value.erase(0, 1);  // the separating space
        lines.push_back(line);
    }
    return lines;
}

// A script (through cscript) or a program (.exe), by its path in the build
// or source tree; what it printed, without carriage returns.
Program_Result run_file(const std::string& path, const std::string& arguments)
{
    const bool program = path.size() > 4 && path.compare(path.size() - 4, 4, ".exe") == 0;
    Program_Result run =
        program ? run_program(windows_path(path), arguments, Captured::output_only)
                : run_program("C:\\windows\\system32\\cscript.exe",
                              "//nologo \"" + windows_path(path) + "\" " + arguments, Captured::output_only);
    run.output = without_carriage_returns(run.output);
    return run;
}

const std::string examples[] = {std::string(EXAMPLES_DIR) + "/channel_count.vbs",
                                std::string(EXAMPLES_DIR) + "/channel_count.js", HOST_EXAMPLE};

const char* kind_word(Kind kind)
{
    return kind == Kind::get ? "get" : kind == Kind::put ? "put" : "call";
}

} // namespace

TEST_F(Com_Test, AScriptCallsAllNinetyThreeEntriesByName)
{
    ASSERT_EQ(module.register_server(), S_OK);
    const std::string output = run_file(MEMBERS_VBS, "").output;
    const std::vector<Line> lines = parse(output);
    ASSERT_EQ(lines.size(), 94u) << output;
    EXPECT_EQ(lines.back().kind, "done");
    for (size_t i = 0; i < 93; ++i) {
        const Member& member = members[i];
        const std::wstring name = member.name;
        EXPECT_EQ(lines[i].kind, kind_word(member.kind)) << i;
        EXPECT_EQ(lines[i].name, std::string(name.begin(), name.end())) << i;
        // 438 would be an unknown name, 450 a wrong argument count, 13 a
        // type mismatch, 445 a member not built.
        EXPECT_EQ(lines[i].error, 0) << lines[i].kind << " " << lines[i].name;
    }
    // What a control without a window answers.
    EXPECT_EQ(lines[0].value, "0") << "ScreenMode";
    EXPECT_EQ(lines[82].value, "version:v.1.0.0");
    EXPECT_EQ(lines[84].value, std::string(19, '?')) << "the refused save path's message, 19 characters";
    EXPECT_EQ(lines[91].value, "-1") << "current_active_ch";
    EXPECT_EQ(lines[92].value, "") << "current_active_ipaddr";
}

TEST_F(Com_Test, TheExamplesLogInAndPrintTheChannelCount)
{
    ASSERT_EQ(module.register_server(), S_OK);
    Dvr_Sim sim(Dvr_Sim::number_for("com.examples"));
    ASSERT_TRUE(sim.running());
    for (const std::string& example : {examples[0], examples[1]}) {
        const Program_Result run = run_file(example, sim.address() + " admin 12345");
        EXPECT_EQ(run.output,
                  "control: version:v.1.0.0\n"
                  "logged in as admin, privilege mask 1FFF\n"
                  "channels: 16 (numbered 1 to 16)\n")
            << example;
        EXPECT_EQ(run.status, 0u) << example;
    }
}

// Each way a first try goes wrong ends with its own status and a line
// saying what to do.
TEST_F(Com_Test, TheExamplesSayWhatWentWrongAndExitNonZero)
{
    Dvr_Sim sim(Dvr_Sim::number_for("com.examples-failing"));
    ASSERT_TRUE(sim.running());
    const std::string silent = Dvr_Sim::address_for("com.examples-nothing-listens");
    const struct {
        const char* case_name;
        bool registered;
        std::string arguments;
        DWORD status;
        const char* advice;
    } cases[] = {
        {"refused login", true, sim.address() + " admin wrong", 1, "check the user name and password"},
        {"unreachable server", true, silent + " admin 12345", 4, "did not answer: check the address"},
        {"control not registered", false, sim.address() + " admin 12345", 3, "regsvr32 kelm.dll"},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(c.registered ? module.register_server() : module.unregister_server(), S_OK) << c.case_name;
        for (const std::string& example : examples) {
            const Program_Result run = run_file(example, c.arguments);
            EXPECT_EQ(run.status, c.status) << c.case_name << ": " << example << "\n" << run.output;
            EXPECT_NE(run.output.find(c.advice), std::string::npos) << c.case_name << ": " << run.output;
        }
    }
    EXPECT_EQ(module.register_server(), S_OK) << "the other tests expect the control registered";
}

TEST_F(Com_Test, TheHostExampleOpensFourChannelsInItsWindow)
{
    ASSERT_EQ(module.register_server(), S_OK);
    Dvr_Sim sim(Dvr_Sim::number_for("com.host-example"));
    ASSERT_TRUE(sim.running());
    const Program_Result run = run_file(HOST_EXAMPLE, sim.address() + " admin 12345 1");
    EXPECT_EQ(run.output, "channels 1 to 4 of 16 are open\n");
    EXPECT_EQ(run.status, 0u);
}

// kelm-script gives a script the control in a window: the windowed examples
// show a channel and save a snapshot through it, say so under cscript, and
// a script error ends the run with status 1.
TEST_F(Com_Test, TheWindowedRunnerShowsAChannelAndEndsWithTheScriptsStatus)
{
    ASSERT_EQ(module.register_server(), S_OK);
    Dvr_Sim sim(Dvr_Sim::number_for("com.kelm-script"));
    ASSERT_TRUE(sim.running());
    char folder[MAX_PATH];
    ASSERT_NE(GetTempPathA(sizeof folder, folder), 0u);
    const std::string shots = std::string(folder) + unique_token("shots");
    const std::string failing = std::string(folder) + unique_token("failing") + ".vbs";
    FILE* script = fopen(failing.c_str(), "wb");
    ASSERT_NE(script, nullptr);
    fputs("WScript.Echo kelm.ver\r\nx = 1 / 0\r\nWScript.Echo \"not reached\"\r\n", script);
    fclose(script);
    const std::string runner = windows_path(KELM_SCRIPT);
    const std::string arguments = " " + sim.address() + " 2 \"" + shots + "\"";
    const struct {
        std::string program, arguments;
        DWORD status;
        const char* said;
    } cases[] = {
        {runner, "\"" + windows_path(std::string(EXAMPLES_DIR) + "/snapshot.vbs") + "\"" + arguments, 0, "snapshot saved in "},
        {runner, "\"" + windows_path(std::string(EXAMPLES_DIR) + "/snapshot.js") + "\"" + arguments, 0, "snapshot saved in "},
        {"C:\\windows\\system32\\cscript.exe",
         "//nologo \"" + windows_path(std::string(EXAMPLES_DIR) + "/snapshot.vbs") + "\"" + arguments, 3,
         "run this script with kelm-script.exe"},
        {runner, "\"" + failing + "\"", 1, "version:v.1.0.0\n"},
    };
    for (const auto& c : cases) {
        Program_Result run = run_program(c.program, c.arguments, Captured::output_only);
        run.output = without_carriage_returns(run.output);
        EXPECT_EQ(run.status, c.status) << c.arguments << "\n" << run.output;
        EXPECT_NE(run.output.find(c.said), std::string::npos) << run.output;
        EXPECT_EQ(run.output.find("not reached"), std::string::npos);
    }
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((shots + "\\*.jpg").c_str(), &found);
    int pictures = 0;
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found))
        ++pictures;
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    EXPECT_EQ(pictures, 2) << "one snapshot from each windowed example";
}

// Scripts reach the control by name: members.vbs, run by cscript, calls
// the 93 entries in order and prints what each answered (every one answers
// without raising an error); the integrators' examples log in to a server
// and print its channel count.
#include "com_fixture.h"

#include <sstream>
#include <vector>

#include "child_process.h"
#include "dvr_sim.h"
#include "member_table.h"

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

std::string run_script(const std::string& script, const std::string& arguments)
{
    return without_carriage_returns(run_program("C:\\windows\\system32\\cscript.exe",
                                                "//nologo \"" + windows_path(script) + "\" " + arguments,
                                                Captured::output_only)
                                        .output);
}

const char* kind_word(Kind kind)
{
    return kind == Kind::get ? "get" : kind == Kind::put ? "put" : "call";
}

} // namespace

TEST_F(Com_Test, AScriptCallsAllNinetyThreeEntriesByName)
{
    ASSERT_EQ(module.register_server(), S_OK);
    const std::string output = run_script(MEMBERS_VBS, "");
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
    for (const char* example : {"channel_count.vbs", "channel_count.js"}) {
        EXPECT_EQ(run_script(std::string(EXAMPLES_DIR) + "/" + example, sim.address() + " admin 12345"),
                  "control: version:v.1.0.0\n"
                  "logged in as admin, privilege mask 1FFF\n"
                  "channels: 16\n")
            << example;
    }
}

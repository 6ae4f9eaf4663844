// A script reaches every entry by name: members.vbs, run by cscript, calls
// the 93 entries in order and prints what each answered; every one answers
// without raising an error.
#include "com_fixture.h"

#include <sstream>
#include <vector>

#include "child_process.h"
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

const char* kind_word(Kind kind)
{
    return kind == Kind::get ? "get" : kind == Kind::put ? "put" : "call";
}

} // namespace

TEST_F(Com_Test, AScriptCallsAllNinetyThreeEntriesByName)
{
    ASSERT_EQ(module.register_server(), S_OK);
    const Program_Result result =
        run_program("C:\\windows\\system32\\cscript.exe", "//nologo \"" + windows_path(MEMBERS_VBS) + "\"",
                    Captured::output_only);
    const std::vector<Line> lines = parse(result.output);
    ASSERT_EQ(lines.size(), 94u) << result.output;
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

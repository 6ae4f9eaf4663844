/*
 * rqweb_call_test.cpp: the probe tool from outside, as a field engineer runs
 * it against a server (dvr-sim): its output lines and its exit status.
 */

#include "child_process.h"
#include "dvr_sim.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>

namespace {

typedef Program_Result Result;

Result run_tool(const std::string &arguments)
{
    return run_program(windows_path(RQWEB_CALL_EXE), arguments);
}

std::string lines(const std::string &output)
{
    return without_carriage_returns(output);
}

class Probe_Test : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const ::testing::TestInfo *info = ::testing::UnitTest::GetInstance()->current_test_info();
        sim.reset(new Dvr_Sim(Dvr_Sim::number_for(std::string("probe.") + info->name())));
        ASSERT_TRUE(sim->running());
    }

    Result call(const std::string &arguments) { return run_tool(sim->address() + " " + arguments); }

    std::unique_ptr<Dvr_Sim> sim;
};

} // namespace

TEST(Probe, HelpListsTheOperationsInOrder)
{
    const Result result = run_tool("--help");
    EXPECT_EQ(0u, result.status);
    const char *names[] = {"get-channelinfo", "set-channelinfo", "get-serverinfo", "set-serverinfo", "get-videopara",
                           "set-videopara", "get-videoquantify", "set-videoquantify", "get-ibpmode", "set-ibpmode",
                           "get-osdlogo", "set-osdlogo", "get-ptzinfo", "set-ptzinfo", "snapshot", "ptzop",
                           "setptzlogo", "set-vodflen", "get-vodflist", "idpwd", "addusr", "rmusr", "logon",
                           "get-vcardsn", "videosignal", "set-vodinfo", "get-vodinfo"};
    size_t at = 0;
    for (const char *name : names) {
        const size_t found = result.output.find(std::string("  ") + name + " ", at);
        ASSERT_NE(std::string::npos, found) << name << " missing or out of order";
        at = found;
    }
}

TEST(Probe, BadCommandLinesExitWithTwo)
{
    EXPECT_EQ(2u, run_tool("").status);
    EXPECT_EQ(2u, run_tool("127.0.0.1 no-such-operation").status);
    EXPECT_EQ(2u, run_tool("127.0.0.1 get-ptzinfo one").status);
    EXPECT_EQ(2u, run_tool("127.0.0.1 set-ptzinfo 1 nosuchfield=3").status);
}

TEST_F(Probe_Test, RecordResultOneFieldALine)
{
    const Result result = call("get-ptzinfo 2");
    EXPECT_EQ(0u, result.status);
    EXPECT_EQ("code=0\nport=0\nptzaddr=1\nptztype=0\nptzspeed=0\nret=0\n", lines(result.output));
}

TEST_F(Probe_Test, SetThenGet)
{
    Result result = call("set-osdlogo 3 ox=40 date=false osdmsg=Gate");
    EXPECT_EQ(0u, result.status);
    EXPECT_EQ("code=0\nr=0\n", lines(result.output));
    result = call("get-osdlogo 3");
    EXPECT_EQ(0u, result.status);
    EXPECT_EQ("code=0\nox=40\noy=0\nlx=0\nly=0\ndate=false\ntime=true\nosdmsg=Gate\nret=0\n", lines(result.output));
}

TEST_F(Probe_Test, AnswerValuesAndArrays)
{
    Result result = call("logon admin 12345");
    EXPECT_EQ(0u, result.status);
    EXPECT_EQ("code=0\nr=8191\n", lines(result.output));
    result = call("logon admin wrong"); /* refused by the server, but the call worked */
    EXPECT_EQ(0u, result.status);
    EXPECT_EQ("code=0\nr=-1\n", lines(result.output));
    result = call("get-vcardsn");
    EXPECT_EQ("code=0\ncount=2\nitem=RQ-SIM-VC-0001\nitem=RQ-SIM-VC-0002\n", lines(result.output));
    result = call("videosignal 1");
    EXPECT_EQ("code=0\nr=true\n", lines(result.output));
    result = call("snapshot 1");
    EXPECT_EQ(0u, result.status);
    EXPECT_EQ(0u, lines(result.output).find("code=0\ncount="));
    EXPECT_NE(std::string::npos, lines(result.output).find("\nitem=255\nitem=216\n")); /* the JPEG start */
}

TEST_F(Probe_Test, FailedCallsExitWithOne)
{
    ASSERT_TRUE(sim->mode("get-ptzinfo", "fault SOAP-ENV:Server busy"));
    Result result = call("get-ptzinfo 1");
    EXPECT_EQ(1u, result.status);
    EXPECT_EQ("code=2\n", lines(result.output));
    result = run_tool("127.0.250.9 get-serverinfo"); /* nothing listens there */
    EXPECT_EQ(1u, result.status);
    EXPECT_EQ("code=25\n", lines(result.output));
}

/* Numbers are decimal: "010" is channel 10; anything else is refused. */
TEST_F(Probe_Test, NumbersAreDecimalOnly)
{
    EXPECT_EQ(0u, call("get-ptzinfo 010").status);
    const std::vector<Sim_Request> requests = sim->requests();
    ASSERT_FALSE(requests.empty());
    EXPECT_NE(std::string::npos, requests.back().body().find("<channel>10</channel>"));
    for (const char *number : {"0x10", "\" 5\"", "+5", "5x", "-", "2147483648"})
        EXPECT_EQ(2u, call(std::string("get-ptzinfo ") + number).status) << number;
}

/* An address without a host never reaches standard input or output. */
TEST(Probe, AddressesWithoutAHostAreRefused)
{
    for (const char *address : {"\"\"", "/x", ":80", "?x"}) {
        const Result result = run_tool(std::string(address) + " get-serverinfo");
        EXPECT_EQ(1u, result.status) << address;
        EXPECT_EQ("code=25\n", lines(result.output)) << address;
    }
}

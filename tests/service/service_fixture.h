/*
 * service_fixture.h: a dvr-sim of the test's own and a Web_Service for it,
 * plus the envelope the simulator would write, for canned answers.
 */
#ifndef KELM_TESTS_SERVICE_FIXTURE_H
#define KELM_TESTS_SERVICE_FIXTURE_H

#include "dvr_sim.h"
#include "rqweb_envelope.h"
#include "web_service.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

inline std::string current_test_name()
{
    const ::testing::TestInfo *info = ::testing::UnitTest::GetInstance()->current_test_info();
    return std::string(info->test_suite_name()) + "." + info->name();
}

/* An rqweb envelope around body content, as a SOAP 1.1 server writes it. */
inline std::string envelope(const std::string &content)
{
    return rqweb_envelope(content);
}

/* The response element of an operation around its content. */
inline std::string response(const std::string &operation, const std::string &content)
{
    return envelope("<rqweb:" + operation + "Response>" + content + "</rqweb:" + operation + "Response>");
}

class Service_Test : public ::testing::Test
{
protected:
    void SetUp() override
    {
        sim.reset(new Dvr_Sim(Dvr_Sim::number_for(current_test_name())));
        ASSERT_TRUE(sim->running()) << "dvr-sim did not start on " << sim->address();
        service.reset(new Web_Service(sim->endpoint().c_str()));
    }

    void TearDown() override
    {
        service.reset();
        sim.reset();
    }

    /* Makes the simulator answer operation with status 200 and this body. */
    void canned(const std::string &operation, const std::string &body)
    {
        ASSERT_TRUE(sim->answer(operation, 200, body));
    }

    std::unique_ptr<Dvr_Sim> sim;
    std::unique_ptr<Web_Service> service;
};

#endif

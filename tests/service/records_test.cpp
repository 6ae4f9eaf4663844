/*
 * records_test.cpp: construction values of the rqweb records, and who owns
 * the text of the three text-holding records through copies, assignment,
 * setters and destruction (on the heap and in a runtime context).
 */

#include "web_service.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(Records, ConstructionValues)
{
    const VideoPara_T video;
    EXPECT_EQ(128, video.brightness);
    EXPECT_EQ(64, video.contrast);
    EXPECT_EQ(64, video.saturation);
    EXPECT_EQ(0, video.hue);
    const VideoQuantify_T quantify;
    EXPECT_EQ(18, quantify.iq);
    EXPECT_EQ(23, quantify.bq);
    EXPECT_EQ(18, quantify.pq);
    const IBPMode_T ibp;
    EXPECT_EQ(25, ibp.frames_in2i);
    EXPECT_EQ(25, ibp.framerate);
    EXPECT_EQ(0, ibp.bframes + ibp.pframes + ibp.ret);
    const OsdLogo_T osd;
    EXPECT_TRUE(osd.date && osd.time);
    EXPECT_EQ(nullptr, osd.osdmsg);
    EXPECT_EQ(nullptr, osd.soap);
    const PtzInfo_T ptz;
    EXPECT_EQ(1, ptz.ptzaddr);
    EXPECT_EQ(0, ptz.port + ptz.ptztype + ptz.ptzspeed);
    const ChannelInfo_T channel;
    EXPECT_EQ(2, channel.standard);
    EXPECT_EQ(786432, channel.coderate);
    EXPECT_EQ(1, channel.stream_type);
    EXPECT_EQ(nullptr, channel.name);
    const ServerInfo_T server;
    EXPECT_EQ(1, server.channel_cnt);
    EXPECT_EQ(12000, server.svrport);
    EXPECT_EQ(6050, server.cltport);
    EXPECT_FALSE(server.recorde);
    const VodInfo_T vod;
    EXPECT_EQ(255, vod.r_chnl);
    EXPECT_EQ(60, vod.flen);
    EXPECT_EQ(512, vod.almlen);
    EXPECT_EQ(7, vod.svdays);
    const Byte_Array bytes;
    EXPECT_EQ(nullptr, bytes.__ptr);
    EXPECT_EQ(0, bytes.__size);
}

TEST(Records, SetterCopiesTheTextAndRefusesNull)
{
    char text[] = "front door";
    OsdLogo_T osd;
    ASSERT_EQ(0, osd.set_osdmsg(text));
    text[0] = 'F';
    EXPECT_STREQ("front door", osd.osdmsg);
    EXPECT_EQ(-1, osd.set_osdmsg(nullptr));
    EXPECT_STREQ("front door", osd.osdmsg);

    ChannelInfo_T channel;
    ServerInfo_T server;
    EXPECT_EQ(-1, channel.set_name(nullptr));
    EXPECT_EQ(nullptr, channel.name);
    ASSERT_EQ(0, channel.set_name("gate"));
    ASSERT_EQ(0, server.set_name("hall"));
    ASSERT_EQ(0, server.set_name("hall 2"));
    EXPECT_STREQ("gate", channel.name);
    EXPECT_STREQ("hall 2", server.name);
}

TEST(Records, CopyOwnsItsTextOnTheHeap)
{
    ChannelInfo_T original;
    original.channel = 5;
    original.coderate = 1234;
    ASSERT_EQ(0, original.set_name("yard"));
    ChannelInfo_T copy(original);
    EXPECT_EQ(5, copy.channel);
    EXPECT_EQ(1234, copy.coderate);
    ASSERT_NE(nullptr, copy.name);
    EXPECT_NE(original.name, copy.name);
    EXPECT_STREQ("yard", copy.name);
    EXPECT_EQ(nullptr, copy.soap);

    const ChannelInfo_T empty;
    const ChannelInfo_T empty_copy(empty);
    EXPECT_EQ(nullptr, empty_copy.name);
}

TEST(Records, AssignmentCopiesTextButANullSourceKeepsTheTarget)
{
    ServerInfo_T source;
    source.channel_cnt = 9;
    ServerInfo_T target;
    ASSERT_EQ(0, target.set_name("kept"));

    target = source; /* source text is null */
    EXPECT_EQ(9, target.channel_cnt);
    EXPECT_STREQ("kept", target.name);

    ASSERT_EQ(0, source.set_name("new"));
    target = source;
    EXPECT_STREQ("new", target.name);
    EXPECT_NE(source.name, target.name);

    const char *before = target.name;
    target = *&target; /* self-assignment changes nothing */
    EXPECT_EQ(before, target.name);
    EXPECT_STREQ("new", target.name);
}

/* Records a context made keep their text in that context: assignment and
   setters there allocate through it, and destroying the context frees it. */
TEST(Records, TextOfAContextRecordLivesInTheContext)
{
    struct soap *context = soap_new();
    ASSERT_NE(nullptr, context);
    OsdLogo_T *osd = soap_new_OsdLogo_T(context);
    ASSERT_NE(nullptr, osd);
    EXPECT_EQ(context, osd->soap);
    ASSERT_EQ(0, osd->set_osdmsg("first"));
    ASSERT_EQ(0, osd->set_osdmsg("second"));
    OsdLogo_T source;
    ASSERT_EQ(0, source.set_osdmsg("third"));
    *osd = source;
    EXPECT_STREQ("third", osd->osdmsg);
    EXPECT_EQ(context, osd->soap);

    const OsdLogo_T copy(*osd); /* a copy is the caller's: on the heap */
    EXPECT_EQ(nullptr, copy.soap);
    EXPECT_STREQ("third", copy.osdmsg);

    soap_destroy(context); /* runs the destructor: the text goes back to the context */
    soap_end(context);
    soap_free(context);
    EXPECT_STREQ("third", copy.osdmsg);
}

TEST(Records, ReleaseResultsWithoutCallsIsHarmless)
{
    Web_Service service("http://127.0.0.1:8000");
    ASSERT_NE(nullptr, service.soap);
    EXPECT_STREQ("http://127.0.0.1:8000", service.endpoint);
    service.release_results();
    service.release_results();
}

/*
 * decoding_test.cpp: how answers are read.  Records: missing fields are
 * zeros (not construction values), field order does not matter, booleans
 * take true/false/1/0 and nothing else, texts keep the low byte of each
 * character.  Arrays: declared sizes, positions, sizes above the trust
 * bound, wrong item types.  Envelopes: SOAP 1.2, multi-references, headers,
 * a wrong response element, deep nesting.
 */

#include "service_fixture.h"

namespace {

const char ptz_forward[] =
    "<out><port>1</port><ptzaddr>2</ptzaddr><ptztype>3</ptztype><ptzspeed>4</ptzspeed><ret>5</ret></out>";
const char ptz_reversed[] =
    "<out><ret>5</ret><ptzspeed>4</ptzspeed><ptztype>3</ptztype><ptzaddr>2</ptzaddr><port>1</port></out>";

std::string osd_with(const std::string &fields)
{
    return response("get-osdlogo", "<out>" + fields + "</out>");
}

std::string bytes_out(const std::string &attributes, const std::string &items)
{
    return response("snapshot", "<out xsi:type=\"SOAP-ENC:Array\" " + attributes + ">" + items + "</out>");
}

std::string items(int count)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += "<item>" + std::to_string(i % 251) + "</item>";
    return text;
}

} // namespace

TEST_F(Service_Test, MissingFieldsAreZerosNotConstructionValues)
{
    canned("get-ptzinfo", response("get-ptzinfo", "<out></out>"));
    PtzInfo_T *ptz = nullptr;
    ASSERT_EQ(0, service->get_ptzinfo(1, ptz));
    ASSERT_NE(nullptr, ptz);
    EXPECT_EQ(0, ptz->ptzaddr); /* constructed it would be 1 */
    EXPECT_EQ(0, ptz->port + ptz->ptztype + ptz->ptzspeed + ptz->ret);

    canned("get-osdlogo", osd_with(""));
    OsdLogo_T *osd = nullptr;
    ASSERT_EQ(0, service->get_osdlogo(1, osd));
    ASSERT_NE(nullptr, osd);
    EXPECT_FALSE(osd->date || osd->time);
    EXPECT_EQ(nullptr, osd->osdmsg);
    EXPECT_EQ(service->soap, osd->soap);
}

TEST_F(Service_Test, FieldOrderDoesNotMatterAndStrangersAreSkipped)
{
    const std::string answers[] = {
        response("get-ptzinfo", ptz_forward),
        response("get-ptzinfo", ptz_reversed),
        response("get-ptzinfo", "<extra><deep>x</deep></extra>" + std::string(ptz_reversed) + "<more/>"),
        /* a repeated field: the first is taken, the second skipped */
        response("get-ptzinfo", "<out><port>1</port><port>9</port><ptzaddr>2</ptzaddr><ptztype>3</ptztype>"
                                "<ptzspeed>4</ptzspeed><ret>5</ret></out>"),
    };
    for (const std::string &answer : answers) {
        canned("get-ptzinfo", answer);
        PtzInfo_T *ptz = nullptr;
        ASSERT_EQ(0, service->get_ptzinfo(1, ptz)) << answer;
        ASSERT_NE(nullptr, ptz);
        EXPECT_EQ(1, ptz->port);
        EXPECT_EQ(2, ptz->ptzaddr);
        EXPECT_EQ(3, ptz->ptztype);
        EXPECT_EQ(4, ptz->ptzspeed);
        EXPECT_EQ(5, ptz->ret);
    }
}

TEST_F(Service_Test, BooleansTakeTrueFalseOneZeroOnly)
{
    struct Case
    {
        const char *word;
        int code;
        bool value;
    };
    const Case cases[] = {
        {"true", 0, true}, {"false", 0, false}, {"1", 0, true},      {"0", 0, false},
        {"yes", 4, false}, {"TRUE", 4, false},  {"2", 4, false},     {"", 4, false},
    };
    for (const Case &c : cases) {
        canned("get-osdlogo", osd_with("<date>" + std::string(c.word) + "</date>"));
        OsdLogo_T *osd = nullptr;
        ASSERT_EQ(c.code, service->get_osdlogo(1, osd)) << '"' << c.word << '"';
        if (c.code == 0) {
            ASSERT_NE(nullptr, osd);
            EXPECT_EQ(c.value, osd->date) << c.word;
        }
        canned("videosignal", response("videosignal", "<r>" + std::string(c.word) + "</r>"));
        bool signal = !c.value;
        EXPECT_EQ(c.code, service->videosignal(1, signal)) << c.word;
        if (c.code == 0) {
            EXPECT_EQ(c.value, signal) << c.word;
        }
    }
}

TEST_F(Service_Test, AnIncompatibleXsiTypeIsATypeError)
{
    const std::string answers[] = {
        response("get-ptzinfo", "<out><port xsi:type=\"xsd:string\">1</port></out>"),
        osd_with("<osdmsg xsi:type=\"xsd:int\">5</osdmsg>"),
        response("get-ptzinfo", "<out><port>one</port></out>"),
    };
    canned("get-ptzinfo", answers[0]);
    PtzInfo_T *ptz = nullptr;
    EXPECT_EQ(4, service->get_ptzinfo(1, ptz));
    canned("get-osdlogo", answers[1]);
    OsdLogo_T *osd = nullptr;
    EXPECT_EQ(4, service->get_osdlogo(1, osd));
    canned("get-ptzinfo", answers[2]);
    EXPECT_EQ(4, service->get_ptzinfo(1, ptz));

    canned("get-osdlogo", osd_with("<osdmsg xsi:type=\"xsd:string\">ok</osdmsg><ox xsi:type=\"xsd:int\">3</ox>"));
    ASSERT_EQ(0, service->get_osdlogo(1, osd));
    ASSERT_NE(nullptr, osd);
    EXPECT_STREQ("ok", osd->osdmsg);
    EXPECT_EQ(3, osd->ox);
}

TEST_F(Service_Test, TextKeepsTheLowByteOfEachCharacter)
{
    struct Case
    {
        const char *xml;
        const char *bytes;
    };
    const Case cases[] = {
        {"&#214;", "\xD6"},                 /* a reference to a byte */
        {"\xC3\x96", "\xD6"},               /* the same character in UTF-8 */
        {"&#x4E2D;x", "\x2Dx"},             /* above 255: its low 8 bits */
        {"a&amp;b&lt;c&gt;&#xA;", "a&b<c>\n"},
        {"", ""},                           /* an empty element is an empty text */
    };
    for (const Case &c : cases) {
        canned("get-osdlogo", osd_with("<osdmsg>" + std::string(c.xml) + "</osdmsg>"));
        OsdLogo_T *osd = nullptr;
        ASSERT_EQ(0, service->get_osdlogo(1, osd)) << c.xml;
        ASSERT_NE(nullptr, osd);
        ASSERT_NE(nullptr, osd->osdmsg) << c.xml;
        EXPECT_STREQ(c.bytes, osd->osdmsg) << c.xml;
    }
    canned("get-osdlogo", osd_with("<osdmsg xsi:nil=\"true\"/>"));
    OsdLogo_T *osd = nullptr;
    ASSERT_EQ(0, service->get_osdlogo(1, osd));
    ASSERT_NE(nullptr, osd);
    EXPECT_EQ(nullptr, osd->osdmsg);
}

TEST_F(Service_Test, DeclaredByteArraySizes)
{
    struct Case
    {
        const char *name;
        std::string answer;
        int code;
        int count;
    };
    const Case cases[] = {
        {"three declared, two sent: the last is 0",
         bytes_out("SOAP-ENC:arrayType=\"xsd:unsignedByte[3]\"", "<item>7</item><item>8</item>"), 0, 3},
        {"no size: read item by item", bytes_out("SOAP-ENC:arrayType=\"xsd:unsignedByte[]\"", items(5)), 0, 5},
        {"no arrayType", bytes_out("", items(4)), 0, 4},
        {"anyType items", bytes_out("SOAP-ENC:arrayType=\"xsd:anyType[2]\"", items(2)), 0, 2},
        {"ur-type items", bytes_out("SOAP-ENC:arrayType=\"xsd:ur-type[2]\"", items(2)), 0, 2},
        {"16000000 declared, 3 sent",
         bytes_out("SOAP-ENC:arrayType=\"xsd:unsignedByte[16000000]\"", items(3)), 0, 3},
        {"a negative size", bytes_out("SOAP-ENC:arrayType=\"xsd:unsignedByte[-5]\"", items(2)), 0, 2},
        {"offset", bytes_out("SOAP-ENC:arrayType=\"xsd:unsignedByte[4]\" SOAP-ENC:offset=\"[1]\"", items(3)), 0, 3},
        {"position inside",
         bytes_out("SOAP-ENC:arrayType=\"xsd:unsignedByte[4]\"", "<item SOAP-ENC:position=\"[2]\">9</item>"), 0, 4},
        {"position outside: index error",
         bytes_out("SOAP-ENC:arrayType=\"xsd:unsignedByte[2]\"", "<item SOAP-ENC:position=\"[5]\">9</item>"), 7, 0},
        {"item type string", bytes_out("SOAP-ENC:arrayType=\"xsd:string[1]\"", items(1)), 4, 0},
        {"item over 255", bytes_out("SOAP-ENC:arrayType=\"xsd:unsignedByte[1]\"", "<item>256</item>"), 4, 0},
    };
    for (const Case &c : cases) {
        canned("snapshot", c.answer);
        Byte_Array *out = nullptr;
        ASSERT_EQ(c.code, service->snapshot(1, out)) << c.name;
        if (c.code != 0) {
            EXPECT_EQ(nullptr, out) << c.name;
            continue;
        }
        ASSERT_NE(nullptr, out) << c.name;
        EXPECT_EQ(c.count, out->__size) << c.name;
    }
    canned("snapshot", cases[0].answer);
    Byte_Array *out = nullptr;
    ASSERT_EQ(0, service->snapshot(1, out));
    ASSERT_NE(nullptr, out);
    EXPECT_EQ(7, out->__ptr[0]);
    EXPECT_EQ(8, out->__ptr[1]);
    EXPECT_EQ(0, out->__ptr[2]);
    canned("snapshot", cases[8].answer);
    ASSERT_EQ(0, service->snapshot(1, out));
    ASSERT_NE(nullptr, out);
    EXPECT_EQ(9, out->__ptr[2]);
}

/* Above 100000 declared items nothing is allocated up front: the items are
   read one by one, all of them. */
TEST_F(Service_Test, ArraysAboveTheTrustBoundAreReadCompletely)
{
    ASSERT_TRUE(sim->ok("snapshot-bytes 100001"));
    Byte_Array *picture = nullptr;
    ASSERT_EQ(0, service->snapshot(2, picture));
    ASSERT_NE(nullptr, picture);
    EXPECT_EQ(100001, picture->__size);
    EXPECT_EQ(0xD9, picture->__ptr[100000]);

    ASSERT_TRUE(sim->ok("snapshot-bytes 0"));
    ASSERT_TRUE(sim->mode("snapshot", "oversize 100000000"));
    ASSERT_EQ(0, service->snapshot(2, picture));
    ASSERT_NE(nullptr, picture);
    EXPECT_GT(picture->__size, 1000);
    EXPECT_LT(picture->__size, 20000);
}

TEST_F(Service_Test, StringArrays)
{
    const std::string good = response("get-vcardsn",
        "<out xsi:type=\"SOAP-ENC:Array\" SOAP-ENC:arrayType=\"xsd:string[3]\"><item>a</item>"
        "<item xsi:nil=\"true\"/><item>&#xE9;</item></out>");
    canned("get-vcardsn", good);
    String_Array *out = nullptr;
    ASSERT_EQ(0, service->get_vcardsn(out));
    ASSERT_NE(nullptr, out);
    ASSERT_EQ(3, out->__size);
    EXPECT_STREQ("a", out->__ptr[0]);
    EXPECT_EQ(nullptr, out->__ptr[1]);
    EXPECT_STREQ("\xE9", out->__ptr[2]);

    canned("get-vcardsn", response("get-vcardsn", "<out xsi:type=\"SOAP-ENC:Array\" "
                                                  "SOAP-ENC:arrayType=\"xsd:int[2]\"><item>1</item><item>2</item></out>"));
    EXPECT_EQ(4, service->get_vcardsn(out));
    EXPECT_EQ(nullptr, out);

    ASSERT_TRUE(sim->mode("get-vcardsn", "oversize 5"));
    ASSERT_EQ(0, service->get_vcardsn(out));
    ASSERT_NE(nullptr, out);
    ASSERT_EQ(5, out->__size); /* the two sent, then three empty places */
    EXPECT_STREQ("RQ-SIM-VC-0002", out->__ptr[1]);
    EXPECT_EQ(nullptr, out->__ptr[4]);
}

TEST_F(Service_Test, Soap12AnswersAreUnderstood)
{
    const std::string answer =
        "<?xml version=\"1.0\"?><env:Envelope xmlns:env=\"http://www.w3.org/2003/05/soap-envelope\" "
        "xmlns:rpc=\"http://www.w3.org/2003/05/soap-rpc\" xmlns:q=\"urn:rqweb\">"
        "<env:Body><q:get-ptzinfoResponse><rpc:result>out</rpc:result><out><port>4</port></out>"
        "</q:get-ptzinfoResponse></env:Body></env:Envelope>";
    canned("get-ptzinfo", answer);
    PtzInfo_T *ptz = nullptr;
    ASSERT_EQ(0, service->get_ptzinfo(1, ptz));
    ASSERT_NE(nullptr, ptz);
    EXPECT_EQ(4, ptz->port);
}

TEST_F(Service_Test, MultiReferencesAreResolved)
{
    canned("get-ptzinfo", envelope("<rqweb:get-ptzinfoResponse><out href=\"#p1\"/></rqweb:get-ptzinfoResponse>"
                                   "<rec id=\"p1\" xsi:type=\"PtzInfo-T\"><port>6</port></rec>"));
    PtzInfo_T *ptz = nullptr;
    ASSERT_EQ(0, service->get_ptzinfo(1, ptz));
    ASSERT_NE(nullptr, ptz);
    EXPECT_EQ(6, ptz->port);

    canned("get-osdlogo", envelope("<rqweb:get-osdlogoResponse><out><osdmsg href=\"#t\"/></out>"
                                   "</rqweb:get-osdlogoResponse><s id=\"t\" xsi:type=\"xsd:string\">hi</s>"));
    OsdLogo_T *osd = nullptr;
    ASSERT_EQ(0, service->get_osdlogo(1, osd));
    ASSERT_NE(nullptr, osd);
    EXPECT_STREQ("hi", osd->osdmsg);

    canned("get-ptzinfo", response("get-ptzinfo", "<out href=\"#nowhere\"/>"));
    EXPECT_EQ(ws_renumbered + SOAP_MISSING_ID, service->get_ptzinfo(1, ptz));
}

TEST_F(Service_Test, HeadersAreSkippedUnlessTheyMustBeUnderstood)
{
    const std::string head = "<?xml version=\"1.0\"?><SOAP-ENV:Envelope "
                             "xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\" xmlns:rqweb=\"urn:rqweb\" "
                             "xmlns:h=\"urn:other\"><SOAP-ENV:Header>";
    const std::string tail = "</SOAP-ENV:Header><SOAP-ENV:Body><rqweb:rmusrResponse><r>3</r></rqweb:rmusrResponse>"
                             "</SOAP-ENV:Body></SOAP-ENV:Envelope>";
    int r = 0;
    canned("rmusr", head + "<h:trace>1</h:trace>" + tail);
    ASSERT_EQ(0, service->rmusr("x", r));
    EXPECT_EQ(3, r);
    canned("rmusr", head + "<h:trace SOAP-ENV:mustUnderstand=\"1\">1</h:trace>" + tail);
    EXPECT_EQ(ws_must_understand, service->rmusr("x", r));
}

TEST_F(Service_Test, OnlyTheOperationsOwnResponseIsTaken)
{
    int r = 5;
    canned("rmusr", response("addusr", "<r>0</r>"));
    EXPECT_EQ(ws_no_response, service->rmusr("x", r));
    canned("rmusr", envelope("<other:rmusrResponse xmlns:other=\"urn:other\"><r>0</r></other:rmusrResponse>"));
    EXPECT_EQ(ws_no_response, service->rmusr("x", r));
    canned("rmusr", envelope("<rmusrResponse xmlns=\"urn:rqweb\"><r>2</r></rmusrResponse>"));
    ASSERT_EQ(0, service->rmusr("x", r)); /* the right name in the default namespace */
    EXPECT_EQ(2, r);
}

TEST_F(Service_Test, DeepNestingEndsTheCallWithoutHarm)
{
    const int depths[] = {100, 20000};
    for (int depth : depths) {
        std::string open, close;
        for (int i = 0; i < depth; ++i) {
            open += "<x>";
            close += "</x>";
        }
        canned("get-ptzinfo", response("get-ptzinfo", "<out>" + open + close + "<port>3</port></out>"));
        PtzInfo_T *ptz = nullptr;
        ASSERT_EQ(0, service->get_ptzinfo(1, ptz)) << depth; /* skipped content nests freely */
        ASSERT_NE(nullptr, ptz);
        EXPECT_EQ(3, ptz->port);

        const std::string chain = envelope("<rqweb:get-ptzinfoResponse>" + open + close + "</rqweb:get-ptzinfoResponse>");
        canned("get-ptzinfo", chain);
        EXPECT_EQ(0, service->get_ptzinfo(1, ptz)) << depth;
        EXPECT_EQ(nullptr, ptz);
    }
}

/*
 * rqweb.h: the rqweb web service of the DVR servers, as a gSOAP service
 * definition.  The build turns it into the serializers, the client call
 * functions and the server skeleton with
 *
 *     soapcpp2 -1 -e -L -w -x -p rqweb -d <build dir> rqweb.h
 *
 *   -1         SOAP 1.1 envelopes and the SOAP 1.1 encoding namespace
 *   -e         rpc/encoded (SOAP section 5) messages
 *   -L -w -x   no soapClientLib/soapServerLib, no WSDL/XSD, no sample XML
 *   -p rqweb   generated files are named rqwebStub.h, rqwebH.h, rqwebC.cpp,
 *              rqwebClient.cpp, rqwebServer.cpp (and rqweb.nsmap, unused:
 *              the proxy carries its own namespace table)
 *
 * Directives:
 *   service name       the service is called rqweb
 *   service style      rpc: one request element per operation, named after it
 *   service encoding   encoded: records carry no xsi:type, arrays are
 *                      SOAP-ENC:Array with a SOAP-ENC:arrayType attribute
 *   service namespace  the request and response elements live in "urn:rqweb"
 *
 * Identifiers follow the gSOAP conventions: "rqweb__" qualifies an operation
 * with the rqweb prefix and a single underscore stands for a hyphen in the XML
 * name (rqweb__get_channelinfo is "rqweb:get-channelinfo", VideoPara_T is
 * "VideoPara-T", frames_in2i is "frames-in2i").  Record fields are unqualified
 * elements written in the order declared here.
 *
 * The members the generator adds (soap_default, soap_serialize, soap_put,
 * soap_out, soap_get, soap_in, soap_type) follow the declared ones.  The
 * hand-written constructors, copy operations and text setters live in
 * records.cpp; the two custom types below in xsd_types.cpp.
 */

//gsoap rqweb service name:      rqweb
//gsoap rqweb service style:     rpc
//gsoap rqweb service encoding:  encoded
//gsoap rqweb service namespace: urn:rqweb
//gsoap rqweb schema namespace:  urn:rqweb

/* Text: 8-bit bytes in the local code page.  Written byte by byte with
   character references for markup, line breaks, control bytes and every byte
   from 128 up; a null pointer writes no element at all (xsd_types.cpp). */
extern typedef char *xsd__string;

/* Seconds since 1970-01-01 UTC in 32 bits, written as local time with the
   local offset from UTC (xsd_types.cpp). */
extern typedef int xsd__dateTime;

/* Scalar types the service knows besides those used by its records. */
typedef char xsd__byte;
typedef unsigned int xsd__unsignedInt;
typedef ULONG64 xsd__unsignedLong;

/* Picture adjustment of a channel. */
class VideoPara_T
{
public:
	int brightness;
	int contrast;
	int saturation;
	int hue;
	int ret;
	VideoPara_T();
};

/* Encoder quantisers of a channel. */
class VideoQuantify_T
{
public:
	int iq;
	int bq;
	int pq;
	int ret;
	VideoQuantify_T();
};

/* Frame-type pattern and frame rate of a channel's encoder. */
class IBPMode_T
{
public:
	int frames_in2i;
	int bframes;
	int pframes;
	int framerate;
	int ret;
	IBPMode_T();
};

/* On-screen display of a channel: caption text, date and time. */
class OsdLogo_T
{
public:
	virtual ~OsdLogo_T();
	virtual int set_osdmsg(const char *text);
	int ox;
	int oy;
	int lx;
	int ly;
	bool date;
	bool time;
	xsd__string osdmsg;
	int ret;
	struct soap *soap;
	OsdLogo_T();
	OsdLogo_T(const OsdLogo_T &other);
	OsdLogo_T &operator=(const OsdLogo_T &other);
};

/* Pan-tilt-zoom line settings of a channel. */
class PtzInfo_T
{
public:
	int port;
	int ptzaddr;
	int ptztype;
	int ptzspeed;
	int ret;
	PtzInfo_T();
};

/* Identity and stream settings of a channel. */
class ChannelInfo_T
{
public:
	virtual ~ChannelInfo_T();
	virtual int set_name(const char *text);
	int channel;
	xsd__string name;
	int standard;
	int coderate;
	int resolution;
	int stream_type;
	int ret;
	struct soap *soap;
	ChannelInfo_T();
	ChannelInfo_T(const ChannelInfo_T &other);
	ChannelInfo_T &operator=(const ChannelInfo_T &other);
};

/* Settings of the server as a whole. */
class ServerInfo_T
{
public:
	virtual ~ServerInfo_T();
	virtual int set_name(const char *text);
	int channel_cnt;
	xsd__string name;
	int svrport;
	int cltport;
	bool recorde;
	int ret;
	struct soap *soap;
	ServerInfo_T();
	ServerInfo_T(const ServerInfo_T &other);
	ServerInfo_T &operator=(const ServerInfo_T &other);
};

/* Recording-storage settings of the server. */
class VodInfo_T
{
public:
	int r_chnl;
	int flen;
	int almlen;
	int svdays;
	VodInfo_T();
};

/* SOAP-encoded array of bytes, one "item" element per byte.  gSOAP names the
   members of an encoded array __ptr (the items) and __size (their count). */
class Byte_Array
{
public:
	unsigned char *__ptr;
	int __size;
};

/* SOAP-encoded array of texts. */
class String_Array
{
public:
	xsd__string *__ptr;
	int __size;
};

/* The operations, in the order of the service.  Inputs first, the result
   (r or out) last. */
int rqweb__get_channelinfo(int channel, ChannelInfo_T *&out);
int rqweb__set_channelinfo(int channel, ChannelInfo_T *in, int &r);
int rqweb__get_serverinfo(ServerInfo_T *&out);
int rqweb__set_serverinfo(ServerInfo_T *in, int &r);
int rqweb__get_videopara(int channel, VideoPara_T *&out);
int rqweb__set_videopara(int channel, VideoPara_T *in, int &r);
int rqweb__get_videoquantify(int channel, VideoQuantify_T *&out);
int rqweb__set_videoquantify(int channel, VideoQuantify_T *in, int &r);
int rqweb__get_ibpmode(int channel, IBPMode_T *&out);
int rqweb__set_ibpmode(int channel, IBPMode_T *in, int &r);
int rqweb__get_osdlogo(int channel, OsdLogo_T *&out);
int rqweb__set_osdlogo(int channel, OsdLogo_T *in, int &r);
int rqweb__get_ptzinfo(int channel, PtzInfo_T *&out);
int rqweb__set_ptzinfo(int channel, PtzInfo_T *in, int &r);
int rqweb__snapshot(int channel, Byte_Array *&out);
int rqweb__ptzop(int channel, int op, int range, int &r);
int rqweb__setptzlogo(int channel, Byte_Array *logo, int x, int y, int &r);
int rqweb__set_vodflen(int len, int &r);
int rqweb__get_vodflist(int channel, xsd__dateTime t1, xsd__dateTime t2, String_Array *&out);
int rqweb__idpwd(xsd__string oldid, xsd__string newid, xsd__string newpwd, int &r);
int rqweb__addusr(xsd__string usrid, xsd__string usrpwd, int op, int &r);
int rqweb__rmusr(xsd__string usrid, int &r);
int rqweb__logon(xsd__string usrid, xsd__string usrpwd, int &r);
int rqweb__get_vcardsn(String_Array *&out);
int rqweb__videosignal(int channel, bool &r);
int rqweb__set_vodinfo(VodInfo_T *in, int &r);
int rqweb__get_vodinfo(VodInfo_T *&out);

#!/usr/bin/env python3
"""Writes the seed corpus of the rqweb response fuzz target into seeds/.

Each seed is one byte choosing the operation (its index in the service, 0 to
26) followed by a whole HTTP answer.  Run from this folder; the seeds are
kept in the repository, so this only needs running when they change."""
import os

OPS = ["get-channelinfo", "set-channelinfo", "get-serverinfo", "set-serverinfo", "get-videopara",
       "set-videopara", "get-videoquantify", "set-videoquantify", "get-ibpmode", "set-ibpmode",
       "get-osdlogo", "set-osdlogo", "get-ptzinfo", "set-ptzinfo", "snapshot", "ptzop", "setptzlogo",
       "set-vodflen", "get-vodflist", "idpwd", "addusr", "rmusr", "logon", "get-vcardsn", "videosignal",
       "set-vodinfo", "get-vodinfo"]

ENVELOPE = ('<?xml version="1.0" encoding="UTF-8"?>\n<SOAP-ENV:Envelope '
            'xmlns:SOAP-ENV="http://schemas.xmlsoap.org/soap/envelope/" '
            'xmlns:SOAP-ENC="http://schemas.xmlsoap.org/soap/encoding/" '
            'xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance" '
            'xmlns:xsd="http://www.w3.org/2001/XMLSchema" xmlns:rqweb="urn:rqweb">'
            '<SOAP-ENV:Body SOAP-ENV:encodingStyle="http://schemas.xmlsoap.org/soap/encoding/">%s'
            '</SOAP-ENV:Body></SOAP-ENV:Envelope>')


def http(body, status="200 OK", content_type="text/xml; charset=utf-8"):
    return ("HTTP/1.1 %s\r\nContent-Type: %s\r\nContent-Length: %d\r\nConnection: close\r\n\r\n"
            % (status, content_type, len(body.encode("latin-1")))) + body


def response(op, content):
    return ENVELOPE % ("<rqweb:%sResponse>%s</rqweb:%sResponse>" % (op, content, op))


def array(item_type, items, declared=None, extra=""):
    n = len(items) if declared is None else declared
    return ('<out xsi:type="SOAP-ENC:Array" SOAP-ENC:arrayType="%s[%d]"%s>%s</out>'
            % (item_type, n, extra, "".join("<item>%s</item>" % i for i in items)))


SEEDS = {
    "channelinfo": ("get-channelinfo", http(response("get-channelinfo",
        "<out><channel>1</channel><name>Camera &#214;</name><standard>2</standard><coderate>786432</coderate>"
        "<resolution>0</resolution><stream-type>1</stream-type><ret>0</ret></out>"))),
    "serverinfo": ("get-serverinfo", http(response("get-serverinfo",
        "<out><channel-cnt>16</channel-cnt><name>dvr</name><svrport>12000</svrport><cltport>6050</cltport>"
        "<recorde>true</recorde><ret>0</ret></out>"))),
    "osdlogo": ("get-osdlogo", http(response("get-osdlogo",
        "<out><ret>0</ret><osdmsg>a&amp;b&#x4E2D;</osdmsg><time>0</time><date>1</date><ly>4</ly><ox>1</ox></out>"))),
    "ptzinfo-nil": ("get-ptzinfo", http(response("get-ptzinfo", '<out xsi:nil="true"/>'))),
    "ptzinfo-href": ("get-ptzinfo", http(ENVELOPE % (
        '<rqweb:get-ptzinfoResponse><out href="#r1"/></rqweb:get-ptzinfoResponse>'
        '<rec id="r1" xsi:type="PtzInfo-T"><port>2</port><ptzaddr>3</ptzaddr></rec>'))),
    "set-r": ("set-videopara", http(response("set-videopara", "<r>0</r>"))),
    "snapshot": ("snapshot", http(response("snapshot", array("xsd:unsignedByte", [255, 216, 255, 217])))),
    "snapshot-short": ("snapshot", http(response("snapshot", array("xsd:unsignedByte", [1, 2], declared=5)))),
    "snapshot-position": ("snapshot", http(response("snapshot",
        '<out xsi:type="SOAP-ENC:Array" SOAP-ENC:arrayType="xsd:unsignedByte[4]" SOAP-ENC:offset="[1]">'
        '<item SOAP-ENC:position="[2]">9</item></out>'))),
    "vodflist": ("get-vodflist", http(response("get-vodflist", array("xsd:string", ["a.mp4", "b.mp4"])))),
    "vcardsn-unsized": ("get-vcardsn", http(response("get-vcardsn",
        '<out xsi:type="SOAP-ENC:Array"><item>x</item><item xsi:nil="true"/></out>'))),
    "videosignal": ("videosignal", http(response("videosignal", "<r>true</r>"))),
    "logon-soap12": ("logon", http(
        '<?xml version="1.0"?><env:Envelope xmlns:env="http://www.w3.org/2003/05/soap-envelope" '
        'xmlns:q="urn:rqweb" xmlns:rpc="http://www.w3.org/2003/05/soap-rpc"><env:Body><q:logonResponse>'
        '<rpc:result>r</rpc:result><r>8191</r></q:logonResponse></env:Body></env:Envelope>')),
    "fault11": ("rmusr", http(ENVELOPE % (
        "<SOAP-ENV:Fault><faultcode>SOAP-ENV:Server</faultcode><faultstring>busy</faultstring>"
        "<detail><x>1</x></detail></SOAP-ENV:Fault>"), status="500 Internal Server Error")),
    "fault12": ("idpwd", http(
        '<env:Envelope xmlns:env="http://www.w3.org/2003/05/soap-envelope"><env:Body><env:Fault><env:Code>'
        '<env:Value>env:Sender</env:Value></env:Code><env:Reason><env:Text xml:lang="en">no</env:Text>'
        '</env:Reason></env:Fault></env:Body></env:Envelope>', status="500 Internal Server Error")),
    "header": ("addusr", http(
        '<SOAP-ENV:Envelope xmlns:SOAP-ENV="http://schemas.xmlsoap.org/soap/envelope/" xmlns:rqweb="urn:rqweb">'
        '<SOAP-ENV:Header><h:t xmlns:h="urn:h" SOAP-ENV:mustUnderstand="1">1</h:t></SOAP-ENV:Header>'
        '<SOAP-ENV:Body><rqweb:addusrResponse><r>0</r></rqweb:addusrResponse></SOAP-ENV:Body>'
        '</SOAP-ENV:Envelope>')),
    "html": ("get-vodinfo", http("<!DOCTYPE html>\n<html><body>login</body></html>", content_type="text/html")),
    "http404": ("get-serverinfo", http("not here", status="404 Not Found", content_type="text/plain")),
    "vodinfo": ("get-vodinfo", http(response("get-vodinfo",
        "<out><r-chnl>255</r-chnl><flen>60</flen><almlen>512</almlen><svdays>7</svdays></out>"))),
    # hostile answers: forward references resolved after the last byte, a
    # declared size far above what is sent, an href item that breaks off
    "snapshot-forward-refs": ("snapshot", http(ENVELOPE % (
        '<rqweb:snapshotResponse><out xsi:type="SOAP-ENC:Array" SOAP-ENC:arrayType="xsd:unsignedByte[200]">'
        + "".join('<i href="#%d"/>' % i for i in range(200)) + "</out></rqweb:snapshotResponse>"
        + "".join('<m id="%d" xsi:type="xsd:unsignedByte">%d</m>' % (i, i % 256) for i in range(200))))),
    "snapshot-declared-16M": ("snapshot", http(response("snapshot", array("xsd:unsignedByte", [7], declared=16000000)))),
    "vodflist-href-breaks-off": ("get-vodflist", http(response("get-vodflist",
        '<out SOAP-ENC:arrayType="xsd:string[]"><item>a</item><item href="#a"/><item href="#">')[:-60])),
    # answers refused since: body elements nothing refers to, declared sizes
    # read as the runtime reads them, strict status line and Content-Length,
    # items beyond the declared size, results of the wrong type, character
    # references out of range
    "logon-stray-arrays": ("logon", http(ENVELOPE % (
        "<rqweb:logonResponse><r>8191</r></rqweb:logonResponse>"
        + '<a SOAP-ENC:arrayType="xsd:string[1]" SOAP-ENC:offset="[-1999998]"></a>' * 40
        + '<b SOAP-ENC:arrayType="xsd:string[2000000]0"></b>' * 40
        + "".join('<c%d SOAP-ENC:arrayType="xsd:string[100000]"></c%d>' % (i, i) for i in range(40))))),
    "logon-ids-inside": (
        "logon", "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + response("logon", "<r>1</r>" + "".join(
            '<a%d id="x%d" SOAP-ENC:arrayType="xsd:string[100000]"></a%d>' % (i, i, i) for i in range(100)))),
    "snapshot-negative-offset": ("snapshot", http(response("snapshot",
        '<out SOAP-ENC:arrayType="xsd:unsignedByte[1]" SOAP-ENC:offset="[-1999998]"><item>7</item></out>'))),
    "snapshot-size-then-digit": ("snapshot", http(response("snapshot",
        '<out SOAP-ENC:arrayType="xsd:unsignedByte[2000000]0"><item>7</item></out>'))),
    "snapshot-items-beyond-size": ("snapshot", http(response("snapshot", array("xsd:unsignedByte", [1, 2, 3], declared=1)))),
    "snapshot-text": ("snapshot", http(response("snapshot", "<out>hello</out>"))),
    "snapshot-base64": ("snapshot", http(response("snapshot", '<out xsi:type="xsd:base64Binary">AAAA</out>'))),
    "snapshot-href-record": ("snapshot", http(ENVELOPE % (
        '<rqweb:snapshotResponse><out href="#a"/></rqweb:snapshotResponse>'
        '<a id="a" xsi:type="rqweb:ServerInfo-T"><channel-cnt>4</channel-cnt></a>'))),
    "serverinfo-string": ("get-serverinfo", http(response("get-serverinfo", '<out xsi:type="xsd:string">x</out>'))),
    "serverinfo-nul-reference": ("get-serverinfo", http(response("get-serverinfo",
        "<out><channel-cnt>4&#0;5</channel-cnt><name>a&#-1;b&#x-2;</name></out>"))),
    "status-cut-to-16-bits": ("logon", http(response("logon", "<r>1</r>"), status="65736 OK")),
    "status-not-http": ("logon", "FOO 200 \r\nContent-Length: 10\r\n\r\n" + response("logon", "<r>1</r>")),
    "no-http-header": ("logon", response("logon", "<r>1</r>")),
    "body-shorter-than-length": ("logon", "HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n"
                                 + response("logon", "<r>1</r>")),
    "body-longer-than-length": ("logon", "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n"
                                + response("logon", "<r>1</r>")),
    "http404-negative-length": ("get-serverinfo", "HTTP/1.1 404 Not Found\r\nContent-Length: -33\r\n\r\nnot here"),
}

os.makedirs("seeds", exist_ok=True)
for name, (op, text) in SEEDS.items():
    with open(os.path.join("seeds", name), "wb") as f:
        f.write(bytes([OPS.index(op)]) + text.encode("latin-1"))

// The SOAP 1.1 envelope of the rqweb service around a body's content, as a
// server writes it: the simulator's hand-made answers and the tests'
// canned ones are both built on it.
#pragma once

#include <string>

inline std::string rqweb_envelope(const std::string& body_content)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<SOAP-ENV:Envelope xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\" "
           "xmlns:SOAP-ENC=\"http://schemas.xmlsoap.org/soap/encoding/\" "
           "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
           "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" xmlns:rqweb=\"urn:rqweb\">"
           "<SOAP-ENV:Body SOAP-ENV:encodingStyle=\"http://schemas.xmlsoap.org/soap/encoding/\">" +
           body_content + "</SOAP-ENV:Body></SOAP-ENV:Envelope>";
}

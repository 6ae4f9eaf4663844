/*
 * namespaces.cpp: the namespace table of the rqweb service.
 *
 * Every row with a prefix is declared on the envelope of each message, in
 * this order.  The third column is what is also accepted on reading: the
 * W3C envelope, encoding and schema namespaces of any year, so that a SOAP
 * 1.2 answer and an older schema year are understood as well.
 */

#include "rqweb_namespaces.h"

#include "stdsoap2.h"

const struct Namespace rqweb_namespaces[] = {
    {"SOAP-ENV", "http://schemas.xmlsoap.org/soap/envelope/", "http://www.w3.org/*/soap-envelope", nullptr},
    {"SOAP-ENC", "http://schemas.xmlsoap.org/soap/encoding/", "http://www.w3.org/*/soap-encoding", nullptr},
    {"xsi", "http://www.w3.org/2001/XMLSchema-instance", "http://www.w3.org/*/XMLSchema-instance", nullptr},
    {"xsd", "http://www.w3.org/2001/XMLSchema", "http://www.w3.org/*/XMLSchema", nullptr},
    {"rqweb", "urn:rqweb", nullptr, nullptr},
    {nullptr, nullptr, nullptr, nullptr},
};

// make_web_service: the one way a channel or the control reaches a server's
// web service.
#include "service_link.h"

#include <new>

#include "service_address.h"
#include "text_convert.h"
#include "web_service.h"

namespace {

const size_t endpoint_bytes = 40;

} // namespace

Web_Service* make_web_service(const std::wstring& server_ip)
{
    if (!is_service_address(server_ip.c_str()))
        return nullptr;
    const std::wstring endpoint = L"http://" + server_ip + L":8000";
    char narrow[endpoint_bytes];
    if (!wide_to_ansi(endpoint.c_str(), narrow, sizeof narrow))
        return nullptr;
    Web_Service* service = new (std::nothrow) Web_Service(narrow);
    if (service && !service->soap) {
        delete service;
        return nullptr;
    }
    return service;
}

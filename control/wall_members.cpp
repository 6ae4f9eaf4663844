// Members for a host showing a wall of several servers: pane captions,
// the names captions give servers, and each pane's health.  None of them
// asks a server or needs a login.
#include "kelm_ctrl.h"

#include "service_address.h"

#include <cwchar>

#include "screen.h"
#include "text_convert.h"

namespace {

const size_t longest_label = 64;
const size_t longest_address = 255;
const size_t most_labels = 256;

// Addresses compare without regard to case ("DVR-A" is "dvr-a").
std::wstring address_key(const wchar_t* address)
{
    std::wstring key(address);
    if (!key.empty())
        (void)CharUpperBuffW(&key[0], static_cast<DWORD>(key.size()));  // answers the count converted
    return key;
}

size_t text_length(BSTR text)
{
    return text ? SysStringLen(text) : 0;
}

// Room for a reason: the library's URL and detail fields and the words
// around them.
const size_t reason_units = 640;

// What get_pane_health answers for each state of a pane.
LONG health_code(Pane_Stream status)
{
    switch (status) {
    case Pane_Stream::live:
        return 1;
    case Pane_Stream::lost:
        return 2;
    case Pane_Stream::reconnecting:
        return 3;
    case Pane_Stream::closed:
        break;
    }
    return 0;
}

} // namespace

HRESULT kelm_ctrl::get_captions(VARIANT_BOOL* shown)
{
    if (!shown)
        return E_POINTER;
    *shown = captions_shown ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT kelm_ctrl::put_captions(VARIANT_BOOL shown)
{
    captions_shown = shown != VARIANT_FALSE;
    update_captions();
    return S_OK;
}

// A label with an embedded null would be cut at it in the caption; the
// texts are refused whole instead.
HRESULT kelm_ctrl::label_server(BSTR address, BSTR label)
{
    const size_t address_length = text_length(address);
    const size_t label_length = text_length(label);
    if (address_length == 0 || address_length > longest_address || label_length > longest_label ||
        wcslen(address) != address_length || (label && wcslen(label) != label_length))
        return E_INVALIDARG;
    const std::wstring key = address_key(address);
    if (label_length == 0) {
        server_labels.erase(key);
    } else {
        if (server_labels.size() >= most_labels && server_labels.count(key) == 0)
            return E_OUTOFMEMORY;
        server_labels[key] = label;
    }
    update_captions();
    return S_OK;
}

HRESULT kelm_ctrl::get_pane_health(LONG pane, LONG* state, LONG* lost_seconds)
{
    if (!state || !lost_seconds)
        return E_POINTER;
    *state = 0;
    *lost_seconds = 0;
    if (pane < 0 || pane >= pane_count)
        return E_INVALIDARG;
    if (pane >= static_cast<LONG>(screens.size()))
        return S_OK;  // no window yet: no pane has a channel
    const Screen* screen = screens[pane];
    *state = health_code(screen->stream_status());
    *lost_seconds = static_cast<LONG>(screen->lost_for(GetTickCount()) / 1000);
    return S_OK;
}

HRESULT kelm_ctrl::get_pane_reason(LONG pane, LONG* kind, BSTR* text)
{
    if (!kind || !text)
        return E_POINTER;
    *kind = 0;
    *text = nullptr;
    if (pane < 0 || pane >= pane_count)
        return E_INVALIDARG;
    Stream_Reason why;
    if (pane < static_cast<LONG>(screens.size()))
        why = screens[pane]->loss_why();
    *kind = static_cast<LONG>(why.kind);
    wchar_t wide[reason_units];
    *text = SysAllocString(ansi_to_wide(why.text.c_str(), wide, reason_units) ? wide : L"");
    return *text ? S_OK : E_OUTOFMEMORY;
}

std::wstring kelm_ctrl::server_name(const std::wstring& address) const
{
    const auto label = server_labels.find(address_key(address.c_str()));
    return label == server_labels.end() ? address_without_login(address) : label->second;
}

void kelm_ctrl::update_captions()
{
    for (Screen* screen : screens) {
        if (captions_shown)
            screen->show_caption(server_name(screen->channel_params().server_ip));
        else
            screen->remove_caption();
    }
}

#include "server_dialog.h"

#include "camera_url.h"
#include "form_dialog.h"
#include "resource.h"
#include "texts.h"

namespace {

// Tells the operator what is wrong with a field; the dialog stays open.
void warn(HWND dialog, const std::wstring& text)
{
    (void)MessageBoxW(dialog, text.c_str(), load_text(IDS_TITLE).c_str(), MB_ICONWARNING);  // only OK to answer
}

// The fields a DVR and a camera share, from `form`, under the title `title`.
void fill_login(HWND dialog, UINT title, bool editing, const Server_Form& form)
{
    (void)SetWindowTextW(dialog, load_text(title).c_str());  // a title only
    set_item_text(dialog, IDC_SERVER_NAME, form.name);
    set_item_text(dialog, IDC_ADDRESS, form.address);
    set_item_text(dialog, IDC_USER, form.user);
    set_item_text(dialog, IDC_SERVER_NOTE, load_text(editing ? IDS_EDIT_PASSWORD_NOTE : IDS_ADD_PASSWORD_NOTE));
    check_item(dialog, IDC_SERVER_KEEP, form.keep_password);
}

// The fields a DVR and a camera share, into `form`.
void read_login(HWND dialog, Server_Form* form)
{
    form->name = item_text(dialog, IDC_SERVER_NAME);
    form->address = item_text(dialog, IDC_ADDRESS);
    form->user = item_text(dialog, IDC_USER);
    form->password = item_text(dialog, IDC_PASSWORD);
    form->keep_password = item_checked(dialog, IDC_SERVER_KEEP);
}

std::wstring range_text(int first, int last)
{
    return first == last ? std::to_wstring(first) : std::to_wstring(first) + L"-" + std::to_wstring(last);
}

// The camera's URL and channel range from the dialog; false, with the
// reason told, when the control could not play them.  A login in the URL
// is the stream's, whatever the user and password fields say.
bool read_camera_stream(HWND dialog, Camera_Form* form)
{
    const std::wstring url = item_text(dialog, IDC_ADDRESS);
    if (url.empty()) {
        warn(dialog, load_text(IDS_NO_CAMERA_URL));
        return false;
    }
    if (const unsigned problem = camera_url_problem(url)) {
        warn(dialog, format_text(problem, url.c_str()));
        return false;
    }
    int first = 1, last = 1;
    const std::wstring range = item_text(dialog, IDC_CAMERA_CHANNELS);
    if (has_channel_field(url) && !range.empty() && !parse_channel_range(range, most_camera_channel, &first, &last)) {
        warn(dialog, format_text(IDS_BAD_CHANNEL_RANGE, range.c_str(), most_camera_channel));
        return false;
    }
    read_login(dialog, form);
    const Url_Login login = split_url_login(url);
    form->address = login.url;
    if (login.given) {
        form->user = login.user;
        form->password = login.password;
    }
    form->first_channel = first;
    form->last_channel = last;
    return true;
}

} // namespace

bool ask_server(HWND owner, bool editing, Server_Form* form)
{
    const auto fill = [&](HWND dialog) { fill_login(dialog, editing ? IDS_EDIT_SERVER : IDS_ADD_SERVER, editing, *form); };
    const auto accept = [&](HWND dialog) {
        const std::wstring address = item_text(dialog, IDC_ADDRESS);
        if (address.empty() || is_stream_url(address)) {
            warn(dialog, load_text(address.empty() ? IDS_NO_ADDRESS : IDS_ADDRESS_IS_URL));
            return false;
        }
        read_login(dialog, form);
        return true;
    };
    return run_form_dialog(owner, IDD_SERVER, fill, accept);
}

bool ask_camera(HWND owner, bool editing, Camera_Form* form)
{
    const auto fill = [&](HWND dialog) {
        fill_login(dialog, editing ? IDS_EDIT_CAMERA : IDS_ADD_CAMERA, editing, *form);
        if (has_channel_field(form->address))
            set_item_text(dialog, IDC_CAMERA_CHANNELS, range_text(form->first_channel, form->last_channel));
    };
    const auto accept = [&](HWND dialog) { return read_camera_stream(dialog, form); };
    return run_form_dialog(owner, IDD_CAMERA, fill, accept);
}

bool ask_password(HWND owner, const std::wstring& label, const std::wstring& user, std::wstring* password,
                  bool* keep_password)
{
    const auto fill = [&](HWND dialog) {
        set_item_text(dialog, IDC_PASSWORD_PROMPT, format_text(IDS_PASSWORD_PROMPT, user.c_str(), label.c_str()));
        check_item(dialog, IDC_SERVER_KEEP, *keep_password);
    };
    const auto accept = [&](HWND dialog) {
        *password = item_text(dialog, IDC_PASSWORD);
        *keep_password = item_checked(dialog, IDC_SERVER_KEEP);
        return true;
    };
    return run_form_dialog(owner, IDD_PASSWORD, fill, accept);
}

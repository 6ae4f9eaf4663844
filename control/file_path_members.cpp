// The save directory of recordings and snapshots: set_file_path and the
// save_filepath property.
#include "kelm_ctrl.h"

#include "bstr_text.h"
#include "error_codes.h"
#include "logger.h"
#include "save_directory.h"
#include "text_convert.h"

namespace {

const size_t path_bytes = 260;
const size_t path_units = 130;

} // namespace

// Stores the directory in its normal form "D:/name/name/", creating its
// last level when missing.  A failure keeps the previous directory.
HRESULT kelm_ctrl::set_file_path(BSTR fpath)
{
    const wchar_t* path = bstr_text(fpath);
    char narrow[path_bytes];
    if (!*path || *path == L' ' || !wide_to_ansi(path, narrow, sizeof narrow)) {
        Logger::instance().write(log_status, "file path is invalid!!");
        error_code = error_create_folder;
        return S_FALSE;
    }
    if (!has_drive_letter(narrow)) {
        error_code = error_create_folder;
        return S_FALSE;
    }
    char normal[path_bytes];
    wchar_t wide[path_units];
    if (!normalise_directory(narrow, normal, sizeof normal) || !ansi_to_wide(normal, wide, path_units) ||
        !ensure_directory(wide)) {
        Logger::instance().write(log_status, "file path is invalid!!");
        error_code = error_create_folder;
        return S_FALSE;
    }
    save_filepath = wide;
    return S_OK;
}

HRESULT kelm_ctrl::get_save_filepath(BSTR* path)
{
    if (!path)
        return E_POINTER;
    if (!allowed(Gated_Member::save_filepath))
        return S_FALSE;
    return return_bstr(save_filepath, path);
}

// Setting the property does what set_file_path does: accepting a directory
// and ignoring it would report a failure as success.
HRESULT kelm_ctrl::put_save_filepath(BSTR path)
{
    if (!allowed(Gated_Member::save_filepath))
        return S_FALSE;
    return set_file_path(path);
}

#include "protected_secret.h"

#include <wincrypt.h>

namespace {

// Mixed into the encryption, so that another program of the same user that
// decrypts blobs without it cannot read the viewer's passwords by chance.
const char entropy_text[] = "kelm-viewer server password";

DATA_BLOB entropy()
{
    DATA_BLOB blob;
    blob.pbData = reinterpret_cast<BYTE*>(const_cast<char*>(entropy_text));
    blob.cbData = sizeof entropy_text - 1;
    return blob;
}

} // namespace

std::vector<BYTE> protect_secret(const std::wstring& secret)
{
    DATA_BLOB plain, extra = entropy(), encrypted = {0, nullptr};
    plain.pbData = reinterpret_cast<BYTE*>(const_cast<wchar_t*>(secret.c_str()));
    plain.cbData = static_cast<DWORD>(secret.size() * sizeof(wchar_t));
    if (!CryptProtectData(&plain, L"kelm-viewer", &extra, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &encrypted))
        return std::vector<BYTE>();
    std::vector<BYTE> blob(encrypted.pbData, encrypted.pbData + encrypted.cbData);
    (void)LocalFree(encrypted.pbData);  // answers only the memory it could not free
    return blob;
}

bool unprotect_secret(const std::vector<BYTE>& blob, std::wstring* secret)
{
    DATA_BLOB encrypted, extra = entropy(), plain = {0, nullptr};
    encrypted.pbData = const_cast<BYTE*>(blob.data());
    encrypted.cbData = static_cast<DWORD>(blob.size());
    if (blob.empty() ||
        !CryptUnprotectData(&encrypted, nullptr, &extra, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &plain))
        return false;
    secret->assign(reinterpret_cast<const wchar_t*>(plain.pbData), plain.cbData / sizeof(wchar_t));
    // The plain text does not stay behind in freed memory.
    SecureZeroMemory(plain.pbData, plain.cbData);
    (void)LocalFree(plain.pbData);  // answers only the memory it could not free
    return true;
}

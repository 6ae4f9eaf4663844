// A password kept for the operator: encrypted with the current Windows
// user's key (CryptProtectData), so that only that user on this machine
// can read it back.  The viewer stores only the encrypted bytes.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The encrypted bytes of `secret`; empty when it cannot be encrypted.
std::vector<BYTE> protect_secret(const std::wstring& secret);
// The secret back from `blob`; false when it cannot be decrypted (another
// user's or a damaged value).
bool unprotect_secret(const std::vector<BYTE>& blob, std::wstring* secret);

// The viewer's values in the registry, under HKEY_CURRENT_USER\Software\kelm\viewer
// and its subkeys: opening keys and reading and writing texts, numbers and
// byte blobs.  Values are a convenience: one that cannot be read reads as
// empty, and one that cannot be written is not remembered.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Closes the key it holds when it goes.
class Registry_Key {
public:
    // The viewer's key, or its subkey `path` ("Servers\\0"), created when
    // missing; not open when the registry refuses.
    explicit Registry_Key(const std::wstring& path = std::wstring());
    ~Registry_Key();
    Registry_Key(const Registry_Key&) = delete;
    Registry_Key& operator=(const Registry_Key&) = delete;

    bool is_open() const { return key != nullptr; }
    HKEY get() const { return key; }

    std::wstring text(const std::wstring& name) const;
    DWORD number(const std::wstring& name, DWORD missing = 0) const;
    std::vector<BYTE> bytes(const std::wstring& name) const;
    void set_text(const std::wstring& name, const std::wstring& value);
    void set_number(const std::wstring& name, DWORD value);
    void set_bytes(const std::wstring& name, const std::vector<BYTE>& value);
    void remove_value(const std::wstring& name);
    // The names of the subkeys, in the registry's order.
    std::vector<std::wstring> subkeys() const;
    // Removes the subkey `name` with its values (it has no subkeys).
    void remove_subkey(const std::wstring& name);

private:
    HKEY key = nullptr;
};

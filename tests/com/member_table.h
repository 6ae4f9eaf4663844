// The 93 entries of Ikelm_ctrl in vtable order: name, DISPID, kind and
// value or argument types.
#pragma once

#include <windows.h>
#include <oaidl.h>

enum class Kind { get, put, method };

struct Member {
    const wchar_t* name;
    DISPID dispid;
    Kind kind;
    // The property's value, or the method's arguments: L LONG, U USHORT,
    // S SHORT, B BSTR, O BOOL.
    const char* types;
};

extern const Member members[93];

// What the interface's type description says about its members, read once
// and kept: their names, looked up without regard to case, and the
// parameters each member takes, against which a call is checked before
// the type description makes it.
#pragma once

#include <vector>
#include <windows.h>
#include <oleauto.h>

// The parameters a caller passes to one member of one kind (method,
// property get or put); the return value and the locale are not among them.
struct Member_Signature {
    DISPID id;
    INVOKEKIND kind;
    std::vector<VARTYPE> types;  // in declared order
    UINT required;               // how many of them a call must give
};

// The DISPID of the member `name`; DISP_E_UNKNOWNNAME (and DISPID_UNKNOWN)
// when the interface has no such member.
HRESULT dispatch_id_of_name(ITypeInfo* info, LPOLESTR name, DISPID* id);
// The signature of the member `id` that an Invoke with `flags` calls;
// DISP_E_MEMBERNOTFOUND when there is none.
HRESULT dispatch_signature(ITypeInfo* info, DISPID id, WORD flags, const Member_Signature** signature);
// Drops the tables (process detach).
void dispatch_release_members();

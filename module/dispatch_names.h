// Member names to DISPIDs, looked up without regard to case in a table
// read once from the interface's type description.
#pragma once

#include <windows.h>
#include <oleauto.h>

// The DISPID of the member `name`; DISP_E_UNKNOWNNAME (and DISPID_UNKNOWN)
// when the interface has no such member.
HRESULT dispatch_id_of_name(ITypeInfo* info, LPOLESTR name, DISPID* id);
// Drops the table (process detach).
void dispatch_release_names();

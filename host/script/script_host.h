// The objects a script gets besides the control: "WScript", with the
// members of the Windows Script Host that the examples use (Echo, Quit,
// Sleep, Arguments), so that a script runs unchanged here and in cscript.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <vector>

// An IDispatch whose members are looked up in a table of names; Invoke
// hands the call to `call`.
class Named_Dispatch : public IDispatch {
public:
    struct Member {
        const wchar_t* name;
        DISPID id;
    };

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO*, UINT* bad_argument) override;

protected:
    explicit Named_Dispatch(const std::vector<Member>& members) : members(members) {}
    virtual ~Named_Dispatch() = default;
    // One member's work; the arguments come last first, as Invoke has them.
    virtual HRESULT call(DISPID id, DISPPARAMS* params, VARIANT* result) = 0;

private:
    std::vector<Member> members;
    LONG references = 1;
};

// What the script asked the host to do when it ended.
struct Script_Outcome {
    bool quit = false;    // WScript.Quit was called
    int exit_code = 0;
};

// Makes the "WScript" object (one reference for the caller).  `arguments`
// are the script's own; `before_quit` runs when the script calls Quit,
// before the process ends with its code.
IDispatch* make_script_host(const std::vector<std::wstring>& arguments, void (*before_quit)());

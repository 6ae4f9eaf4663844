#include "script_host.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <new>

#include "console_line.h"
#include "message_pump.h"

namespace {

enum Host_Member : DISPID { member_echo = 1, member_quit, member_sleep, member_arguments };
enum Arguments_Member : DISPID { member_item = DISPID_VALUE, member_count = 1, member_length };

// A VARIANT given by reference is read through its reference.
VARIANT* value_of(VARIANT& argument)
{
    return argument.vt == (VT_VARIANT | VT_BYREF) ? argument.pvarVal : &argument;
}

// The argument as a number, or `fallback` when there is none or it is no number.
LONG number_argument(DISPPARAMS* params, UINT position, LONG fallback)
{
    if (!params || position >= params->cArgs)
        return fallback;
    VARIANT number;
    VariantInit(&number);
    VARIANT* given = value_of(params->rgvarg[params->cArgs - 1 - position]);
    LONG value = fallback;
    if (SUCCEEDED(VariantChangeType(&number, given, 0, VT_I4)))
        value = number.lVal;
    (void)VariantClear(&number);  // a number owns nothing
    return value;
}

// Echo writes its arguments with a space between them and a line end, in
// the ANSI code page as cscript does.
void echo(DISPPARAMS* params)
{
    std::wstring line;
    for (UINT i = params ? params->cArgs : 0; i > 0; --i) {
        VARIANT text;
        VariantInit(&text);
        if (SUCCEEDED(VariantChangeType(&text, value_of(params->rgvarg[i - 1]), VARIANT_ALPHABOOL, VT_BSTR)) &&
            text.bstrVal)
            line += text.bstrVal;
        (void)VariantClear(&text);  // frees the text made
        if (i > 1)
            line += L' ';
    }
    print_line(line);
}

class Script_Arguments final : public Named_Dispatch {
public:
    explicit Script_Arguments(const std::vector<std::wstring>& values)
        : Named_Dispatch({{L"Item", member_item}, {L"Count", member_count}, {L"length", member_length}}),
          values(values)
    {
    }

private:
    HRESULT call(DISPID id, DISPPARAMS* params, VARIANT* result) override
    {
        if (id == member_count || id == member_length) {
            if (result) {
                result->vt = VT_I4;
                result->lVal = static_cast<LONG>(values.size());
            }
            return S_OK;
        }
        const LONG index = number_argument(params, 0, -1);
        if (index < 0 || index >= static_cast<LONG>(values.size()))
            return DISP_E_BADINDEX;
        if (!result)
            return S_OK;
        result->vt = VT_BSTR;
        result->bstrVal = SysAllocString(values[static_cast<size_t>(index)].c_str());
        return result->bstrVal ? S_OK : E_OUTOFMEMORY;
    }

    std::vector<std::wstring> values;
};

class Script_Host final : public Named_Dispatch {
public:
    Script_Host(const std::vector<std::wstring>& arguments, void (*before_quit)())
        : Named_Dispatch({{L"Echo", member_echo},
                          {L"Quit", member_quit},
                          {L"Sleep", member_sleep},
                          {L"Arguments", member_arguments}}),
          arguments(arguments), before_quit(before_quit)
    {
    }

private:
    HRESULT call(DISPID id, DISPPARAMS* params, VARIANT* result) override
    {
        switch (id) {
        case member_echo:
            echo(params);
            return S_OK;
        case member_quit: {
            const LONG code = number_argument(params, 0, 0);
            (void)fflush(stdout);
            if (before_quit)
                before_quit();
            // As the Windows Script Host does: the script ends here, whatever
            // error handling it has on.
            ExitProcess(static_cast<UINT>(code));
        }
        case member_sleep:
            // The window goes on painting and watching its streams meanwhile.
            pump_for(static_cast<DWORD>(std::max(number_argument(params, 0, 0), 0L)));
            return S_OK;
        case member_arguments: {
            Script_Arguments* list = new (std::nothrow) Script_Arguments(arguments);
            if (!list)
                return E_OUTOFMEMORY;
            // "WScript.Arguments(0)" may come as one call with the index.
            if (params && params->cArgs > 0) {
                const HRESULT item = list->Invoke(DISPID_VALUE, IID_NULL, 0, DISPATCH_PROPERTYGET, params, result,
                                                  nullptr, nullptr);
                list->Release();
                return item;
            }
            if (!result) {
                list->Release();
                return S_OK;
            }
            result->vt = VT_DISPATCH;
            result->pdispVal = list;
            return S_OK;
        }
        default:
            return DISP_E_MEMBERNOTFOUND;
        }
    }

    std::vector<std::wstring> arguments;
    void (*before_quit)();
};

} // namespace

HRESULT STDMETHODCALLTYPE Named_Dispatch::QueryInterface(REFIID riid, void** object)
{
    if (!object)
        return E_POINTER;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IDispatch)) {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE Named_Dispatch::AddRef()
{
    return static_cast<ULONG>(InterlockedIncrement(&references));
}

ULONG STDMETHODCALLTYPE Named_Dispatch::Release()
{
    const LONG left = InterlockedDecrement(&references);
    if (left == 0)
        delete this;
    return static_cast<ULONG>(left);
}

HRESULT STDMETHODCALLTYPE Named_Dispatch::GetTypeInfoCount(UINT* count)
{
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE Named_Dispatch::GetTypeInfo(UINT, LCID, ITypeInfo** info)
{
    if (info)
        *info = nullptr;
    return DISP_E_BADINDEX;
}

// Names are matched without regard to case, as scripts name them.
HRESULT STDMETHODCALLTYPE Named_Dispatch::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids)
{
    if (!names || !ids)
        return E_POINTER;
    HRESULT outcome = S_OK;
    for (UINT i = 0; i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
        for (const Member& member : members) {
            if (i == 0 && names[0] && _wcsicmp(names[0], member.name) == 0)
                ids[0] = member.id;
        }
        if (ids[i] == DISPID_UNKNOWN)
            outcome = DISP_E_UNKNOWNNAME;
    }
    return outcome;
}

HRESULT STDMETHODCALLTYPE Named_Dispatch::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result,
                                                 EXCEPINFO*, UINT*)
{
    for (const Member& member : members) {
        if (member.id == id) {
            if (result)
                VariantInit(result);
            return call(id, params, result);
        }
    }
    return DISP_E_MEMBERNOTFOUND;
}

IDispatch* make_script_host(const std::vector<std::wstring>& arguments, void (*before_quit)())
{
    return new (std::nothrow) Script_Host(arguments, before_quit);
}

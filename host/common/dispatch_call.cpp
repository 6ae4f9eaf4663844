#include "dispatch_call.h"

#include <vector>

Variant::Variant(int number)
{
    VariantInit(&value);
    V_VT(&value) = VT_I4;
    V_I4(&value) = number;
}

Variant::Variant(const wchar_t* text)
{
    VariantInit(&value);
    V_VT(&value) = VT_BSTR;
    V_BSTR(&value) = SysAllocString(text);  // null on exhaustion: the callee sees an empty text
}

LONG Variant::number() const
{
    VARIANT converted;
    VariantInit(&converted);
    if (FAILED(VariantChangeType(&converted, const_cast<VARIANT*>(&value), 0, VT_I4)))
        return 0x7fffffff;
    return V_I4(&converted);  // a VT_I4 owns nothing to clear
}

std::wstring Variant::text() const
{
    VARIANT converted;
    VariantInit(&converted);
    if (FAILED(VariantChangeType(&converted, const_cast<VARIANT*>(&value), 0, VT_BSTR)))
        return L"<type " + std::to_wstring(V_VT(&value)) + L">";
    std::wstring copy(V_BSTR(&converted), SysStringLen(V_BSTR(&converted)));
    (void)VariantClear(&converted);  // frees the converted text; cannot fail for a BSTR
    return copy;
}

HRESULT invoke_by_name(IDispatch* dispatch, const wchar_t* name, WORD flags,
                       std::initializer_list<const Variant*> arguments, Variant* result)
{
    DISPID member = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &member);
    if (FAILED(hr))
        return hr;
    // Invoke takes the arguments last to first.
    std::vector<VARIANTARG> reversed;
    for (auto it = arguments.end(); it != arguments.begin();)
        reversed.push_back((*--it)->ref());
    DISPID put_id = DISPID_PROPERTYPUT;
    DISPPARAMS params = {reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    if (flags & DISPATCH_PROPERTYPUT) {
        params.rgdispidNamedArgs = &put_id;
        params.cNamedArgs = 1;
    }
    if (result)
        (void)VariantClear(result->get());  // an earlier value goes; clearing an owned variant cannot fail
    EXCEPINFO exception = {};
    UINT bad_argument = 0;
    hr = dispatch->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result ? result->get() : nullptr,
                          &exception, &bad_argument);
    // A member's failure arrives as an exception; its code is the answer.
    if (hr == DISP_E_EXCEPTION && FAILED(exception.scode))
        hr = exception.scode;
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    return hr;
}

HRESULT call_method(IDispatch* dispatch, const wchar_t* name, std::initializer_list<const Variant*> arguments,
                    Variant* result)
{
    return invoke_by_name(dispatch, name, DISPATCH_METHOD, arguments, result);
}

HRESULT get_property(IDispatch* dispatch, const wchar_t* name, Variant* result)
{
    return invoke_by_name(dispatch, name, DISPATCH_PROPERTYGET, {}, result);
}

HRESULT put_property(IDispatch* dispatch, const wchar_t* name, const Variant& value)
{
    return invoke_by_name(dispatch, name, DISPATCH_PROPERTYPUT, {&value}, nullptr);
}

// Calling a control's members by name through IDispatch, the way a script
// engine does: GetIDsOfNames for the name, then Invoke with the arguments.
#pragma once

#include <initializer_list>
#include <string>
#include <windows.h>
#include <oleauto.h>

// Owns one VARIANT.
class Variant {
public:
    Variant() { VariantInit(&value); }
    explicit Variant(int number);
    explicit Variant(const wchar_t* text);
    ~Variant() { (void)VariantClear(&value); }  // clearing an owned variant cannot fail
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;

    VARIANT* get() { return &value; }
    const VARIANT& ref() const { return value; }
    // The value as a number or as text (converted as a script would);
    // 0x7fffffff or "<type N>" when it does not convert.
    LONG number() const;
    std::wstring text() const;

private:
    VARIANT value;
};

// Invokes `name` with `flags` (DISPATCH_METHOD, _PROPERTYGET, _PROPERTYPUT)
// and the arguments in call order; the result goes to `result` if given.
HRESULT invoke_by_name(IDispatch* dispatch, const wchar_t* name, WORD flags,
                       std::initializer_list<const Variant*> arguments, Variant* result = nullptr);

HRESULT call_method(IDispatch* dispatch, const wchar_t* name,
                    std::initializer_list<const Variant*> arguments = {}, Variant* result = nullptr);
HRESULT get_property(IDispatch* dispatch, const wchar_t* name, Variant* result);
HRESULT put_property(IDispatch* dispatch, const wchar_t* name, const Variant& value);

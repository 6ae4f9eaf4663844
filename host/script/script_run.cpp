#include "script_run.h"

#include <initguid.h>  // defines the engine interfaces' ids, which the import library lacks
#include <activscp.h>

#include <cstdio>
#include <cwchar>

#include "com_ptr.h"
#include "quiet_errors.h"

namespace {

void free_texts(EXCEPINFO* info)
{
    SysFreeString(info->bstrSource);
    SysFreeString(info->bstrDescription);
    SysFreeString(info->bstrHelpFile);
}

// The engine's host side: hands out the named objects and reports errors.
class Script_Site final : public IActiveScriptSite, public IActiveScriptSiteWindow {
public:
    Script_Site(const std::vector<Named_Object>& objects, const wchar_t* name, HWND window)
        : objects(objects), name(name), window(window)
    {
    }

    bool failed() const { return error_seen; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IActiveScriptSite))
            *object = static_cast<IActiveScriptSite*>(this);
        else if (IsEqualIID(riid, IID_IActiveScriptSiteWindow))
            *object = static_cast<IActiveScriptSiteWindow*>(this);
        else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    // The site lives on the runner's stack for the whole run.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE GetLCID(LCID*) override { return E_NOTIMPL; }

    HRESULT STDMETHODCALLTYPE GetItemInfo(LPCOLESTR item, DWORD mask, IUnknown** unknown, ITypeInfo** info) override
    {
        if (info)
            *info = nullptr;
        if (unknown)
            *unknown = nullptr;
        for (const Named_Object& named : objects) {
            if (!item || _wcsicmp(item, named.name) != 0)
                continue;
            if ((mask & SCRIPTINFO_ITYPEINFO) && info)
                (void)named.object->GetTypeInfo(0, 0, info);  // an object without one has no events to offer
            if ((mask & SCRIPTINFO_IUNKNOWN) && unknown) {
                *unknown = named.object;
                named.object->AddRef();
            }
            return S_OK;
        }
        return TYPE_E_ELEMENTNOTFOUND;
    }

    HRESULT STDMETHODCALLTYPE GetDocVersionString(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnScriptTerminate(const VARIANT*, const EXCEPINFO*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnStateChange(SCRIPTSTATE) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnEnterScript() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnLeaveScript() override { return S_OK; }

    HRESULT STDMETHODCALLTYPE OnScriptError(IActiveScriptError* error) override
    {
        error_seen = true;
        EXCEPINFO info = {};
        DWORD context = 0;
        ULONG line = 0;
        LONG column = 0;
        if (!error || FAILED(error->GetExceptionInfo(&info)))
            info.scode = E_FAIL;
        if (error)
            (void)error->GetSourcePosition(&context, &line, &column);  // stays 0, 0 when unknown
        if (info.pfnDeferredFillIn)
            (void)info.pfnDeferredFillIn(&info);  // fills in the texts, or leaves them out
        fwprintf(own_errors(), L"%ls(%lu, %ld) %ls: %ls (%08lx)\n", name, line + 1, column + 1,
                 info.bstrSource ? info.bstrSource : L"script", info.bstrDescription ? info.bstrDescription : L"error",
                 static_cast<unsigned long>(info.scode ? info.scode : info.wCode));
        (void)fflush(own_errors());
        free_texts(&info);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetWindow(HWND* result) override
    {
        if (!result)
            return E_POINTER;
        *result = window;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }

private:
    std::vector<Named_Object> objects;
    const wchar_t* name;
    HWND window;
    bool error_seen = false;
};

} // namespace

bool run_script(const wchar_t* engine_prog_id, const std::wstring& text, const wchar_t* name,
                const std::vector<Named_Object>& objects, HWND window)
{
    CLSID engine_class;
    Com_Ptr<IActiveScript> engine;
    Com_Ptr<IActiveScriptParse32> parser;
    if (FAILED(CLSIDFromProgID(engine_prog_id, &engine_class)) ||
        FAILED(CoCreateInstance(engine_class, nullptr, CLSCTX_INPROC_SERVER, IID_IActiveScript,
                                reinterpret_cast<void**>(engine.put()))) ||
        FAILED(engine->QueryInterface(IID_IActiveScriptParse32, reinterpret_cast<void**>(parser.put())))) {
        fwprintf(own_errors(), L"%ls: the %ls engine is not available\n", name, engine_prog_id);
        return false;
    }
    Script_Site site(objects, name, window);
    if (FAILED(engine->SetScriptSite(&site)) || FAILED(parser->InitNew())) {
        fwprintf(own_errors(), L"%ls: the %ls engine did not start\n", name, engine_prog_id);
        return false;
    }
    for (const Named_Object& named : objects) {
        if (FAILED(engine->AddNamedItem(named.name, SCRIPTITEM_ISVISIBLE))) {
            fwprintf(own_errors(), L"%ls: the object %ls could not be given to the script\n", name, named.name);
            return false;
        }
    }
    EXCEPINFO info = {};
    const HRESULT parsed = parser->ParseScriptText(text.c_str(), nullptr, nullptr, nullptr, 0, 0,
                                                   SCRIPTTEXT_ISVISIBLE, nullptr, &info);
    free_texts(&info);  // a syntax error was reported to the site
    // Connecting runs the script's global code, on this thread.
    const HRESULT ran = SUCCEEDED(parsed) ? engine->SetScriptState(SCRIPTSTATE_CONNECTED) : parsed;
    (void)engine->Close();  // the engine lets go of the site and the objects
    return SUCCEEDED(ran) && !site.failed();
}

#include "com_fixture.h"

#include "child_process.h"

void* const poison = reinterpret_cast<void*>(0xdeadbeef);

namespace {

template <class Function>
Function export_of(HMODULE module, const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

typedef HRESULT(STDAPICALLTYPE* No_Arguments)();
typedef HRESULT(STDAPICALLTYPE* Get_Class_Object)(REFCLSID, REFIID, void**);

HRESULT call_export(HMODULE module, const char* name)
{
    No_Arguments function = module ? export_of<No_Arguments>(module, name) : nullptr;
    return function ? function() : E_NOTIMPL;
}

} // namespace

std::wstring kelm_dll_path()
{
    const std::string path = windows_path(KELM_DLL);
    return std::wstring(path.begin(), path.end());
}

Kelm_Module::Kelm_Module() : module(LoadLibraryW(kelm_dll_path().c_str())) {}

Kelm_Module::~Kelm_Module()
{
    if (module)
        FreeLibrary(module);
}

HRESULT Kelm_Module::can_unload() const
{
    return call_export(module, "DllCanUnloadNow");
}

HRESULT Kelm_Module::register_server() const
{
    return call_export(module, "DllRegisterServer");
}

HRESULT Kelm_Module::unregister_server() const
{
    return call_export(module, "DllUnregisterServer");
}

HRESULT Kelm_Module::class_object(REFCLSID clsid, REFIID riid, void** ppv) const
{
    Get_Class_Object function = module ? export_of<Get_Class_Object>(module, "DllGetClassObject") : nullptr;
    return function ? function(clsid, riid, ppv) : E_NOTIMPL;
}

HRESULT Kelm_Module::create(REFIID riid, void** ppv, IUnknown* outer) const
{
    Com_Ptr<IClassFactory> factory;
    const HRESULT hr = class_object(CLSID_kelm_ctrl, IID_IClassFactory, reinterpret_cast<void**>(factory.put()));
    if (FAILED(hr))
        return hr;
    return factory->CreateInstance(outer, riid, ppv);
}

void Com_Test::SetUp()
{
    const HRESULT hr = OleInitialize(nullptr);
    ASSERT_TRUE(SUCCEEDED(hr)) << std::hex << hr;
    ASSERT_TRUE(module.loaded()) << "error " << GetLastError();
}

void Com_Test::TearDown()
{
    OleUninitialize();
}

Canvas::Canvas()
{
    HDC screen = GetDC(nullptr);
    memory = CreateCompatibleDC(screen);
    bitmap = CreateCompatibleBitmap(screen, 200, 100);
    ReleaseDC(nullptr, screen);
    previous = SelectObject(memory, bitmap);
    RECT all = {0, 0, 200, 100};
    FillRect(memory, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
}

Canvas::~Canvas()
{
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
}

HRESULT Canvas::draw(IViewObject* view) const
{
    const RECTL bounds = {0, 0, 200, 100};
    return view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, memory, &bounds, nullptr, nullptr, 0);
}

ULONG ref_count(IUnknown* object)
{
    object->AddRef();
    return object->Release();
}

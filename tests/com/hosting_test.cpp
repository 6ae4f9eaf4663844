// The control in the standard ActiveX container (atl.dll's AtlAxWin window)
// created by its ProgID and driven by name through IDispatch: its window
// and sixteen panes in the site's window, the container's sizes reaching
// the panes, split mode and active pane, teardown on deactivation, and
// the split mode in the saved state.
#include "com_fixture.h"

#include <vector>

#include "ax_container.h"
#include "control_host.h"
#include "dispatch_call.h"
#include "dvr_sim.h"
#include "test_window.h"

namespace {

const int pane_items[16] = {233, 234, 235, 236, 237, 238, 239, 240, 241, 242, 243, 244, 250, 249, 247, 248};

LONG number_of(IDispatch* control, const wchar_t* property)
{
    Variant value;
    EXPECT_EQ(get_property(control, property, &value), S_OK) << property;
    return value.number();
}

RECT rect_in(HWND window, HWND parent)
{
    RECT rect;
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void expect_rect(const RECT& got, const RECT& expected, const char* what)
{
    EXPECT_EQ(got.left, expected.left) << what;
    EXPECT_EQ(got.top, expected.top) << what;
    EXPECT_EQ(got.right, expected.right) << what;
    EXPECT_EQ(got.bottom, expected.bottom) << what;
}

// A registered control in an AtlAxWin window of a top-level window.
class Hosting_Test : public Com_Test {
protected:
    void SetUp() override
    {
        Com_Test::SetUp();
        ASSERT_EQ(module.register_server(), S_OK);
        ASSERT_TRUE(container.ready());
        top = make_test_window(WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0, 800, 600);
        host = container.create(top, L"kelm.kelm_ctrl", {0, 0, 404, 304});
        ASSERT_NE(host, nullptr);
        *control.put() = container.control(host);
        ASSERT_TRUE(control);
        Control_Host::settle();
    }

    void TearDown() override
    {
        control.reset();
        DestroyWindow(top);
        Com_Test::TearDown();
    }

    // The control's own window, as it tells it.
    HWND control_window()
    {
        Com_Ptr<IOleWindow> window;
        HWND handle = nullptr;
        if (SUCCEEDED(control->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(window.put()))))
            (void)window->GetWindow(&handle);  // null when it has none
        return handle;
    }

    template <class Interface>
    Com_Ptr<Interface>& ask(Com_Ptr<Interface>& out, REFIID riid)
    {
        EXPECT_EQ(control->QueryInterface(riid, reinterpret_cast<void**>(out.put())), S_OK);
        return out;
    }

    Ax_Container container;
    HWND top = nullptr;
    HWND host = nullptr;
    Com_Ptr<IDispatch> control;
};

} // namespace

TEST_F(Hosting_Test, TheWindowAndItsSixteenPanesLiveInTheSitesWindow)
{
    HWND dialog = control_window();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(GetParent(dialog), host);
    expect_rect(rect_in(dialog, host), {0, 0, 404, 304}, "the site's rectangle");
    for (int item : pane_items)
        EXPECT_NE(GetDlgItem(dialog, item), nullptr) << "pane item " << item;
    EXPECT_EQ(number_of(control.get(), L"ScreenMode"), 1);
    // Active in place the window paints itself; the view adds nothing.
    Com_Ptr<IViewObject> view;
    Canvas canvas;
    ASSERT_EQ(ask(view, IID_IViewObject)->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, canvas.dc(),
                                                nullptr, nullptr, nullptr, 0),
              E_INVALIDARG) << "no bounds";
    ASSERT_EQ(canvas.draw(view.get()), S_OK);
    EXPECT_EQ(canvas.pixel(0, 50), RGB(255, 255, 255));
}

TEST_F(Hosting_Test, SizesFromTheContainerReachThePanes)
{
    HWND dialog = control_window();
    ASSERT_EQ(put_property(control.get(), L"ScreenMode", Variant(9)), S_OK);
    Variant nth(8);
    ASSERT_EQ(call_method(control.get(), L"active_nth_screen", {&nth}), S_OK);
    EXPECT_EQ(number_of(control.get(), L"ScreenMode"), 9);
    EXPECT_EQ(number_of(control.get(), L"current_screen_num"), 8);
    HWND last = GetDlgItem(dialog, pane_items[8]);
    // The container resizes its window: SetExtent and SetObjectRects follow.
    MoveWindow(host, 0, 0, 604, 454, TRUE);
    Control_Host::settle();
    expect_rect(rect_in(dialog, host), {0, 0, 604, 454}, "resized by the container");
    expect_rect(rect_in(last, dialog), {399, 299, 598, 448}, "pane 8 of a 600 by 450 view");
    // A direct call places the window and the panes follow.
    Com_Ptr<IOleInPlaceObject> in_place;
    const RECT position = {10, 20, 414, 324};
    ASSERT_EQ(ask(in_place, IID_IOleInPlaceObject)->SetObjectRects(&position, &position), S_OK);
    Control_Host::settle();
    expect_rect(rect_in(dialog, host), position, "placed by SetObjectRects");
    expect_rect(rect_in(last, dialog), {267, 199, 400, 298}, "pane 8 of a 400 by 300 view");
}

TEST_F(Hosting_Test, DeactivationTearsDownAndAnotherActivationStartsAfresh)
{
    HWND dialog = control_window();
    ASSERT_EQ(put_property(control.get(), L"ScreenMode", Variant(4)), S_OK);
    Com_Ptr<IOleInPlaceObject> in_place;
    ASSERT_EQ(ask(in_place, IID_IOleInPlaceObject)->InPlaceDeactivate(), S_OK);
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(control_window(), nullptr);
    EXPECT_EQ(number_of(control.get(), L"ScreenMode"), 0) << "no layout without a window";
    Com_Ptr<IOleObject> ole;
    Com_Ptr<IOleClientSite> site;
    ASSERT_EQ(ask(ole, IID_IOleObject)->GetClientSite(site.put()), S_OK);
    ASSERT_EQ(ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site.get(), 0, host, nullptr), S_OK);
    ASSERT_NE(control_window(), nullptr);
    EXPECT_EQ(number_of(control.get(), L"ScreenMode"), 1);
    EXPECT_EQ(number_of(control.get(), L"current_screen_num"), 0);
    // Closing the container closes the control and lets it go.
    dialog = control_window();
    site.reset();
    ole.reset();
    in_place.reset();
    DestroyWindow(host);
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(control.detach()->Release(), 0u) << "the host's reference was the last";
}

TEST_F(Hosting_Test, TheSavedStateCarriesTheSplitModeOnlyWhileThereIsAWindow)
{
    ASSERT_EQ(put_property(control.get(), L"ScreenMode", Variant(9)), S_OK);
    Com_Ptr<IPersistStreamInit> persist;
    Com_Ptr<IStream> stream;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, stream.put()), S_OK);
    ASSERT_EQ(ask(persist, IID_IPersistStreamInit)->Save(stream.get(), TRUE), S_OK);
    HGLOBAL memory = nullptr;
    ASSERT_EQ(GetHGlobalFromStream(stream.get(), &memory), S_OK);
    const BYTE* bytes = static_cast<const BYTE*>(GlobalLock(memory));
    EXPECT_EQ(bytes[12], VT_I4);
    EXPECT_EQ(bytes[14], 9) << "ScreenMode as saved";
    GlobalUnlock(memory);
    // Loaded into a control without a window, the mode has nothing to act on.
    Com_Ptr<IPersistStreamInit> unhosted;
    make(unhosted, IID_IPersistStreamInit);
    const LARGE_INTEGER start = {};
    ASSERT_EQ(stream->Seek(start, STREAM_SEEK_SET, nullptr), S_OK);
    ASSERT_EQ(unhosted->Load(stream.get()), S_OK);
    Com_Ptr<IDispatch> unhosted_dispatch;
    ASSERT_EQ(unhosted->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(unhosted_dispatch.put())), S_OK);
    EXPECT_EQ(number_of(unhosted_dispatch.get(), L"ScreenMode"), 0);
    // Loaded into the hosted control, it applies.
    ASSERT_EQ(put_property(control.get(), L"ScreenMode", Variant(1)), S_OK);
    ASSERT_EQ(stream->Seek(start, STREAM_SEEK_SET, nullptr), S_OK);
    ASSERT_EQ(persist->Load(stream.get()), S_OK);
    EXPECT_EQ(number_of(control.get(), L"ScreenMode"), 9);
}

namespace {

// One call on each interface a host can reach, made through the raw pointer
// by a thread other than the control's.
SIZEL extent;
RECT everywhere = {0, 0, 400, 300};
#define FOREIGN(Interface, call) {&IID_##Interface, [](void* f) { return static_cast<Interface*>(f)->call; }}
const struct {
    const IID* iid;
    HRESULT (*call)(void* face);
} foreign_calls[] = {
    FOREIGN(Ikelm_ctrl, put_ScreenMode(4)),
    FOREIGN(IDispatch, GetTypeInfoCount(nullptr)),
    FOREIGN(IOleObject, GetExtent(DVASPECT_CONTENT, &extent)),
    FOREIGN(IOleInPlaceObject, SetObjectRects(&everywhere, &everywhere)),
    FOREIGN(IOleInPlaceObjectWindowless, OnWindowMessage(WM_NULL, 0, 0, nullptr)),
    FOREIGN(IOleWindow, ContextSensitiveHelp(FALSE)),
    FOREIGN(IOleInPlaceActiveObject, EnableModeless(TRUE)),
    FOREIGN(IOleControl, FreezeEvents(FALSE)),
    FOREIGN(IViewObjectEx, GetViewStatus(nullptr)),
    FOREIGN(IViewObject2, GetExtent(DVASPECT_CONTENT, -1, nullptr, &extent)),
    FOREIGN(IViewObject, Unfreeze(0)),
    FOREIGN(IPersistStreamInit, IsDirty()),
    FOREIGN(IPersist, GetClassID(nullptr)),
    FOREIGN(IPersistStorage, HandsOffStorage()),
    FOREIGN(IDataObject, QueryGetData(nullptr)),
    FOREIGN(IProvideClassInfo, GetClassInfo(nullptr)),
    FOREIGN(IProvideClassInfo2, GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, nullptr)),
    FOREIGN(IQuickActivate, GetContentExtent(&extent)),
    FOREIGN(ISpecifyPropertyPages, GetPages(nullptr)),
    FOREIGN(ISupportErrorInfo, InterfaceSupportsErrorInfo(IID_IDispatch)),
};
#undef FOREIGN
const size_t foreign_count = sizeof foreign_calls / sizeof foreign_calls[0];
HRESULT foreign_results[foreign_count];

DWORD WINAPI call_from_foreign_thread(void* parameter)
{
    IUnknown* control = static_cast<IUnknown*>(parameter);
    for (size_t i = 0; i < foreign_count; ++i) {
        Com_Ptr<IUnknown> face;
        HRESULT& hr = foreign_results[i];
        hr = control->QueryInterface(*foreign_calls[i].iid, reinterpret_cast<void**>(face.put()));
        if (SUCCEEDED(hr))
            hr = foreign_calls[i].call(face.get());
    }
    return 0;
}

} // namespace

TEST_F(Hosting_Test, CallsFromAnotherThreadAreRefusedAtOnce)
{
    HANDLE thread = CreateThread(nullptr, 0, call_from_foreign_thread, control.get(), 0, nullptr);
    ASSERT_NE(thread, nullptr);
    // The owner waits without handling messages: a call that needs them hangs.
    EXPECT_EQ(WaitForSingleObject(thread, 5000), WAIT_OBJECT_0) << "the calls hung";
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0)
        Control_Host::pump();
    CloseHandle(thread);
    for (size_t i = 0; i < foreign_count; ++i)
        EXPECT_EQ(foreign_results[i], RPC_E_WRONG_THREAD) << "call " << i;
}

namespace {

DWORD WINAPI release_from_foreign_thread(void* object)
{
    return static_cast<IUnknown*>(object)->Release();
}

} // namespace

// A host that lets its last reference go on another thread: the window,
// its panes and their streams end on the control's own thread, and nothing
// of the control runs after it is freed.
TEST_F(Hosting_Test, TheLastReleaseOnAnotherThreadEndsTheControlOnItsOwnThread)
{
    Dvr_Sim sim(Dvr_Sim::number_for("com.foreign-release"));
    ASSERT_TRUE(sim.running());
    Com_Ptr<IOleObject> ole;
    Com_Ptr<IOleObject> hosted;
    Com_Ptr<IOleClientSite> site;
    ASSERT_EQ(ask(hosted, IID_IOleObject)->GetClientSite(site.put()), S_OK);
    ASSERT_EQ(make(ole, IID_IOleObject)->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site.get(), 0, top, nullptr), S_OK);
    Com_Ptr<IDispatch> loose;
    ASSERT_EQ(ole->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(loose.put())), S_OK);
    const std::wstring address(sim.address().begin(), sim.address().end());
    const Variant server(address.c_str());
    const Variant channel(1);
    ASSERT_EQ(call_method(loose.get(), L"open_channel", {&server, &channel}), S_OK);
    Com_Ptr<IOleWindow> window;
    HWND dialog = nullptr;
    ASSERT_EQ(ole->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(window.put())), S_OK);
    ASSERT_EQ(window->GetWindow(&dialog), S_OK);
    window.reset();
    loose.reset();
    Control_Host::settle();
    ASSERT_GT(sim.stream_count("frames-sent"), 0u);

    HANDLE thread = CreateThread(nullptr, 0, release_from_foreign_thread, ole.detach(), 0, nullptr);
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);
    DWORD left = 1;
    EXPECT_TRUE(GetExitCodeThread(thread, &left) && left == 0) << "that was the last reference";
    CloseHandle(thread);
    // The control's thread ends it as soon as it handles its messages; its
    // watch timer, had the window outlived the object, would call into freed
    // memory here.
    for (int round = 0; round < 50 && IsWindow(dialog); ++round) {
        Control_Host::pump();
        Sleep(20);
    }
    EXPECT_FALSE(IsWindow(dialog));
    Control_Host::settle();
    const unsigned frames = sim.stream_count("frames-sent");
    Sleep(500);
    EXPECT_EQ(sim.stream_count("frames-sent"), frames) << "the stream ended with the control";
}

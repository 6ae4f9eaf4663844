// The control object from a host's side: the module's entry points, the
// interfaces it answers, aggregation, unloading, what it says about its
// class, its size and its picture outside in-place activation.
#include "com_fixture.h"

#include <ocidl.h>
#include <objsafe.h>
#include <olectl.h>

namespace {

// The interfaces the control answers (its twenty, its sound and its wall), and some
// it must refuse.
const IID* const answered[] = {
    &IID_Ikelm_ctrl, &IID_IDispatch, &IID_IViewObjectEx, &IID_IViewObject2, &IID_IViewObject,
    &IID_IOleInPlaceObjectWindowless, &IID_IOleInPlaceObject, &IID_IOleWindow, &IID_IOleInPlaceActiveObject,
    &IID_IOleControl, &IID_IOleObject, &IID_IPersistStreamInit, &IID_IPersist, &IID_ISupportErrorInfo,
    &IID_ISpecifyPropertyPages, &IID_IQuickActivate, &IID_IPersistStorage, &IID_IDataObject,
    &IID_IProvideClassInfo, &IID_IProvideClassInfo2, &IID_Ikelm_sound, &IID_Ikelm_wall,
};
const IID* const refused[] = {
    &IID_IConnectionPointContainer, &IID_IPersistPropertyBag, &IID_IObjectSafety, &IID_IRunnableObject,
    &IID_IOleLink, &IID_IClassFactory, &IID_IPersistStream, &IID_IOleInPlaceSite,
};

// An outer object that counts its references and answers only IUnknown:
// enough to see where the inner object's calls go.
struct Outer : IUnknown {
    LONG refs = 1;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        *ppv = IsEqualIID(riid, IID_IUnknown) ? this : nullptr;
        if (!*ppv)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }
};

} // namespace

TEST_F(Com_Test, ClassObjectOnlyForTheControlsClass)
{
    void* out = poison;
    EXPECT_EQ(module.class_object(IID_IUnknown, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(module.class_object(CLSID_kelm_ctrl, IID_IClassFactory, nullptr), E_POINTER);
    out = poison;
    EXPECT_EQ(module.class_object(CLSID_kelm_ctrl, IID_IDispatch, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
}

TEST_F(Com_Test, AnswersItsTwentyInterfacesWithOneIdentity)
{
    Com_Ptr<IUnknown> control;
    make(control, IID_IUnknown);
    for (const IID* iid : answered) {
        Com_Ptr<IUnknown> face, identity;
        ASSERT_EQ(control->QueryInterface(*iid, reinterpret_cast<void**>(face.put())), S_OK);
        ASSERT_EQ(face->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(identity.put())), S_OK);
        EXPECT_EQ(identity.get(), control.get()) << "identity lost behind an interface";
    }
    for (const IID* iid : refused) {
        void* out = poison;
        EXPECT_EQ(control->QueryInterface(*iid, &out), E_NOINTERFACE);
        EXPECT_EQ(out, nullptr);
    }
    EXPECT_EQ(ref_count(control.get()), 1u);
    EXPECT_EQ(control.detach()->Release(), 0u);
}

TEST_F(Com_Test, AggregatedTheOuterObjectAnswersForEveryInterface)
{
    Outer outer;
    void* out = poison;
    EXPECT_EQ(module.create(IID_IDispatch, &out, &outer), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(out, nullptr);
    IUnknown* inner = nullptr;
    ASSERT_EQ(module.create(IID_IUnknown, reinterpret_cast<void**>(&inner), &outer), S_OK);
    IOleObject* ole = nullptr;
    ASSERT_EQ(inner->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&ole)), S_OK);
    EXPECT_EQ(outer.refs, 2) << "the inner object's interfaces count on the outer object";
    IUnknown* identity = nullptr;
    ASSERT_EQ(ole->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
    EXPECT_EQ(identity, &outer) << "the controlling unknown is the outer object";
    identity->Release();
    void* out_of_reach = poison;
    EXPECT_EQ(ole->QueryInterface(IID_IDispatch, &out_of_reach), E_NOINTERFACE) << "the outer object decides";
    EXPECT_EQ(out_of_reach, nullptr);
    ole->Release();
    EXPECT_EQ(outer.refs, 1);
    EXPECT_EQ(inner->Release(), 0u);
}

TEST_F(Com_Test, UnloadsOnlyWithoutObjectsOrFactoryLocks)
{
    EXPECT_EQ(module.can_unload(), S_OK);
    Com_Ptr<IUnknown> control;
    make(control, IID_IUnknown);
    EXPECT_EQ(module.can_unload(), S_FALSE) << "a control is alive";
    control.reset();
    EXPECT_EQ(module.can_unload(), S_OK);
    Com_Ptr<IClassFactory> factory;
    ASSERT_EQ(module.class_object(CLSID_kelm_ctrl, IID_IClassFactory, reinterpret_cast<void**>(factory.put())), S_OK);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    factory.reset();
    EXPECT_EQ(module.can_unload(), S_FALSE) << "the server is locked";
    ASSERT_EQ(module.class_object(CLSID_kelm_ctrl, IID_IClassFactory, reinterpret_cast<void**>(factory.put())), S_OK);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    factory.reset();
    EXPECT_EQ(module.can_unload(), S_OK);
}

TEST_F(Com_Test, DescribesItsClassWithoutEventsErrorInfoOrForeignPages)
{
    Com_Ptr<IProvideClassInfo2> info;
    make(info, IID_IProvideClassInfo2);
    Com_Ptr<ITypeInfo> class_info;
    ASSERT_EQ(info->GetClassInfo(class_info.put()), S_OK);
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(class_info->GetTypeAttr(&attributes), S_OK);
    EXPECT_EQ(attributes->typekind, TKIND_COCLASS);
    EXPECT_TRUE(IsEqualGUID(attributes->guid, CLSID_kelm_ctrl));
    class_info->ReleaseTypeAttr(attributes);
    GUID source = CLSID_kelm_ctrl;
    EXPECT_EQ(info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source), E_FAIL);
    EXPECT_TRUE(IsEqualGUID(source, GUID_NULL));

    Com_Ptr<ISupportErrorInfo> errors;
    ASSERT_EQ(info->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void**>(errors.put())), S_OK);
    EXPECT_EQ(errors->InterfaceSupportsErrorInfo(IID_Ikelm_ctrl), S_FALSE);

    Com_Ptr<ISpecifyPropertyPages> pages;
    ASSERT_EQ(info->QueryInterface(IID_ISpecifyPropertyPages, reinterpret_cast<void**>(pages.put())), S_OK);
    CAUUID list = {};
    ASSERT_EQ(pages->GetPages(&list), S_OK);
    ASSERT_EQ(list.cElems, 1u);
    EXPECT_TRUE(IsEqualGUID(list.pElems[0], CLSID_kelm_ctrl));
    CoTaskMemFree(list.pElems);
}

TEST_F(Com_Test, StartsAt645By485PixelsAndTellsContainersItsStatus)
{
    Com_Ptr<IOleObject> ole;
    make(ole, IID_IOleObject);
    SIZEL extent = {};
    ASSERT_EQ(ole->GetExtent(DVASPECT_CONTENT, &extent), S_OK);
    EXPECT_EQ(extent.cx, 17066) << "645 pixels at 96 per inch, in HIMETRIC";
    EXPECT_EQ(extent.cy, 12832) << "485 pixels";
    EXPECT_EQ(ole->GetExtent(DVASPECT_ICON, &extent), DV_E_DVASPECT);
    DWORD status = 0;
    ASSERT_EQ(ole->GetMiscStatus(DVASPECT_CONTENT, &status), S_OK);
    EXPECT_EQ(status, 131473u);
    Com_Ptr<IQuickActivate> quick;
    ASSERT_EQ(ole->QueryInterface(IID_IQuickActivate, reinterpret_cast<void**>(quick.put())), S_OK);
    QACONTAINER container = {};
    QACONTROL control = {};
    container.cbSize = sizeof container;
    control.cbSize = sizeof control;
    ASSERT_EQ(quick->QuickActivate(&container, &control), S_OK);
    EXPECT_EQ(control.dwMiscStatus, 131473u);
    EXPECT_EQ(control.dwViewStatus, static_cast<DWORD>(VIEWSTATUS_SOLIDBKGND | VIEWSTATUS_OPAQUE));
    EXPECT_EQ(control.dwEventCookie, 0u) << "no events";
    EXPECT_EQ(ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, nullptr, 0, nullptr, nullptr), E_UNEXPECTED)
        << "no client site to activate in";
}

TEST_F(Com_Test, DrawsTheStandardPictureOutsideInPlaceActivation)
{
    Com_Ptr<IViewObject2> view;
    make(view, IID_IViewObject2);
    Canvas canvas;
    ASSERT_EQ(canvas.draw(reinterpret_cast<IViewObject*>(view.get())), S_OK);
    EXPECT_EQ(canvas.pixel(0, 50), RGB(0, 0, 0)) << "the border";
    EXPECT_EQ(canvas.pixel(5, 5), RGB(128, 128, 128)) << "the grey inside";
    int caption = 0;
    for (int x = 20; x < 180; ++x)
        caption += canvas.pixel(x, 50) == RGB(0, 0, 0);
    EXPECT_GT(caption, 10) << "the caption runs through the middle";
    const RECTL bounds = {0, 0, 200, 100};
    EXPECT_EQ(view->Draw(DVASPECT_ICON, -1, nullptr, nullptr, nullptr, canvas.dc(), &bounds, nullptr, nullptr, 0),
              DV_E_DVASPECT);
}

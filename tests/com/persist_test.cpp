// The saved state: the same 18 bytes through IPersistStreamInit and in the
// "Contents" stream of IPersistStorage, refused when it is newer, foreign
// or short, and the dirty flag around it.
#include "com_fixture.h"

#include <vector>

namespace {

typedef std::vector<BYTE> Bytes;

// Version 0x0710, extent 1000 by 2000 HIMETRIC, ScreenMode VT_I4 0 (no
// window, so no split mode to report).
const Bytes saved = {0x10, 0x07, 0x00, 0x00, 0xe8, 0x03, 0x00, 0x00, 0xd0, 0x07,
                     0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00};

Com_Ptr<IStream> stream_of(const Bytes& bytes)
{
    Com_Ptr<IStream> stream;
    EXPECT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, stream.put()), S_OK);
    ULONG written = 0;
    EXPECT_EQ(stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written), S_OK);
    const LARGE_INTEGER start = {};
    EXPECT_EQ(stream->Seek(start, STREAM_SEEK_SET, nullptr), S_OK);
    return stream;
}

Bytes contents(IStream* stream)
{
    const LARGE_INTEGER start = {};
    EXPECT_EQ(stream->Seek(start, STREAM_SEEK_SET, nullptr), S_OK);
    Bytes bytes(64);
    ULONG read = 0;
    EXPECT_TRUE(SUCCEEDED(stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read)));
    bytes.resize(read);
    return bytes;
}

Com_Ptr<IStorage> memory_storage()
{
    Com_Ptr<ILockBytes> bytes;
    EXPECT_EQ(CreateILockBytesOnHGlobal(nullptr, TRUE, bytes.put()), S_OK);
    Com_Ptr<IStorage> storage;
    EXPECT_EQ(StgCreateDocfileOnILockBytes(bytes.get(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0,
                                           storage.put()),
              S_OK);
    return storage;
}

SIZEL extent_of(IUnknown* control)
{
    Com_Ptr<IOleObject> ole;
    EXPECT_EQ(control->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(ole.put())), S_OK);
    SIZEL extent = {-1, -1};
    EXPECT_EQ(ole->GetExtent(DVASPECT_CONTENT, &extent), S_OK);
    return extent;
}

} // namespace

TEST_F(Com_Test, StreamRoundTripWritesTheEighteenBytes)
{
    Com_Ptr<IPersistStreamInit> source, copy;
    make(source, IID_IPersistStreamInit);
    ASSERT_EQ(source->Load(stream_of(saved).get()), S_OK);
    EXPECT_EQ(source->IsDirty(), S_FALSE);
    ULARGE_INTEGER size = {};
    EXPECT_EQ(source->GetSizeMax(&size), S_OK);
    EXPECT_EQ(size.QuadPart, 18u);
    Com_Ptr<IStream> stream = stream_of({});
    ASSERT_EQ(source->Save(stream.get(), TRUE), S_OK);
    EXPECT_EQ(contents(stream.get()), saved);
    make(copy, IID_IPersistStreamInit);
    ASSERT_EQ(copy->Load(stream_of(saved).get()), S_OK);
    EXPECT_EQ(extent_of(copy.get()).cx, 1000);
    EXPECT_EQ(extent_of(copy.get()).cy, 2000);
}

TEST_F(Com_Test, StorageKeepsTheSameBytesInContents)
{
    Com_Ptr<IPersistStorage> source, copy;
    make(source, IID_IPersistStorage);
    Com_Ptr<IPersistStreamInit> loader;
    ASSERT_EQ(source->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(loader.put())), S_OK);
    ASSERT_EQ(loader->Load(stream_of(saved).get()), S_OK);
    Com_Ptr<IStorage> storage = memory_storage();
    ASSERT_EQ(source->Save(storage.get(), TRUE), S_OK);
    EXPECT_EQ(source->SaveCompleted(nullptr), S_OK);
    Com_Ptr<IStream> stream;
    ASSERT_EQ(storage->OpenStream(L"Contents", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, stream.put()), S_OK);
    EXPECT_EQ(contents(stream.get()), saved);
    stream.reset();
    make(copy, IID_IPersistStorage);
    ASSERT_EQ(copy->Load(storage.get()), S_OK);
    EXPECT_EQ(extent_of(copy.get()).cx, 1000);
}

TEST_F(Com_Test, ANewerForeignOrShortStateIsRefusedAndChangesNothing)
{
    Com_Ptr<IPersistStreamInit> control;
    make(control, IID_IPersistStreamInit);
    const SIZEL before = extent_of(control.get());
    Bytes newer = saved, foreign = saved, short_state(saved.begin(), saved.begin() + 10);
    newer[0] = 0x11;   // version 0x0711
    foreign[12] = 8;   // VT_BSTR
    EXPECT_EQ(control->Load(stream_of(newer).get()), E_FAIL);
    EXPECT_EQ(control->Load(stream_of(foreign).get()), E_FAIL);
    EXPECT_EQ(control->Load(stream_of(short_state).get()), STG_E_READFAULT);
    EXPECT_EQ(extent_of(control.get()).cx, before.cx);
    EXPECT_EQ(control->Load(nullptr), E_POINTER);
}

TEST_F(Com_Test, DirtyFromInitNewOrResizeUntilSaved)
{
    Com_Ptr<IPersistStreamInit> control;
    make(control, IID_IPersistStreamInit);
    EXPECT_EQ(control->IsDirty(), S_FALSE);
    EXPECT_EQ(control->InitNew(), S_OK);
    EXPECT_EQ(control->IsDirty(), S_OK) << "a new control was never saved";
    Com_Ptr<IStream> stream = stream_of({});
    EXPECT_EQ(control->Save(stream.get(), FALSE), S_OK);
    EXPECT_EQ(control->IsDirty(), S_OK) << "kept dirty when asked to";
    EXPECT_EQ(control->Save(stream.get(), TRUE), S_OK);
    EXPECT_EQ(control->IsDirty(), S_FALSE);
    Com_Ptr<IOleObject> ole;
    ASSERT_EQ(control->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(ole.put())), S_OK);
    SIZEL extent = {3000, 4000};
    EXPECT_EQ(ole->SetExtent(DVASPECT_CONTENT, &extent), S_OK);
    EXPECT_EQ(control->IsDirty(), S_OK);
}

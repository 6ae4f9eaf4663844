#include "screenshot.h"

#include <wincodec.h>

#include "com_ptr.h"

namespace {

// The window's screen area as a top-down 32-bit bitmap.
HBITMAP capture_window(HWND window)
{
    RECT rect;
    if (!GetWindowRect(window, &rect))
        return nullptr;
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    HDC screen = GetDC(nullptr);
    if (!screen)
        return nullptr;
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = memory ? CreateCompatibleBitmap(screen, width, height) : nullptr;
    if (bitmap) {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        const BOOL copied = BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
        SelectObject(memory, previous);
        if (!copied) {
            DeleteObject(bitmap);
            bitmap = nullptr;
        }
    }
    if (memory)
        DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

HRESULT encode_png(IWICImagingFactory* factory, IWICBitmapSource* source, const wchar_t* path)
{
    Com_Ptr<IWICStream> stream;
    HRESULT hr = factory->CreateStream(stream.put());
    if (FAILED(hr))
        return hr;
    if (FAILED(hr = stream->InitializeFromFilename(path, GENERIC_WRITE)))
        return hr;
    Com_Ptr<IWICBitmapEncoder> encoder;
    if (FAILED(hr = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.put())))
        return hr;
    if (FAILED(hr = encoder->Initialize(stream.get(), WICBitmapEncoderNoCache)))
        return hr;
    Com_Ptr<IWICBitmapFrameEncode> frame;
    if (FAILED(hr = encoder->CreateNewFrame(frame.put(), nullptr)))
        return hr;
    if (FAILED(hr = frame->Initialize(nullptr)))
        return hr;
    if (FAILED(hr = frame->WriteSource(source, nullptr)))
        return hr;
    if (FAILED(hr = frame->Commit()))
        return hr;
    return encoder->Commit();
}

} // namespace

HRESULT save_window_png(HWND window, const wchar_t* path)
{
    HBITMAP bitmap = capture_window(window);
    if (!bitmap)
        return HRESULT_FROM_WIN32(GetLastError() ? GetLastError() : ERROR_INVALID_WINDOW_HANDLE);
    Com_Ptr<IWICImagingFactory> factory;
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IWICImagingFactory, reinterpret_cast<void**>(factory.put()));
    Com_Ptr<IWICBitmap> source;
    if (SUCCEEDED(hr))
        hr = factory->CreateBitmapFromHBITMAP(bitmap, nullptr, WICBitmapIgnoreAlpha, source.put());
    if (SUCCEEDED(hr))
        hr = encode_png(factory.get(), source.get(), path);
    DeleteObject(bitmap);
    return hr;
}

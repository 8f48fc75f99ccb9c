#include <wincodec.h>

#include <algorithm>
#include <initializer_list>

#include "tests/harness/picture.h"
#include "tests/harness/window_driver.h"

namespace talvern {
namespace e2e {

Picture Capture(const RECT& area) {
  Picture picture;
  picture.area = area;
  picture.width = area.right - area.left;
  picture.height = area.bottom - area.top;
  picture.pixels.resize(static_cast<std::size_t>(picture.width) * picture.height);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = picture.width;
  info.bmiHeader.biHeight = -picture.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, picture.width, picture.height, screen, area.left, area.top, SRCCOPY);
  GdiFlush();
  std::copy_n(static_cast<const DWORD*>(bits), picture.pixels.size(), picture.pixels.begin());
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return picture;
}

Picture CaptureWindow(HWND window) {
  BringToFront(window);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
  Sleep(500);
  RECT frame;
  GetWindowRect(window, &frame);
  return Capture(frame);
}

bool SavePng(const Picture& picture, const std::wstring& path, std::string* error) {
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  IWICImagingFactory* factory = nullptr;
  IWICBitmap* bitmap = nullptr;
  IWICStream* stream = nullptr;
  IWICBitmapEncoder* encoder = nullptr;
  IWICBitmapFrameEncode* frame = nullptr;
  HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, reinterpret_cast<void**>(&factory));
  if (SUCCEEDED(hr)) {
    hr = factory->CreateBitmapFromMemory(
        picture.width, picture.height, GUID_WICPixelFormat32bppBGR, picture.width * 4,
        static_cast<UINT>(picture.pixels.size() * 4),
        reinterpret_cast<BYTE*>(const_cast<DWORD*>(picture.pixels.data())), &bitmap);
  }
  if (SUCCEEDED(hr)) hr = factory->CreateStream(&stream);
  if (SUCCEEDED(hr)) hr = stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE);
  if (SUCCEEDED(hr)) hr = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder);
  if (SUCCEEDED(hr)) hr = encoder->Initialize(stream, WICBitmapEncoderNoCache);
  if (SUCCEEDED(hr)) hr = encoder->CreateNewFrame(&frame, nullptr);
  if (SUCCEEDED(hr)) hr = frame->Initialize(nullptr);
  if (SUCCEEDED(hr)) hr = frame->WriteSource(bitmap, nullptr);
  if (SUCCEEDED(hr)) hr = frame->Commit();
  if (SUCCEEDED(hr)) hr = encoder->Commit();
  for (IUnknown* object :
       std::initializer_list<IUnknown*>{frame, encoder, stream, bitmap, factory}) {
    if (object) object->Release();
  }
  if (SUCCEEDED(com)) CoUninitialize();
  if (FAILED(hr)) *error = "PNG encoding failed: hr " + std::to_string(static_cast<long>(hr));
  return SUCCEEDED(hr);
}

}  // namespace e2e
}  // namespace talvern

// Windows print themselves (WM_ERASEBKGND, WM_PRINTCLIENT) into a memory bitmap, children after
// their parent from the bottom of the Z order up, so that a hidden display still gives a picture.
#include "window_snapshot.h"

#include <wincodec.h>

#include <vector>

namespace {

// Each window prints at its own origin into a bitmap of its own (controls clip to their client
// rectangle in device units, which a shifted origin would misplace), which is then copied in.
void printOne(HWND window, HWND root, HDC target) {
    POINT origin = {0, 0};
    MapWindowPoints(window, root, &origin, 1);
    RECT client;
    GetClientRect(window, &client);
    if (client.right <= 0 || client.bottom <= 0)
        return;
    HDC dc = CreateCompatibleDC(target);
    HBITMAP bitmap = CreateCompatibleBitmap(target, client.right, client.bottom);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    BitBlt(dc, 0, 0, client.right, client.bottom, target, origin.x, origin.y, SRCCOPY);
    SendMessageW(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    BitBlt(target, origin.x, origin.y, client.right, client.bottom, dc, 0, 0, SRCCOPY);
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
    // A one-pixel frame stands in for the non-client border of bordered controls.
    bool bordered = (GetWindowLongPtrW(window, GWL_STYLE) & WS_BORDER) ||
                    (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    if (window != root && bordered) {
        RECT frame;
        GetWindowRect(window, &frame);
        MapWindowPoints(nullptr, root, reinterpret_cast<POINT*>(&frame), 2);
        FrameRect(target, &frame, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
}

void printTree(HWND window, HWND root, HDC dc) {
    if (!IsWindowVisible(window))
        return;
    printOne(window, root, dc);
    HWND child = GetWindow(window, GW_CHILD);
    if (!child)
        return;
    for (child = GetWindow(child, GW_HWNDLAST); child; child = GetWindow(child, GW_HWNDPREV))
        printTree(child, root, dc);
}

bool encodePng(const std::vector<BYTE>& pixels, int width, int height, const WCHAR* path) {
    IWICImagingFactory* factory = nullptr;
    IWICStream* stream = nullptr;
    IWICBitmapEncoder* encoder = nullptr;
    IWICBitmapFrameEncode* frame = nullptr;
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGR;
    bool ok = SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                         IID_PPV_ARGS(&factory))) &&
              SUCCEEDED(factory->CreateStream(&stream)) &&
              SUCCEEDED(stream->InitializeFromFilename(path, GENERIC_WRITE)) &&
              SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder)) &&
              SUCCEEDED(encoder->Initialize(stream, WICBitmapEncoderNoCache)) &&
              SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr)) &&
              SUCCEEDED(frame->Initialize(nullptr)) && SUCCEEDED(frame->SetSize(width, height)) &&
              SUCCEEDED(frame->SetPixelFormat(&format)) &&
              SUCCEEDED(frame->WritePixels(height, width * 4, static_cast<UINT>(pixels.size()),
                                           const_cast<BYTE*>(pixels.data()))) &&
              SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
    if (frame)
        frame->Release();
    if (encoder)
        encoder->Release();
    if (stream)
        stream->Release();
    if (factory)
        factory->Release();
    return ok;
}

} // namespace

BITMAPINFO pixelBitmapInfo(int width, int height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down, as PNG rows are
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    return info;
}

HBITMAP createPixelBitmap(HDC dc, int width, int height, void** bits) {
    BITMAPINFO info = pixelBitmapInfo(width, height);
    return CreateDIBSection(dc, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

bool captureWindow(HWND window, std::vector<BYTE>* pixels, int* width, int* height) {
    RECT client;
    GetClientRect(window, &client);
    *width = client.right;
    *height = client.bottom;
    if (*width <= 0 || *height <= 0)
        return false;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = createPixelBitmap(dc, *width, *height, &bits);
    if (!bitmap) {
        DeleteDC(dc);
        return false;
    }
    HGDIOBJ previous = SelectObject(dc, bitmap);
    // What the windows last painted on screen comes first: windows that do not print
    // themselves on request (WM_PRINTCLIENT) keep that picture.
    HDC screen = GetDC(window);
    BitBlt(dc, 0, 0, *width, *height, screen, 0, 0, SRCCOPY);
    ReleaseDC(window, screen);
    printTree(window, window, dc);
    GdiFlush();
    const BYTE* first = static_cast<const BYTE*>(bits);
    pixels->assign(first, first + static_cast<size_t>(*width) * *height * 4);
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return true;
}

bool savePixelsAsPng(const std::vector<BYTE>& pixels, int width, int height, const WCHAR* path) {
    HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    bool saved = encodePng(pixels, width, height, path);
    if (SUCCEEDED(com))
        CoUninitialize();
    return saved;
}

bool saveWindowSnapshot(HWND window, const WCHAR* path) {
    std::vector<BYTE> pixels;
    int width = 0, height = 0;
    return captureWindow(window, &pixels, &width, &height) &&
           savePixelsAsPng(pixels, width, height, path);
}

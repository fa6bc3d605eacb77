#include "layout_gallery.h"
#include "today_screen.h"
#include "window_snapshot.h"
#include <device.h>

#include <cstdio>
#include <cwchar>
#include <vector>

namespace {

const WCHAR kSettingsKey[] = L"Software\\Orvane\\Daybrook";
const int kLayoutCount = 14;
const int kColumns = 4;
const int kGap = 8;
const int kLabelHeight = 20;

struct Tile {
    std::vector<BYTE> pixels; // BGRX rows of the item's row on the Today screen
    int width = 0;
    int height = 0;
};

// The stored layout, to be put back: absent, or its value.
struct StoredLayout {
    bool present = false;
    DWORD value = 0;
};

StoredLayout readStoredLayout() {
    StoredLayout stored;
    DWORD size = sizeof stored.value;
    stored.present = RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, L"Painter", RRF_RT_REG_DWORD,
                                  nullptr, &stored.value, &size) == ERROR_SUCCESS;
    return stored;
}

bool writeLayout(DWORD layout) {
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return false;
    LONG status =
        RegSetValueExW(key, L"Painter", 0, REG_DWORD, reinterpret_cast<BYTE*>(&layout), 4);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

void restoreLayout(const StoredLayout& stored) {
    if (stored.present) {
        writeLayout(stored.value);
        return;
    }
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        RegDeleteValueW(key, L"Painter");
        RegCloseKey(key);
    }
}

// Runs the Today screen until the item's height has settled (its list is built).
void settle(TodayScreen& screen) {
    UINT previous = 0;
    int steady = 0;
    for (int round = 0; round < 40 && steady < 3; ++round) {
        screen.Run(100, 50);
        UINT height = screen.item().record.cyp;
        steady = height == previous && height > 0 ? steady + 1 : 0;
        previous = height;
    }
    UpdateWindow(screen.window());
}

// The outcome of one hosting of the item: whether it was shown, and the height a screen needs
// to show all of it.
struct Capture {
    bool shown = false;
    int neededHeight = 0;
};

Capture captureOnce(const WCHAR* itemLibrary, Tile* tile) {
    Capture capture;
    TodayScreen screen;
    if (!screen.Create() || !screen.LoadItem(itemLibrary, L"Daybrook")) {
        screen.Destroy();
        return capture;
    }
    settle(screen);
    std::vector<BYTE> pixels;
    int width = 0, height = 0;
    bool captured = captureWindow(screen.window(), &pixels, &width, &height);
    const HostedItem& item = screen.item();
    int top = item.top;
    int rows = item.height;
    screen.Destroy();
    if (!captured || rows <= 0)
        return capture;
    capture.shown = true;
    capture.neededHeight = top + rows;
    if (top + rows > height)
        return capture;
    size_t stride = static_cast<size_t>(width) * 4;
    tile->pixels.assign(pixels.begin() + top * stride, pixels.begin() + (top + rows) * stride);
    tile->width = width;
    tile->height = rows;
    return capture;
}

// An item taller than the screen is shown again on a screen just tall enough for all of it: the
// item draws no further than the screen reaches.
bool captureLayout(const WCHAR* itemLibrary, DWORD layout, Tile* tile) {
    if (!writeLayout(layout))
        return false;
    tile->height = 0;
    Capture capture = captureOnce(itemLibrary, tile);
    if (capture.shown && tile->height == 0) {
        DeviceSetScreenHeight(capture.neededHeight);
        captureOnce(itemLibrary, tile);
        DeviceSetScreenHeight(0);
    }
    return tile->height > 0;
}

// Lays the tiles out in a grid under their labels, on a white sheet.
bool composeGallery(const std::vector<Tile>& tiles, const WCHAR* path) {
    int tileWidth = tiles[0].width;
    int tileHeight = 0;
    for (const Tile& tile : tiles)
        tileHeight = tile.height > tileHeight ? tile.height : tileHeight;
    int rows = (static_cast<int>(tiles.size()) + kColumns - 1) / kColumns;
    int width = kGap + kColumns * (tileWidth + kGap);
    int height = kGap + rows * (kLabelHeight + tileHeight + kGap);

    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = createPixelBitmap(dc, width, height, &bits);
    if (!bitmap) {
        DeleteDC(dc);
        return false;
    }
    HGDIOBJ previousBitmap = SelectObject(dc, bitmap);
    RECT sheet = {0, 0, width, height};
    FillRect(dc, &sheet, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    HFONT font =
        CreateFontW(-13, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
    HGDIOBJ previousFont = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    for (size_t index = 0; index < tiles.size(); ++index) {
        const Tile& tile = tiles[index];
        int x = kGap + static_cast<int>(index % kColumns) * (tileWidth + kGap);
        int y = kGap + static_cast<int>(index / kColumns) * (kLabelHeight + tileHeight + kGap);
        WCHAR label[32];
        swprintf(label, 32, L"Layout %u", static_cast<unsigned>(index));
        RECT labelRect = {x, y, x + tileWidth, y + kLabelHeight};
        DrawTextW(dc, label, -1, &labelRect, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        BITMAPINFO tileInfo = pixelBitmapInfo(tile.width, tile.height);
        SetDIBitsToDevice(dc, x, y + kLabelHeight, tile.width, tile.height, 0, 0, 0, tile.height,
                          tile.pixels.data(), &tileInfo, DIB_RGB_COLORS);
        RECT frame = {x - 1, y + kLabelHeight - 1, x + tile.width + 1,
                      y + kLabelHeight + tileHeight + 1};
        FrameRect(dc, &frame, static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)));
    }
    SelectObject(dc, previousFont);
    DeleteObject(font);
    GdiFlush();
    const BYTE* first = static_cast<const BYTE*>(bits);
    std::vector<BYTE> pixels(first, first + static_cast<size_t>(width) * height * 4);
    SelectObject(dc, previousBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return savePixelsAsPng(pixels, width, height, path);
}

} // namespace

bool renderLayoutGallery(const WCHAR* itemLibrary, const WCHAR* path) {
    StoredLayout stored = readStoredLayout();
    std::vector<Tile> tiles(kLayoutCount);
    bool captured = true;
    for (DWORD layout = 0; layout < kLayoutCount && captured; ++layout) {
        captured = captureLayout(itemLibrary, layout, &tiles[layout]);
        if (!captured)
            std::fwprintf(stderr, L"today: layout %lu could not be shown\n", layout);
    }
    restoreLayout(stored);
    return captured && composeGallery(tiles, path);
}

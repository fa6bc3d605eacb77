#include "render_test_support.h"
#include "test_support.h"
#include "host/host_state.h"
#include "host/resource_module.h"
#include "render/drawing_caches.h"
#include "render/fonts.h"
#include "render/markers.h"
#include "render/text_drawing.h"
#include "settings/options.h"

#include <device.h>
#include <todaycmn.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);

namespace render_testing {

namespace {

// Replaces every slot of this program's import table that holds target; returns target.
void* patchImport(void* target, void* replacement) {
    auto base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    auto dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto headers = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    auto library = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
    for (; library->Name; ++library) {
        auto slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + library->FirstThunk);
        for (; slot->u1.Function; ++slot) {
            if (reinterpret_cast<void*>(slot->u1.Function) != target)
                continue;
            DWORD protection;
            VirtualProtect(&slot->u1.Function, sizeof(void*), PAGE_READWRITE, &protection);
            slot->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
            VirtualProtect(&slot->u1.Function, sizeof(void*), protection, &protection);
        }
    }
    return target;
}

template <typename Function> Function original(const char* library, const char* name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(library), name)));
}

template <typename Function> void patch(Function real, Function replacement) {
    patchImport(reinterpret_cast<void*>(real), reinterpret_cast<void*>(replacement));
}

DrawTextRecorder* gRecorder = nullptr;
GdiTracker* gTracker = nullptr;

const wchar_t kParentClass[] = L"RenderTestToday";
const wchar_t kItemClass[] = L"RenderTestItem";

class LibraryEnvironment : public testing::Environment {
public:
    void SetUp() override {
        DllMain(GetModuleHandleW(nullptr), DLL_PROCESS_ATTACH, nullptr);
        DeviceEnter();
        // Icons and strings come from the library's own resources.
        library_ = LoadLibraryW(
            testing_support::joinPath(testing_support::programFolder(), L"daybrook.dll").c_str());
        gHost.moduleInstance = library_;
        setIconModule(library_);
    }
    void TearDown() override {
        resetResourceModule();
        FreeLibrary(library_);
        DllMain(GetModuleHandleW(nullptr), DLL_PROCESS_DETACH, nullptr);
    }

private:
    HMODULE library_ = nullptr;
};

testing::Environment* const gEnvironment =
    testing::AddGlobalTestEnvironment(new LibraryEnvironment);

} // namespace

Canvas::Canvas(int width, int height, COLORREF background)
    : dc_(CreateCompatibleDC(nullptr)), bits_(nullptr), width_(width), height_(height),
      background_(background) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<DWORD*>(bits);
    previous_ = SelectObject(dc_, bitmap_);
    HBRUSH brush = CreateSolidBrush(background);
    RECT all = {0, 0, width, height};
    FillRect(dc_, &all, brush);
    DeleteObject(brush);
}

Canvas::~Canvas() {
    SelectObject(dc_, previous_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
}

COLORREF Canvas::pixel(int x, int y) const {
    GdiFlush();
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return CLR_INVALID;
    DWORD value = bits_[y * width_ + x];
    return RGB((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
}

int Canvas::inkIn(int left, int top, int right, int bottom) const {
    int ink = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            ink += pixel(x, y) != background_;
    return ink;
}

RECT Canvas::inkBounds(const RECT& region) const {
    RECT bounds = {region.right, region.bottom, region.left, region.top};
    for (int y = region.top; y < region.bottom; ++y)
        for (int x = region.left; x < region.right; ++x)
            if (pixel(x, y) != background_) {
                bounds.left = x < bounds.left ? x : bounds.left;
                bounds.top = y < bounds.top ? y : bounds.top;
                bounds.right = x + 1 > bounds.right ? x + 1 : bounds.right;
                bounds.bottom = y + 1 > bounds.bottom ? y + 1 : bounds.bottom;
            }
    return bounds.left < bounds.right ? bounds : RECT{0, 0, 0, 0};
}

bool Canvas::sameAs(const Canvas& other) const {
    GdiFlush();
    return width_ == other.width_ && height_ == other.height_ &&
           memcmp(bits_, other.bits_, sizeof(DWORD) * width_ * height_) == 0;
}

bool Canvas::sameAs(const Canvas& other, const RECT& region) const {
    for (int y = region.top; y < region.bottom; ++y)
        for (int x = region.left; x < region.right; ++x)
            if (pixel(x, y) != other.pixel(x, y))
                return false;
    return true;
}

TodayScreen::TodayScreen(int width, int height, int top) : watermarkRect_() {
    WNDCLASSW parentClass = {};
    parentClass.lpfnWndProc = ParentProc;
    parentClass.hInstance = GetModuleHandleW(nullptr);
    parentClass.lpszClassName = kParentClass;
    RegisterClassW(&parentClass);
    WNDCLASSW itemClass = parentClass;
    itemClass.lpfnWndProc = DefWindowProcW;
    itemClass.lpszClassName = kItemClass;
    RegisterClassW(&itemClass);
    DeviceScreen screen = DeviceGetScreen();
    parent_ = CreateWindowExW(0, kParentClass, L"Today", WS_POPUP | WS_VISIBLE, 0, 0, screen.width,
                              screen.height, nullptr, nullptr, GetModuleHandleW(nullptr), this);
    item_ = CreateWindowExW(0, kItemClass, L"", WS_CHILD | WS_VISIBLE, 0, top, width, height,
                            parent_, nullptr, GetModuleHandleW(nullptr), nullptr);
}

TodayScreen::~TodayScreen() {
    DestroyWindow(parent_);
}

int TodayScreen::messages(UINT message) const {
    int count = 0;
    for (UINT received : messages_)
        count += received == message;
    return count;
}

LRESULT CALLBACK TodayScreen::ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE)
        SetWindowLongPtrW(
            window, GWLP_USERDATA,
            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    auto self = reinterpret_cast<TodayScreen*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self)
        self->messages_.push_back(message);
    switch (message) {
    case TODAYM_GETCOLOR:
        switch (wParam) {
        case TODAYCOLOR_TEXT: return kText;
        case TODAYCOLOR_HIGHLIGHT: return kHighlight;
        case TODAYCOLOR_HIGHLIGHTEDTEXT: return kHighlightedText;
        case 0x10000006: return kHeadingRule;
        default: return RGB(255, 0, 255);
        }
    case TODAYM_DRAWWATERMARK: {
        auto info = reinterpret_cast<TODAYDRAWWATERMARKINFO*>(lParam);
        HBRUSH brush = CreateSolidBrush(kWatermark);
        FillRect(info->hdc, &info->rc, brush);
        DeleteObject(brush);
        if (self)
            self->watermarkRect_ = info->rc;
        return TRUE;
    }
    default: return DefWindowProcW(window, message, wParam, lParam);
    }
}

// The item's code calls through this program's import table; these stand in from the first
// recorder or tracker on and pass straight through while nothing records.
template <int Id, typename Handle, typename... Args> struct CreationHook {
    static Handle(WINAPI* real)(Args...);
    static const char* name;
    static Handle WINAPI hook(Args... args) {
        Handle handle = real(args...);
        if (gTracker && handle)
            gTracker->noteCreated(handle, name);
        return handle;
    }
};
template <int Id, typename Handle, typename... Args>
Handle(WINAPI* CreationHook<Id, Handle, Args...>::real)(Args...);
template <int Id, typename Handle, typename... Args>
const char* CreationHook<Id, Handle, Args...>::name;

template <int Id, typename Handle> struct DeletionHook {
    static BOOL(WINAPI* real)(Handle);
    static BOOL WINAPI hook(Handle handle) {
        BOOL deleted = real(handle);
        if (gTracker && deleted)
            gTracker->noteDeleted(handle);
        return deleted;
    }
};
template <int Id, typename Handle> BOOL(WINAPI* DeletionHook<Id, Handle>::real)(Handle);

template <int Id, typename Handle, typename... Args>
void trackCreation(Handle(WINAPI* real)(Args...), const char* name) {
    CreationHook<Id, Handle, Args...>::real = real;
    CreationHook<Id, Handle, Args...>::name = name;
    patch(real, &CreationHook<Id, Handle, Args...>::hook);
}

template <int Id, typename Handle> void trackDeletion(BOOL(WINAPI* real)(Handle)) {
    DeletionHook<Id, Handle>::real = real;
    patch(real, &DeletionHook<Id, Handle>::hook);
}

decltype(&DrawTextW) gRealDrawText = nullptr;
decltype(&SelectObject) gRealSelectObject = nullptr;

void installHooks() {
    if (gRealDrawText)
        return;
    gRealDrawText = original<decltype(&DrawTextW)>("user32", "DrawTextW");
    patch(gRealDrawText, &DrawTextRecorder::Record);
    gRealSelectObject = original<decltype(&SelectObject)>("gdi32", "SelectObject");
    patch(gRealSelectObject, &DrawTextRecorder::RecordSelection);
    trackCreation<0>(original<decltype(&CreateFontIndirectW)>("gdi32", "CreateFontIndirectW"),
                     "CreateFontIndirectW");
    trackCreation<1>(original<decltype(&CreateSolidBrush)>("gdi32", "CreateSolidBrush"),
                     "CreateSolidBrush");
    trackCreation<2>(original<decltype(&CreatePen)>("gdi32", "CreatePen"), "CreatePen");
    trackCreation<3>(original<decltype(&CreateCompatibleBitmap)>("gdi32", "CreateCompatibleBitmap"),
                     "CreateCompatibleBitmap");
    trackCreation<4>(original<decltype(&CreateBitmap)>("gdi32", "CreateBitmap"), "CreateBitmap");
    trackCreation<5>(original<decltype(&CreateCompatibleDC)>("gdi32", "CreateCompatibleDC"),
                     "CreateCompatibleDC");
    trackDeletion<6>(original<decltype(&DeleteObject)>("gdi32", "DeleteObject"));
    trackDeletion<7>(original<decltype(&DeleteDC)>("gdi32", "DeleteDC"));
}

DrawTextRecorder::DrawTextRecorder() : measurements_(0), fontSelections_(0) {
    installHooks();
    gRecorder = this;
}

DrawTextRecorder::~DrawTextRecorder() {
    gRecorder = nullptr;
}

int WINAPI DrawTextRecorder::Record(HDC dc, LPCWSTR text, int count, RECT* rect, UINT flags) {
    RECT before = *rect;
    int result = gRealDrawText(dc, text, count, rect, flags);
    if (gRecorder && (flags & DT_CALCRECT))
        ++gRecorder->measurements_;
    else if (gRecorder)
        gRecorder->drawn_.push_back(
            DrawnText{count < 0 ? std::wstring(text) : std::wstring(text, count), before, flags,
                      static_cast<HFONT>(GetCurrentObject(dc, OBJ_FONT)), result});
    return result;
}

HGDIOBJ WINAPI DrawTextRecorder::RecordSelection(HDC dc, HGDIOBJ object) {
    if (gRecorder && GetObjectType(object) == OBJ_FONT)
        ++gRecorder->fontSelections_;
    return gRealSelectObject(dc, object);
}

GdiTracker::GdiTracker() {
    installHooks();
    gTracker = this;
}

GdiTracker::~GdiTracker() {
    gTracker = nullptr;
}

void GdiTracker::noteCreated(HANDLE handle, const char* function) {
    live_.insert(handle);
    creations_.push_back(function);
}

void GdiTracker::noteDeleted(HANDLE handle) {
    live_.erase(handle);
}

int GdiTracker::created(const char* function) const {
    int count = 0;
    for (const std::string& name : creations_)
        count += name == function;
    return count;
}

void RenderTest::SetUp() {
    savedOptions_ = gOptions;
    gOptions.Painter = 0;
    gOptions.WordWrap = FALSE;
    useScreen(false);
    useRightToLeft(false);
}

void RenderTest::TearDown() {
    releaseMarkerCache();
    releaseDrawingCaches();
    gOptions = savedOptions_;
    useScreen(false);
    useRightToLeft(false);
}

void RenderTest::useScreen(bool vga) {
    DeviceSetScreen(vga ? DeviceScreenVga : DeviceScreenQvga, FALSE);
    DeviceScreen screen = DeviceGetScreen();
    gHost.smallIconSize = 0;
    gHost.screenWidth = screen.width;
    gHost.screenHeight = screen.height;
    // Fonts and icons were made for the old dpi and icon size.
    releaseMarkerCache();
    releaseDrawingCaches();
    gFontCache = FontCache();
}

void RenderTest::useRightToLeft(bool rightToLeft) {
    DeviceSetLocale(rightToLeft ? 0x040D : 0x0409, rightToLeft ? 0x000D : 0x0409);
    gHost.rtlKnown = false;
}

AppointmentItem* makeAppointment(const wchar_t* subject, const wchar_t* location, double startHour,
                                 double endHour, AppointmentItem* previous) {
    AppointmentItem* item = new AppointmentItem(previous);
    item->line.subject = subject ? SysAllocString(subject) : nullptr;
    item->line.location = location ? SysAllocString(location) : nullptr;
    item->line.shownStart = startHour ? kDay + startHour / 24 : 0;
    item->line.shownEnd = endHour ? kDay + endHour / 24 : 0;
    item->start = startHour ? item->line.shownStart : kDay - 1;
    item->end = endHour ? item->line.shownEnd : kDay + 2;
    formatTime(item->line.shownStart, item->line.startText, 40);
    formatTime(item->line.shownEnd, item->line.endText, 40);
    return item;
}

} // namespace render_testing

// What the item needs around it while it is measured: the emulated device, a Today screen window
// that answers colours and paints a watermark, the item's own window in it, and a canvas that
// stands for the screen a WM_PAINT draws on.
#pragma once
#include <windows.h>
#include <todaycmn.h>

#include <string>

namespace bench {

// The item's code attached as the loader attaches the library; the device set to the benchmark's
// moment (fixed clock), a QVGA screen, US English and Central European time.
void enterDevice();
void leaveDevice();

// A file of the benchmark in a fresh temporary folder, removed with the folder.
class CalendarFolder {
public:
    CalendarFolder();
    ~CalendarFolder();
    std::wstring write(const wchar_t* name, const std::string& text) const;

private:
    std::wstring path_;
};

// The Today screen's window, the size of the device's screen.
class TodayWindow {
public:
    TodayWindow();
    ~TodayWindow();
    HWND hwnd() const { return window_; }
    // A plain child as wide as the screen, standing for the item window while lists are built.
    HWND makeChild(int height);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND window_ = nullptr;
};

// A bitmap compatible with the screen, selected into a memory DC compatible with the screen.
class Canvas {
public:
    Canvas(int width, int height);
    ~Canvas();
    HDC dc() const { return dc_; }

private:
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
};

// A window's DC for as long as the object lives.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDc() {
        if (dc_)
            ReleaseDC(window_, dc_);
    }
    HDC dc() const { return dc_; }

private:
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HWND window_;
    HDC dc_;
};

// The real item started as the Today screen starts it (export 240) in a TodayWindow.
class LiveItem {
public:
    explicit LiveItem(HWND parent);
    ~LiveItem();
    HWND hwnd() const { return window_; }
    TODAYLISTITEM& record() { return record_; }
    // Clears the cache and polls until the loader's new list is shown; false after 30 s.
    bool rebuild();
    // Polls until a query finds nothing to do.
    bool settle();
    // Waits until the loader has a list ready, looking every millisecond; false after 30 s.
    bool waitForList();
    // What the Today screen does with a list ready: takes it with a query, gives the window the
    // height asked for and has it painted at once.
    bool showList();

private:
    bool pollUntilIdle();
    TODAYLISTITEM record_ = {};
    HWND window_ = nullptr;
};

} // namespace bench

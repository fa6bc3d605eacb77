#include "item_host.h"

LRESULT CALLBACK ItemWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DESTROY: {
        LRESULT result = DefWindowProcW(window, message, wParam, lParam);
        shutdownItem();
        return result;
    }
    default: return DefWindowProcW(window, message, wParam, lParam);
    }
}

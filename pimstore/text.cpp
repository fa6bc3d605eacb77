#include "text.h"

#include <windows.h>

namespace pimstore {

std::wstring wideFromUtf8(const std::string& utf8) {
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(length), L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &text[0],
                            length);
    return text;
}

std::string utf8FromUtf16(const std::u16string& text) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, wideOf(text), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(length), '\0');
    if (length > 0)
        WideCharToMultiByte(CP_UTF8, 0, wideOf(text), static_cast<int>(text.size()), &utf8[0],
                            length, nullptr, nullptr);
    return utf8;
}

// Windows' wchar_t is UTF-16 too.
const wchar_t* wideOf(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

int compareIgnoringCase(const std::u16string& a, const std::u16string& b) {
    return CompareStringOrdinal(wideOf(a), static_cast<int>(a.size()), wideOf(b),
                                static_cast<int>(b.size()), TRUE) -
           CSTR_EQUAL;
}

} // namespace pimstore

// Text between the core's UTF-8 and UTF-16 and Windows' wide strings.
#pragma once

#include <string>

namespace pimstore {

std::wstring wideFromUtf8(const std::string& utf8);
std::string utf8FromUtf16(const std::u16string& text);
const wchar_t* wideOf(const std::u16string& text);
// Negative, zero or positive, as the device's lists order text: case does not count.
int compareIgnoringCase(const std::u16string& a, const std::u16string& b);

} // namespace pimstore

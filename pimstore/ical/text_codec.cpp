#include "text_codec.h"

#include <cstdint>

namespace daybrook::ical {

namespace {

// Length of the UTF-8 sequence at the start of bytes, 0 when it is malformed: overlong forms,
// surrogates and code points above U+10FFFF are rejected, as a strict decoder must.
size_t utf8SequenceLength(std::string_view bytes, char32_t& codePoint) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    }
    size_t length = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        codePoint = lead & 0x1F;
        minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        codePoint = lead & 0x0F;
        minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        codePoint = lead & 0x07;
        minimum = 0x10000;
    } else {
        return 0;
    }
    if (bytes.size() < length)
        return 0;
    for (size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return 0;
        codePoint = (codePoint << 6) | (byte(i) & 0x3F);
    }
    if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return 0;
    return length;
}

void appendUtf16(std::u16string& out, char32_t codePoint) {
    if (codePoint < 0x10000) {
        out += static_cast<char16_t>(codePoint);
        return;
    }
    codePoint -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (codePoint >> 10));
    out += static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF));
}

} // namespace

bool isValidUtf8(std::string_view bytes) {
    while (!bytes.empty()) {
        char32_t codePoint = 0;
        const size_t length = utf8SequenceLength(bytes, codePoint);
        if (length == 0)
            return false;
        bytes.remove_prefix(length);
    }
    return true;
}

std::u16string utf16FromUtf8(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    while (!utf8.empty()) {
        char32_t codePoint = 0;
        size_t length = utf8SequenceLength(utf8, codePoint);
        if (length == 0) {
            codePoint = 0xFFFD; // unreachable for checked input; keeps going for unchecked
            length = 1;
        }
        appendUtf16(out, codePoint);
        utf8.remove_prefix(length);
    }
    return out;
}

std::u16string utf16FromLatin1(std::string_view latin1) {
    std::u16string out;
    out.reserve(latin1.size());
    for (char c : latin1)
        out += static_cast<char16_t>(static_cast<unsigned char>(c));
    return out;
}

std::string unescapeText(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c != '\\' || i + 1 == value.size()) {
            out += c;
            continue;
        }
        const char next = value[i + 1];
        if (next == 'n' || next == 'N') {
            out += '\n';
        } else if (next == ',' || next == ';' || next == '\\') {
            out += next;
        } else {
            out += c;
            continue; // the next character is copied as itself
        }
        ++i;
    }
    return out;
}

} // namespace daybrook::ical

#define CEDEVICE_BUILD
#include "dialog_templates.h"
#include "device.h"

#include <cstddef>

namespace {

const WORD kOrdinalMarker = 0xFFFF;
const WORD kExtendedSignature = 0xFFFF;
const size_t kPlainHeaderBytes = 18;    // style, extended style, count, x, y, cx, cy
const size_t kExtendedHeaderBytes = 26; // version, signature, help id, ex style, style, ...
const size_t kNotFound = static_cast<size_t>(-1);
const int kDialogFontPoints = 8;

WORD wordAt(const BYTE* data, size_t offset) {
    WORD value;
    CopyMemory(&value, data + offset, sizeof value);
    return value;
}

// The offset after a menu, class or title field (empty, ordinal or string), or kNotFound when
// the field runs past the template.
size_t skipName(const BYTE* data, size_t size, size_t offset) {
    if (offset + sizeof(WORD) > size)
        return kNotFound;
    WORD first = wordAt(data, offset);
    if (first == kOrdinalMarker)
        return offset + 2 * sizeof(WORD) <= size ? offset + 2 * sizeof(WORD) : kNotFound;
    for (; offset + sizeof(WORD) <= size; offset += sizeof(WORD))
        if (wordAt(data, offset) == 0)
            return offset + sizeof(WORD);
    return kNotFound;
}

// Where the template's point size lies, or kNotFound without a font.
size_t pointSizeOffset(const BYTE* data, size_t size) {
    if (size < kExtendedHeaderBytes)
        return kNotFound;
    bool extended = wordAt(data, 0) == 1 && wordAt(data, 2) == kExtendedSignature;
    DWORD style;
    CopyMemory(&style, data + (extended ? 12 : 0), sizeof style);
    if (!(style & DS_SETFONT))
        return kNotFound;
    size_t offset = extended ? kExtendedHeaderBytes : kPlainHeaderBytes;
    for (int field = 0; field < 3 && offset != kNotFound; ++field)
        offset = skipName(data, size, offset);
    if (offset == kNotFound || offset + sizeof(WORD) > size)
        return kNotFound;
    return offset;
}

std::vector<BYTE> loadScaledTemplate(HINSTANCE instance, LPCWSTR name, int dpi) {
    HRSRC resource = FindResourceW(instance, name, reinterpret_cast<LPCWSTR>(RT_DIALOG));
    HGLOBAL loaded = resource ? LoadResource(instance, resource) : nullptr;
    const BYTE* data = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    if (!data)
        return {};
    return scaleTemplateFont(data, SizeofResource(instance, resource), dpi);
}

// The fields a page record must hold for its template to be replaced.
const DWORD kPageBytesNeeded =
    offsetof(PROPSHEETPAGEW, pszTemplate) + sizeof(PROPSHEETPAGEW::pszTemplate);

} // namespace

std::vector<BYTE> scaleTemplateFont(const BYTE* data, size_t size, int dpi) {
    size_t offset = data ? pointSizeOffset(data, size) : kNotFound;
    if (offset == kNotFound)
        return {};
    std::vector<BYTE> copy(data, data + size);
    WORD points = static_cast<WORD>(MulDiv(wordAt(data, offset), dpi, 96));
    CopyMemory(copy.data() + offset, &points, sizeof points);
    return copy;
}

bool DevicePageTemplates::scale(PROPSHEETHEADERW* header, int dpi) {
    if (dpi == 96 || !(header->dwFlags & PSH_PROPSHEETPAGE) || !header->ppsp)
        return false;
    const BYTE* first = reinterpret_cast<const BYTE*>(header->ppsp);
    size_t total = 0;
    for (UINT index = 0; index < header->nPages; ++index) {
        DWORD recordSize = reinterpret_cast<const PROPSHEETPAGEW*>(first + total)->dwSize;
        if (recordSize < kPageBytesNeeded)
            return false;
        total += recordSize;
    }
    records_.assign(first, first + total);
    templates_.clear();
    templates_.reserve(header->nPages);
    for (size_t offset = 0; offset < total;) {
        PROPSHEETPAGEW* page = reinterpret_cast<PROPSHEETPAGEW*>(records_.data() + offset);
        offset += page->dwSize;
        if (page->dwFlags & PSP_DLGINDIRECT)
            continue; // a template in memory keeps its own font
        templates_.push_back(loadScaledTemplate(page->hInstance, page->pszTemplate, dpi));
        if (templates_.back().empty())
            continue;
        page->pResource = reinterpret_cast<LPCDLGTEMPLATEW>(templates_.back().data());
        page->dwFlags |= PSP_DLGINDIRECT;
    }
    header->ppsp = reinterpret_cast<LPCPROPSHEETPAGEW>(records_.data());
    return true;
}

HFONT deviceDialogFont() {
    // One font per resolution the device can have, made once and kept while the device runs.
    static HFONT fonts[2] = {};
    int dpi = DeviceGetScreen().dpi;
    HFONT* font = &fonts[dpi > 96 ? 1 : 0];
    if (!*font)
        *font = CreateFontW(-MulDiv(kDialogFontPoints, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE,
                            FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                            DEFAULT_QUALITY, DEFAULT_PITCH, L"Tahoma");
    return *font;
}

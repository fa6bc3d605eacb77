// Moving a page's controls to the places another template gives them, when the device turns.
// The template is read as the bytes it is: every field is checked against the template's size,
// and a template that ends early or contradicts itself moves nothing.
#include "option_pages.h"
#include "../host/host_state.h"

#include <new>

namespace {

const WORD kOrdinalMarker = 0xFFFF;
const WORD kExtendedSignature = 0xFFFF;
const WORD kButtonClass = 0x0080;
const WORD kStaticClass = 0x0082;
const WORD kListBoxClass = 0x0083;
const WORD kComboBoxClass = 0x0085;
const WORD kUnnamedControlId = 0xFFFF;
// A control takes at least its fixed fields: style, extended style, position, size and id.
const size_t kFixedControlBytes = 18;

// A menu, class or title field: empty, a resource ordinal, or a string.
struct TemplateName {
    bool isOrdinal = false;
    WORD ordinal = 0;
};

struct TemplateControl {
    DWORD style;
    short x, y, cx, cy;
    WORD id;
    TemplateName className;
    TemplateName text;
};

class TemplateReader {
public:
    TemplateReader(const void* data, size_t size)
        : data_(static_cast<const BYTE*>(data)), size_(data ? size : 0) {}

    bool failed() const { return failed_; }
    size_t remaining() const { return size_ - offset_; }

    WORD word() {
        WORD value = 0;
        read(&value, sizeof value);
        return value;
    }
    DWORD dword() {
        DWORD value = 0;
        read(&value, sizeof value);
        return value;
    }
    short coordinate() { return static_cast<short>(word()); }

    // 0 alone is empty, 0xFFFF is followed by an ordinal, anything else starts a string that
    // must end within the template.
    TemplateName name() {
        TemplateName result;
        WORD first = word();
        if (first == kOrdinalMarker) {
            result.isOrdinal = true;
            result.ordinal = word();
            return result;
        }
        while (first != 0 && !failed_)
            first = word();
        return result;
    }

    void skip(size_t bytes) {
        if (bytes > size_ - offset_) {
            failed_ = true;
            return;
        }
        offset_ += bytes;
    }
    // Controls start on 32-bit boundaries of the template.
    void alignToDword() { skip((4 - offset_ % 4) % 4); }

private:
    void read(void* value, size_t bytes) {
        if (failed_ || bytes > size_ - offset_) {
            failed_ = true;
            return;
        }
        CopyMemory(value, data_ + offset_, bytes);
        offset_ += bytes;
    }

    const BYTE* data_;
    size_t size_;
    size_t offset_ = 0;
    bool failed_ = false;
};

// The creation data's first word counts the bytes of the data, itself included.
void skipCreationData(TemplateReader* reader) {
    WORD bytes = reader->word();
    if (bytes > sizeof(WORD))
        reader->skip(bytes - sizeof(WORD));
}

TemplateControl readControl(TemplateReader* reader) {
    TemplateControl control = {};
    reader->alignToDword();
    control.style = reader->dword();
    reader->dword(); // extended style
    control.x = reader->coordinate();
    control.y = reader->coordinate();
    control.cx = reader->coordinate();
    control.cy = reader->coordinate();
    control.id = reader->word();
    control.className = reader->name();
    control.text = reader->name();
    skipCreationData(reader);
    return control;
}

// The controls a template describes, owned.
struct ControlList {
    ControlList() = default;
    ControlList(const ControlList&) = delete;
    ControlList& operator=(const ControlList&) = delete;
    ~ControlList() { delete[] controls; }
    TemplateControl* controls = nullptr;
    int count = 0;
};

// Reads the whole template first, so that a damaged one is refused before anything moves. A count
// the remaining bytes cannot hold is refused before anything is allocated; without memory for the
// controls nothing moves either.
bool readTemplate(const void* data, size_t size, ControlList* list) {
    TemplateReader reader(data, size);
    DWORD style = reader.dword();
    // DLGTEMPLATEEX starts with version 1 and the signature 0xFFFF; the pages never use it.
    if (HIWORD(style) == kExtendedSignature && LOWORD(style) == 1)
        return false;
    reader.dword(); // extended style
    WORD count = reader.word();
    reader.skip(4 * sizeof(short)); // position and size of the dialog itself
    reader.name();                  // menu
    reader.name();                  // class
    reader.name();                  // title
    if (style & DS_SETFONT) {
        reader.word(); // point size
        reader.name(); // face name
    }
    if (reader.failed() || count > reader.remaining() / kFixedControlBytes)
        return false;
    if (count == 0)
        return true;
    list->controls = new (std::nothrow) TemplateControl[count];
    if (!list->controls)
        return false;
    for (WORD i = 0; i < count && !reader.failed(); ++i)
        list->controls[list->count++] = readControl(&reader);
    return !reader.failed();
}

// How a control of the template shows an image from the library: its type and the message that
// sets it. False for a control without one.
bool imageKindOf(const TemplateControl& control, UINT* type, UINT* setMessage) {
    if (!control.text.isOrdinal)
        return false;
    if (control.className.ordinal == kStaticClass) {
        *setMessage = STM_SETIMAGE;
        if (control.style & 0x3)
            *type = IMAGE_ICON;
        else if (control.style & 0xE)
            *type = IMAGE_BITMAP;
        else
            return false;
        return true;
    }
    if (control.className.ordinal == kButtonClass) {
        *setMessage = BM_SETIMAGE;
        if (control.style & BS_ICON)
            *type = IMAGE_ICON;
        else if (control.style & BS_BITMAP)
            *type = IMAGE_BITMAP;
        else
            return false;
        return true;
    }
    return false;
}

// A static or button showing an image from the library gets it again, since a move may lose it
// on the device; the image it replaces is destroyed.
void reloadImage(HWND window, const TemplateControl& control) {
    UINT type, setMessage;
    if (!imageKindOf(control, &type, &setMessage))
        return;
    HANDLE image = LoadImageW(gHost.moduleInstance, MAKEINTRESOURCEW(control.text.ordinal), type, 0,
                              0, LR_DEFAULTCOLOR);
    if (!image)
        return;
    HANDLE old = reinterpret_cast<HANDLE>(
        SendMessageW(window, setMessage, type, reinterpret_cast<LPARAM>(image)));
    if (!old || old == image)
        return;
    if (type == IMAGE_ICON)
        DestroyIcon(static_cast<HICON>(old));
    else
        DeleteObject(old);
}

void reselect(HWND window, UINT getSelection, UINT setSelection) {
    LRESULT selection = SendMessageW(window, getSelection, 0, 0);
    if (selection != -1)
        SendMessageW(window, setSelection, static_cast<WPARAM>(selection), 0);
}

void restoreAfterMove(HWND window, const TemplateControl& control) {
    if (!control.className.isOrdinal)
        return;
    switch (control.className.ordinal) {
    case kStaticClass:
    case kButtonClass: reloadImage(window, control); break;
    case kListBoxClass: reselect(window, LB_GETCURSEL, LB_SETCURSEL); break;
    case kComboBoxClass: reselect(window, CB_GETCURSEL, CB_SETCURSEL); break;
    }
}

HDWP queueMove(HDWP batch, HWND page, HWND window, const TemplateControl& control) {
    RECT rect = {control.x, control.y, control.x + control.cx, control.y + control.cy};
    MapDialogRect(page, &rect);
    return DeferWindowPos(batch, window, nullptr, rect.left, rect.top, rect.right - rect.left,
                          rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

int countUnnamed(const ControlList& list) {
    int count = 0;
    for (int i = 0; i < list.count; ++i)
        if (list.controls[i].id == kUnnamedControlId)
            ++count;
    return count;
}

} // namespace

int relayoutPageFromTemplate(HWND page, const void* dialogTemplate, size_t size) {
    ControlList list;
    if (!readTemplate(dialogTemplate, size, &list))
        return 0;
    HDWP batch = BeginDeferWindowPos(list.count);
    for (int i = 0; i < list.count; ++i) {
        const TemplateControl& control = list.controls[i];
        // A control the page lacks (or does not have yet: WM_SIZE also arrives while the page is
        // being created) is left out rather than spoiling the batch.
        HWND window = GetDlgItem(page, control.id);
        if (!window || !batch)
            continue;
        batch = queueMove(batch, page, window, control);
        restoreAfterMove(window, control);
    }
    if (batch)
        EndDeferWindowPos(batch);
    return countUnnamed(list) >= 2 ? 0 : 1;
}

int relayoutPage(HWND page, int templateId) {
    HRSRC resource = FindResourceW(gHost.moduleInstance, MAKEINTRESOURCEW(templateId),
                                   reinterpret_cast<LPCWSTR>(RT_DIALOG));
    HGLOBAL loaded = resource ? LoadResource(gHost.moduleInstance, resource) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data)
        return 0;
    return relayoutPageFromTemplate(page, data, SizeofResource(gHost.moduleInstance, resource));
}

// The pages' dialog templates as the dialog manager builds them, the re-layout that reads those
// templates byte by byte (also damaged ones), and the text-size steps.
#include "options_fixture.h"

#include "options/layout_preview.h"
#include "options/option_pages.h"
#include "resources/options_ids.h"
#include "resources/resource_ids.h"

#include <cmath>
#include <string>
#include <vector>

namespace {

struct ExpectedControl {
    int id;
    const wchar_t* className;
    DWORD style;
    const wchar_t* text;
    int x, y, cx, cy;
};

const DWORD kText = 0x50020000;
const DWORD kCheck = 0x50010003;
const DWORD kRadio = 0x50000009;
const DWORD kSwatch = 0x50830000;
const wchar_t kTitle[] = L"Today : Daybrook Options";
// The dialog manager turns a border into a client edge, and a combo box hands its scroll bar to
// its list; every other style bit stays as the template has it.
const DWORD kStyleChecked = ~static_cast<DWORD>(WS_BORDER | WS_VSCROLL);

const ExpectedControl kDisplayPortrait[] = {
    {1013, L"Static", kText, kTitle, 4, 3, 151, 10},
    {1037, L"Static", kText, L"Display the next", 4, 16, 151, 11},
    {1001, L"ComboBox", 0x50210003, L"", 11, 30, 24, 54},
    {1002, L"ComboBox", 0x50210103, L"", 40, 30, 115, 54},
    {1038, L"Static", kText, L"Include", 4, 46, 151, 8},
    {1005, L"Button", kCheck, L"All day events", 11, 58, 144, 10},
    {1015, L"Button", kCheck, L"Days without events", 11, 69, 144, 10},
    {1016, L"Button", kCheck, L"Completed events", 11, 80, 144, 10},
    {1027, L"Static", kText, L"Appointment markers", 4, 93, 151, 9},
    {1034, L"Static", kSwatch, L"", 11, 105, 10, 8},
    {1045, L"Static", kText, L"Free", 25, 105, 130, 9},
    {1035, L"Static", kSwatch, L"", 11, 115, 10, 8},
    {1044, L"Static", kText, L"Tentative", 25, 115, 130, 9},
    {1036, L"Static", kSwatch, L"", 11, 125, 10, 8},
    {1043, L"Static", kText, L"Conflict", 25, 125, 130, 13},
};

const ExpectedControl kDisplayLandscape[] = {
    {1013, L"Static", kText, kTitle, 4, 3, 206, 10},
    {1037, L"Static", kText, L"Display the next", 4, 16, 206, 11},
    {1001, L"ComboBox", 0x50210003, L"", 11, 30, 24, 54},
    {1002, L"ComboBox", 0x50210103, L"", 40, 30, 170, 54},
    {1038, L"Static", kText, L"Include", 4, 49, 95, 8},
    {1005, L"Button", kCheck, L"All day events", 11, 58, 117, 10},
    {1015, L"Button", kCheck, L"Days without events", 11, 69, 117, 10},
    {1016, L"Button", kCheck, L"Completed events", 11, 80, 117, 10},
    {1027, L"Static", kText, L"Appointment markers", 116, 49, 94, 9},
    {1034, L"Static", kSwatch, L"", 133, 60, 10, 8},
    {1045, L"Static", kText, L"Free", 148, 60, 62, 11},
    {1035, L"Static", kSwatch, L"", 133, 71, 10, 8},
    {1044, L"Static", kText, L"Tentative", 148, 71, 62, 9},
    {1036, L"Static", kSwatch, L"", 133, 82, 10, 8},
    {1043, L"Static", kText, L"Conflict", 148, 82, 62, 8},
};

const DWORD kUpDown = 0x50010060;
const DWORD kTrackbar = 0x50010018;

const ExpectedControl kLayoutPortrait[] = {
    {1013, L"Static", kText, kTitle, 4, 3, 152, 10},
    {1007, L"Static", kText, L"", 4, 17, 152, 45},
    {1039, L"Static", kText, L"Format", 4, 66, 152, 9},
    {1024, L"msctls_updown32", kUpDown, L"", 9, 81, 30, 10},
    {1014, L"Button", kCheck, L"Word Wrap", 44, 81, 111, 10},
    {1026, L"Static", kText, L"Text size", 4, 98, 152, 9},
    {1020, L"msctls_trackbar32", kTrackbar, L"", 4, 113, 36, 10},
    {1031, L"Button", kCheck, L"B", 44, 113, 10, 10},
    {1041, L"Static", kText, L"Appointments", 58, 113, 98, 10},
    {1021, L"msctls_trackbar32", kTrackbar, L"", 4, 125, 36, 10},
    {1032, L"Button", kCheck, L"B", 44, 125, 10, 10},
    {1042, L"Static", kText, L"Date headings", 58, 125, 98, 10},
};

const ExpectedControl kLayoutLandscape[] = {
    {1013, L"Static", kText, kTitle, 4, 3, 207, 10},
    {1039, L"Static", kText, L"Format", 4, 59, 87, 9},
    {1024, L"msctls_updown32", kUpDown, L"", 9, 72, 49, 10},
    {1014, L"Button", kCheck, L"Word Wrap", 9, 86, 84, 10},
    {1026, L"Static", kText, L"Text size", 93, 59, 118, 9},
    {1020, L"msctls_trackbar32", kTrackbar, L"", 96, 72, 36, 10},
    {1031, L"Button", kCheck, L"B", 132, 72, 10, 10},
    {1041, L"Static", kText, L"Appointments", 145, 72, 66, 10},
    {1021, L"msctls_trackbar32", kTrackbar, L"", 96, 86, 36, 10},
    {1032, L"Button", kCheck, L"B", 132, 86, 10, 10},
    {1042, L"Static", kText, L"Date headings", 145, 86, 66, 10},
    {1007, L"Static", kText, L"", 4, 18, 207, 36},
};

const wchar_t kExplanation[] = L"Tapping on an appointment displays it using:";

const ExpectedControl kProgramsPortrait[] = {
    {1013, L"Static", kText, kTitle, 4, 3, 152, 10},
    {1051, L"Static", kText, L"Programs", 4, 16, 134, 10},
    {1052, L"Static", kText, kExplanation, 15, 34, 123, 19},
    {1047, L"Button", kRadio, L"Default Calendar", 15, 57, 123, 11},
    {1049, L"Button", kRadio, L"Agenda Fusion", 15, 69, 123, 11},
    {1048, L"Button", kRadio, L"Pocket Informant", 15, 81, 123, 11},
};

const ExpectedControl kProgramsLandscape[] = {
    {1013, L"Static", kText, kTitle, 4, 3, 206, 10},
    {1051, L"Static", kText, L"Programs", 4, 16, 134, 10},
    {1052, L"Static", kText, kExplanation, 15, 32, 196, 11},
    {1047, L"Button", kRadio, L"Default Calendar", 15, 45, 196, 11},
    {1049, L"Button", kRadio, L"Agenda Fusion", 15, 57, 196, 11},
    {1048, L"Button", kRadio, L"Pocket Informant", 15, 69, 196, 11},
};

struct ExpectedPage {
    int templateId;
    const wchar_t* caption;
    int cx, cy;
    const ExpectedControl* controls;
    size_t count;
};

#define PAGE(id, caption, cx, cy, table)                                                           \
    { id, caption, cx, cy, table, sizeof table / sizeof table[0] }
const ExpectedPage kPages[] = {
    PAGE(IDD_DISPLAY_PAGE, L"Display", 160, 140, kDisplayPortrait),
    PAGE(IDD_DISPLAY_PAGE_LANDSCAPE, L"Display", 215, 100, kDisplayLandscape),
    PAGE(IDD_LAYOUT_PAGE, L"Layout", 160, 140, kLayoutPortrait),
    PAGE(IDD_LAYOUT_PAGE_LANDSCAPE, L"Layout", 215, 100, kLayoutLandscape),
    PAGE(IDD_PROGRAMS_PAGE, L"Programs", 160, 140, kProgramsPortrait),
    PAGE(IDD_PROGRAMS_PAGE_LANDSCAPE, L"Programs", 215, 100, kProgramsLandscape),
};

INT_PTR CALLBACK plainDialogProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

HWND createDialog(int templateId) {
    return CreateDialogParamW(gHost.moduleInstance, MAKEINTRESOURCEW(templateId), nullptr,
                              plainDialogProc, 0);
}

// The dialog manager converts position and size each on its own, so a right edge may differ by
// a pixel from converting x + cx.
RECT placedByDialogManager(HWND dialog, const ExpectedControl& control) {
    RECT units = {control.x, control.y, control.cx, control.cy};
    MapDialogRect(dialog, &units);
    return RECT{units.left, units.top, units.left + units.right, units.top + units.bottom};
}

std::wstring textOf(HWND window) {
    wchar_t text[100] = {};
    GetWindowTextW(window, text, 100);
    return text;
}

std::wstring classOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

std::vector<BYTE> templateBytes(int templateId) {
    HRSRC resource = FindResourceW(gHost.moduleInstance, MAKEINTRESOURCEW(templateId),
                                   reinterpret_cast<LPCWSTR>(RT_DIALOG));
    const BYTE* data =
        static_cast<const BYTE*>(LockResource(LoadResource(gHost.moduleInstance, resource)));
    return std::vector<BYTE>(data, data + SizeofResource(gHost.moduleInstance, resource));
}

// A small template written word by word: a header without font, then controls.
class TemplateWriter {
public:
    explicit TemplateWriter(WORD count) {
        dword(WS_POPUP);
        dword(0);
        word(count);
        for (int i = 0; i < 4; ++i)
            word(0);
        word(0); // menu
        word(0); // class
        word(0); // title
    }
    void control(WORD id, short x, short y, WORD creationBytes = 0) {
        start(WS_CHILD | WS_VISIBLE, id, x, y, 0x0082); // static
        word(0);                                        // no text
        word(creationBytes);
        for (int i = 2; i < creationBytes; ++i)
            bytes_.push_back(0);
    }
    // A control of a predefined class showing the library's image of that resource id.
    void imageControl(WORD id, WORD classOrdinal, DWORD style, WORD image) {
        start(WS_CHILD | WS_VISIBLE | style, id, 1, 1, classOrdinal);
        word(0xFFFF);
        word(image);
        word(0);
    }
    void word(WORD value) {
        bytes_.push_back(LOBYTE(value));
        bytes_.push_back(HIBYTE(value));
    }
    void dword(DWORD value) {
        word(LOWORD(value));
        word(HIWORD(value));
    }
    std::vector<BYTE>& bytes() { return bytes_; }

private:
    void start(DWORD style, WORD id, short x, short y, WORD classOrdinal) {
        while (bytes_.size() % 4)
            bytes_.push_back(0);
        dword(style);
        dword(0);
        for (short value : {x, y, short(20), short(10)})
            word(static_cast<WORD>(value));
        word(id);
        word(0xFFFF);
        word(classOrdinal);
    }
    std::vector<BYTE> bytes_;
};

class RelayoutTest : public OptionsTest {
protected:
    void SetUp() override {
        OptionsTest::SetUp();
        page_ = createDialog(IDD_LAYOUT_PAGE);
        ASSERT_NE(nullptr, page_);
    }
    void TearDown() override {
        DestroyWindow(page_);
        OptionsTest::TearDown();
    }
    RECT previewRect() const { return controlRect(page_, IDC_PREVIEW); }
    HWND page_ = nullptr;
};

} // namespace

TEST_F(OptionsTest, EveryPageTemplateHasItsControlsInTemplateOrder) {
    for (const ExpectedPage& expected : kPages) {
        HWND dialog = createDialog(expected.templateId);
        ASSERT_NE(nullptr, dialog) << "template " << expected.templateId;
        EXPECT_EQ(expected.caption, textOf(dialog)) << "template " << expected.templateId;
        HWND child = GetWindow(dialog, GW_CHILD);
        for (size_t i = 0; i < expected.count; ++i, child = GetWindow(child, GW_HWNDNEXT)) {
            const ExpectedControl& control = expected.controls[i];
            ASSERT_NE(nullptr, child) << "template " << expected.templateId << " ends early";
            std::string where = "template " + std::to_string(expected.templateId) + ", control " +
                                std::to_string(control.id);
            EXPECT_EQ(control.id, GetDlgCtrlID(child)) << where;
            EXPECT_EQ(0, _wcsicmp(control.className, classOf(child).c_str()))
                << where << " is a " << control.className;
            DWORD style = static_cast<DWORD>(GetWindowLongPtrW(child, GWL_STYLE));
            EXPECT_EQ(control.style & kStyleChecked, style & control.style & kStyleChecked)
                << where;
            if (control.text[0]) {
                EXPECT_EQ(control.text, textOf(child)) << where;
            }
            RECT expectedRect = placedByDialogManager(dialog, control);
            RECT actual = controlRect(dialog, control.id);
            EXPECT_EQ(expectedRect.left, actual.left) << where;
            EXPECT_EQ(expectedRect.top, actual.top) << where;
            EXPECT_EQ(expectedRect.right, actual.right) << where;
            // A combo box's window is as high as its edit part; the template gives the list's.
            if (control.className != std::wstring(L"ComboBox")) {
                EXPECT_EQ(expectedRect.bottom, actual.bottom) << where;
            }
        }
        EXPECT_EQ(nullptr, child) << "template " << expected.templateId << " has no more";
        DestroyWindow(dialog);
    }
}

TEST_F(OptionsTest, TheHostDialogIsAnEmptySettingsDialog) {
    std::vector<BYTE> bytes = templateBytes(500);
    ASSERT_GE(bytes.size(), 18u);
    DWORD style;
    CopyMemory(&style, bytes.data(), 4);
    EXPECT_EQ(0x90C00040u, style);
    EXPECT_EQ(0, bytes[8] | (bytes[9] << 8)) << "no controls";
    EXPECT_EQ(151, bytes[14] | (bytes[15] << 8));
    EXPECT_EQ(159, bytes[16] | (bytes[17] << 8));
}

TEST_F(RelayoutTest, APageTakesThePlacesOfTheOtherOrientationsTemplate) {
    EXPECT_EQ(1, relayoutPage(page_, IDD_LAYOUT_PAGE_LANDSCAPE));
    EXPECT_TRUE(sameRect(dialogUnits(page_, 4, 18, 207, 36), previewRect()));
    EXPECT_TRUE(sameRect(dialogUnits(page_, 132, 86, 10, 10), controlRect(page_, IDC_DATE_BOLD)));
    EXPECT_EQ(1, relayoutPage(page_, IDD_LAYOUT_PAGE));
    EXPECT_TRUE(sameRect(dialogUnits(page_, 4, 17, 152, 45), previewRect()));
    EXPECT_EQ(0, relayoutPage(page_, 4711)) << "a missing template moves nothing";
}

TEST_F(RelayoutTest, ATemplateCutShortAnywhereMovesNothing) {
    std::vector<BYTE> landscape = templateBytes(IDD_LAYOUT_PAGE_LANDSCAPE);
    RECT portrait = previewRect();
    for (size_t size = 0; size < landscape.size(); ++size) {
        std::vector<BYTE> cut(landscape.begin(), landscape.begin() + size);
        ASSERT_EQ(0, relayoutPageFromTemplate(page_, cut.data(), cut.size()))
            << "cut after " << size << " bytes";
    }
    EXPECT_TRUE(sameRect(portrait, previewRect()));
    EXPECT_EQ(0, relayoutPageFromTemplate(page_, nullptr, 100)) << "no template at all";
    EXPECT_EQ(1, relayoutPageFromTemplate(page_, landscape.data(), landscape.size()));
}

TEST_F(RelayoutTest, LyingCountsAndUnterminatedTextsAreRefused) {
    std::vector<BYTE> landscape = templateBytes(IDD_LAYOUT_PAGE_LANDSCAPE);
    RECT portrait = previewRect();
    std::vector<BYTE> tooMany = landscape;
    tooMany[8] = 0xFF;
    tooMany[9] = 0xFF;
    EXPECT_EQ(0, relayoutPageFromTemplate(page_, tooMany.data(), tooMany.size()))
        << "65535 controls announced, 12 present";

    // The caption "Layout" never ends: every following byte is made a letter.
    std::vector<BYTE> unterminated(landscape.begin(), landscape.begin() + 22);
    while (unterminated.size() < landscape.size())
        unterminated.push_back('x');
    EXPECT_EQ(0, relayoutPageFromTemplate(page_, unterminated.data(), unterminated.size()));

    TemplateWriter creationData(1);
    creationData.control(IDC_PREVIEW, 1, 1, 400);
    std::vector<BYTE>& bytes = creationData.bytes();
    bytes.resize(bytes.size() - 100);
    EXPECT_EQ(0, relayoutPageFromTemplate(page_, bytes.data(), bytes.size()))
        << "creation data running past the end";

    std::vector<BYTE> extended = landscape;
    extended[0] = 1;
    extended[1] = 0;
    extended[2] = 0xFF;
    extended[3] = 0xFF;
    EXPECT_EQ(0, relayoutPageFromTemplate(page_, extended.data(), extended.size()))
        << "an extended template is not read as a plain one";
    EXPECT_TRUE(sameRect(portrait, previewRect())) << "none of them moved anything";
}

TEST_F(RelayoutTest, WrittenTemplatesMoveWhatTheyNameAndReportUnnamedTwins) {
    TemplateWriter one(2);
    one.control(IDC_PREVIEW, 2, 3, 6); // creation data of 6 bytes, size word included
    one.control(4242, 5, 5);           // not on the page: skipped
    EXPECT_EQ(1, relayoutPageFromTemplate(page_, one.bytes().data(), one.bytes().size()));
    EXPECT_TRUE(sameRect(dialogUnits(page_, 2, 3, 20, 10), previewRect()));

    TemplateWriter twins(2);
    twins.control(0xFFFF, 1, 1);
    twins.control(0xFFFF, 2, 2);
    EXPECT_EQ(0, relayoutPageFromTemplate(page_, twins.bytes().data(), twins.bytes().size()))
        << "two controls without an id cannot be told apart";
}

// A move may lose a control's image on the device, so the re-layout sets it again from the
// library: for an image button as for an image static.
TEST_F(RelayoutTest, ImageButtonsAndImageStaticsGetTheirImagesAgain) {
    const WORD kButtonId = 4343, kStaticId = 4344;
    HWND button = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | BS_PUSHBUTTON | BS_ICON, 0, 0, 20,
                                  20, page_, reinterpret_cast<HMENU>(kButtonId), nullptr, nullptr);
    HWND image = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | SS_ICON, 0, 0, 20, 20, page_,
                                 reinterpret_cast<HMENU>(kStaticId), nullptr, nullptr);
    ASSERT_NE(nullptr, button);
    ASSERT_NE(nullptr, image);
    TemplateWriter withImages(2);
    withImages.imageControl(kButtonId, 0x0080, BS_PUSHBUTTON | BS_ICON, IDI_CALENDAR_PAGE);
    withImages.imageControl(kStaticId, 0x0082, SS_ICON, IDI_CALENDAR_PAGE);
    EXPECT_EQ(
        1, relayoutPageFromTemplate(page_, withImages.bytes().data(), withImages.bytes().size()));
    EXPECT_NE(0, SendMessageW(button, BM_GETIMAGE, IMAGE_ICON, 0))
        << "the image button shows the library's icon after the move";
    EXPECT_NE(0, SendMessageW(image, STM_GETIMAGE, IMAGE_ICON, 0))
        << "and so does the image static";
}

TEST(FontSizeSteps, PositionsAndSizesRoundTripAtEveryStep) {
    const float steps[] = {5.5f, 6.0f, 7.0f, 8.0f, 8.5f, 9.0f, 10.0f, 11.0f};
    for (int position = 0; position < 8; ++position) {
        EXPECT_EQ(steps[position], positionToSize(position));
        EXPECT_EQ(position, sizeToPosition(positionToSize(position)));
        EXPECT_EQ(position, sizeToPosition(std::nextafter(steps[position], 100.0f)))
            << "just above step " << position;
        if (position > 0) {
            EXPECT_EQ(position - 1, sizeToPosition(std::nextafter(steps[position], 0.0f)))
                << "just below step " << position;
        }
    }
    EXPECT_EQ(0, sizeToPosition(5.4f)) << "below the smallest step: the smallest";
    EXPECT_EQ(0, sizeToPosition(0.0f));
    EXPECT_EQ(0, sizeToPosition(std::nanf(""))) << "not a size at all: the smallest";
    EXPECT_EQ(7, sizeToPosition(72.0f));
    EXPECT_EQ(5.5f, positionToSize(-1));
    EXPECT_EQ(11.0f, positionToSize(8));
    EXPECT_EQ(11.0f, positionToSize(0x7FFFFFFF));
}

// The three pages driven through their real controls while the sheet runs.
#include "options_fixture.h"

#include "interact/installed_programs.h"
#include "options/layout_preview.h"
#include "options/marker_picker.h"
#include "resources/options_ids.h"

#include <commctrl.h>

#include <string>

using namespace options_testing;

namespace {

const int kDisplayPage = 0;
const int kLayoutPage = 1;
const int kProgramsPage = 2;

// A change of the combo box's selection as the user makes it: the box tells its page.
void chooseEntry(HWND page, int id, LRESULT index) {
    HWND box = GetDlgItem(page, id);
    SendMessageW(box, CB_SETCURSEL, index, 0);
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(box));
}

LRESULT entryWithText(HWND page, int id, const wchar_t* text) {
    return SendDlgItemMessageW(page, id, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                               reinterpret_cast<LPARAM>(text));
}

std::wstring selectedText(HWND page, int id) {
    HWND box = GetDlgItem(page, id);
    LRESULT index = SendMessageW(box, CB_GETCURSEL, 0, 0);
    wchar_t text[80] = {};
    if (index >= 0)
        SendMessageW(box, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
    return text;
}

// Taps the left or right arrow of the layout up-down.
void tapArrow(HWND page, bool right) {
    HWND updown = GetDlgItem(page, IDC_PAINTER);
    RECT client;
    GetClientRect(updown, &client);
    tap(updown, right ? client.right * 3 / 4 : client.right / 4, client.bottom / 2);
}

// Whether the preview asked to be painted again since it was last validated.
bool previewWantsPaint(HWND page) {
    RECT update;
    return GetUpdateRect(GetDlgItem(page, IDC_PREVIEW), &update, FALSE) != FALSE;
}

void settlePreview(HWND page) {
    ValidateRect(GetDlgItem(page, IDC_PREVIEW), nullptr);
}

bool samePicture(const Picture& a, const Picture& b) {
    return a.pixels == b.pixels;
}

} // namespace

TEST_F(OptionsTest, DisplayPageShowsAndWritesHowFarAheadTheItemLooks) {
    settings_.setDword(L"UpcomingCount", 7);
    settings_.setDword(L"UpcomingType", UpcomingDays);
    runOptionsSheet(owner_.hwnd(), [&](HWND sheet) {
        HWND page = showPage(sheet, kDisplayPage);
        EXPECT_EQ(31, SendDlgItemMessageW(page, IDC_UPCOMING_COUNT, CB_GETCOUNT, 0, 0));
        EXPECT_EQ(L"7", selectedText(page, IDC_UPCOMING_COUNT));
        EXPECT_EQ(L"Days", selectedText(page, IDC_UPCOMING_TYPE));

        chooseEntry(page, IDC_UPCOMING_COUNT, 30);
        EXPECT_EQ(31u, gOptions.UpcomingCount) << "the last entry is 31";
        chooseEntry(page, IDC_UPCOMING_TYPE,
                    entryWithText(page, IDC_UPCOMING_TYPE, L"Appointments and Today"));
        EXPECT_EQ(static_cast<DWORD>(UpcomingAppointmentsAndToday), gOptions.UpcomingType);

        SendDlgItemMessageW(page, IDC_SHOW_EMPTY_DAYS, BM_CLICK, 0, 0);
        SendDlgItemMessageW(page, IDC_SHOW_COMPLETED, BM_CLICK, 0, 0);
        EXPECT_EQ(TRUE, gOptions.ShowEmptyDays) << "written at the tap, before the sheet closes";
        EXPECT_EQ(TRUE, gOptions.ShowCompleted);
    });
}

TEST_F(OptionsTest, UnitsAreTakenFromTheEntrysDataWhateverTheSortedOrder) {
    useLanguageModule(L"FRA");
    runOptionsSheet(owner_.hwnd(), [&](HWND sheet) {
        HWND page = showPage(sheet, kDisplayPage);
        const struct {
            const wchar_t* text;
            DWORD type;
        } units[] = {
            {L"Rendez-vous et aujourd'hui", UpcomingAppointmentsAndToday},
            {L"Heures", UpcomingHours},
            {L"Rendez-vous", UpcomingAppointments},
            {L"Lignes", UpcomingLines},
            {L"Jours", UpcomingDays},
        };
        EXPECT_EQ(0, entryWithText(page, IDC_UPCOMING_TYPE, L"Heures"))
            << "the box sorts the translated units";
        for (const auto& unit : units) {
            LRESULT index = entryWithText(page, IDC_UPCOMING_TYPE, unit.text);
            ASSERT_GE(index, 0) << "the box offers the translation";
            chooseEntry(page, IDC_UPCOMING_TYPE, index);
            EXPECT_EQ(unit.type, gOptions.UpcomingType) << "choosing at position " << index;
        }
    });
}

TEST_F(OptionsTest, TouchingASwatchChoosesItsMarkerColour) {
    runOptionsSheet(owner_.hwnd(), [&](HWND sheet) {
        HWND page = showPage(sheet, kDisplayPage);
        HWND swatch = GetDlgItem(page, IDC_FREE_SWATCH);
        EXPECT_EQ(HTCLIENT, SendMessageW(swatch, WM_NCHITTEST, 0, 0))
            << "the swatch takes the stylus, unlike a plain static";
        whenReady([]() {
            HWND strip = findColourStrip();
            if (strip)
                tap(strip, 2, 2); // cell 0
            return strip != nullptr;
        });
        tap(swatch, 2, 2);
        EXPECT_EQ(ColorNone, gOptions.FreeColor) << "cell 0 switches the free marker off";
        EXPECT_EQ(nullptr, findColourStrip()) << "the strip closed";
        Picture picture = printWindow(swatch);
        EXPECT_EQ(GetSysColor(COLOR_GRAYTEXT), picture.at(picture.width / 2, picture.height / 2))
            << "an empty swatch shows a grey dot in its middle";
    });
    DWORD stored = 0;
    EXPECT_TRUE(settings_.readDword(L"FreeColor", &stored));
    EXPECT_EQ(0xFFFFFFFFu, stored);
}

TEST_F(OptionsTest, LayoutPageStartsFromTheSettings) {
    runOptionsSheet(owner_.hwnd(), [&](HWND sheet) {
        HWND page = showPage(sheet, kLayoutPage);
        EXPECT_EQ(0, LOWORD(SendDlgItemMessageW(page, IDC_PAINTER, UDM_GETPOS, 0, 0)));
        for (int id : {IDC_APPOINTMENT_SIZE, IDC_DATE_SIZE}) {
            HWND trackbar = GetDlgItem(page, id);
            EXPECT_EQ(4, SendMessageW(trackbar, TBM_GETPOS, 0, 0)) << "8.5 points is step 4";
            EXPECT_EQ(7, SendMessageW(trackbar, TBM_GETRANGEMAX, 0, 0));
            EXPECT_EQ(0, SendMessageW(trackbar, TBM_GETRANGEMIN, 0, 0));
            EXPECT_EQ(4, SendMessageW(trackbar, TBM_GETTIC, 0, 0)) << "a tick marks the default";
        }
        for (int id : {IDC_APPOINTMENT_BOLD, IDC_DATE_BOLD}) {
            EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(page, id)) << "bold by default";
            EXPECT_TRUE(GetWindowLongPtrW(GetDlgItem(page, id), GWL_STYLE) & BS_PUSHLIKE)
                << "the B box looks like a toggle button";
        }
        EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(page, IDC_WORD_WRAP));
    });
}

TEST_F(OptionsTest, TheLayoutArrowsStopAtTheFirstAndLastPainter) {
    runOptionsSheet(owner_.hwnd(), [&](HWND sheet) {
        HWND page = showPage(sheet, kLayoutPage);
        tapArrow(page, false);
        EXPECT_EQ(0u, gOptions.Painter) << "no layout before the first";
        settlePreview(page);
        Picture before = printWindow(GetDlgItem(page, IDC_PREVIEW));
        tapArrow(page, true);
        EXPECT_EQ(1u, gOptions.Painter);
        EXPECT_TRUE(previewWantsPaint(page)) << "the preview is repainted";
        EXPECT_FALSE(samePicture(before, printWindow(GetDlgItem(page, IDC_PREVIEW))))
            << "layout 1 draws the sample differently from layout 0";
        for (int i = 0; i < 16; ++i)
            tapArrow(page, true);
        EXPECT_EQ(13u, gOptions.Painter) << "no layout after the last";
    });
}

TEST_F(OptionsTest, TextSizeTrackbarsStepThroughTheSizes) {
    runOptionsSheet(owner_.hwnd(), [&](HWND sheet) {
        HWND page = showPage(sheet, kLayoutPage);
        HWND trackbar = GetDlgItem(page, IDC_APPOINTMENT_SIZE);
        settlePreview(page);
        Picture before = printWindow(GetDlgItem(page, IDC_PREVIEW));
        pressKey(trackbar, VK_RIGHT);
        EXPECT_EQ(9.0f, gOptions.AppointmentFontSize) << "one step right of 8.5";
        EXPECT_TRUE(previewWantsPaint(page));
        EXPECT_FALSE(samePicture(before, printWindow(GetDlgItem(page, IDC_PREVIEW))))
            << "the sample is drawn larger";
        pressKey(trackbar, VK_LEFT);
        EXPECT_EQ(8.5f, gOptions.AppointmentFontSize) << "and back";
        EXPECT_EQ(8.5f, gOptions.DateFontSize) << "the other trackbar is not touched";
        pressKey(GetDlgItem(page, IDC_DATE_SIZE), VK_END);
        EXPECT_EQ(11.0f, gOptions.DateFontSize);
    });
}

TEST_F(OptionsTest, ASizeBetweenStepsIsShownAtTheStepBelowAndKeptUntilMoved) {
    settings_.setDword(L"AppointmentFontSize", 95);
    float kept = 0;
    runOptionsSheet(owner_.hwnd(), [&](HWND sheet) {
        HWND page = showPage(sheet, kLayoutPage);
        EXPECT_EQ(5, SendDlgItemMessageW(page, IDC_APPOINTMENT_SIZE, TBM_GETPOS, 0, 0))
            << "9.5 points shows at 9";
        kept = gOptions.AppointmentFontSize;
    });
    EXPECT_EQ(9.5f, kept);
    DWORD stored = 0;
    EXPECT_TRUE(settings_.readDword(L"AppointmentFontSize", &stored));
    EXPECT_EQ(95u, stored) << "saved back unchanged";
}

TEST_F(OptionsTest, BoldTogglesAndWordWrapWriteOptionsAndRepaintThePreview) {
    runOptionsSheet(owner_.hwnd(), [&](HWND sheet) {
        HWND page = showPage(sheet, kLayoutPage);
        const struct {
            int id;
            BOOL* field;
        } toggles[] = {{IDC_APPOINTMENT_BOLD, &gOptions.AppointmentFontBold},
                       {IDC_DATE_BOLD, &gOptions.DateFontBold},
                       {IDC_WORD_WRAP, &gOptions.WordWrap}};
        for (const auto& toggle : toggles) {
            settlePreview(page);
            SendDlgItemMessageW(page, toggle.id, BM_CLICK, 0, 0);
            EXPECT_EQ(FALSE, *toggle.field) << "control " << toggle.id << " turned off";
            EXPECT_TRUE(previewWantsPaint(page)) << "control " << toggle.id;
            SendDlgItemMessageW(page, toggle.id, BM_CLICK, 0, 0);
            EXPECT_EQ(TRUE, *toggle.field) << "control " << toggle.id << " turned on again";
        }
    });
}

TEST_F(OptionsTest, ProgramsPageGreysWhatIsMissingAndChecksTheChoice) {
    programs_.installAgendaFusion(L"\\Program Files\\AF.exe");
    settings_.setDword(L"ActivePIM", AgendaFusion);
    runOptionsSheet(owner_.hwnd(), [&](HWND sheet) {
        HWND page = showPage(sheet, kProgramsPage);
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_POCKET_INFORMANT)))
            << "Pocket Informant is not installed";
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, IDC_AGENDA_FUSION)));
        EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(page, IDC_AGENDA_FUSION));
        EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(page, IDC_DEFAULT_CALENDAR));
        SendDlgItemMessageW(page, IDC_DEFAULT_CALENDAR, BM_CLICK, 0, 0);
        EXPECT_EQ(0u, gOptions.ActivePIM) << "the tap chooses the device's Calendar at once";
        EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(page, IDC_AGENDA_FUSION));
        SendDlgItemMessageW(page, IDC_AGENDA_FUSION, BM_CLICK, 0, 0);
        EXPECT_EQ(2u, gOptions.ActivePIM);
    });
    DWORD stored = 0;
    EXPECT_TRUE(settings_.readDword(L"ActivePIM", &stored));
    EXPECT_EQ(2u, stored);
}

TEST_F(OptionsTest, AChoiceOfAProgramNoLongerInstalledShowsTheDefaultCalendar) {
    programs_.installPocketInformantProgram();
    programs_.installPocketInformantLibrary(L"PINewEditUI.dll");
    runOptionsSheet(owner_.hwnd(), [&](HWND sheet) {
        gOptions.ActivePIM = AgendaFusion; // set in memory, as another module could
        HWND page = showPage(sheet, kProgramsPage);
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_AGENDA_FUSION)));
        EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(page, IDC_DEFAULT_CALENDAR));
        EXPECT_EQ(2u, gOptions.ActivePIM) << "kept until the user taps a button";
    });
}

// Delete and beam through the real store: the confirmations, what the calendar file looks like
// afterwards, the struck line until the store's notice brings the next list, and the outbox.
#include "device_answers.h"
#include "interact/context_menu.h"
#include "stand_ins.h"
#include "store_calendar.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

const UINT kSingleQuestion = MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2;
const UINT kSeriesQuestion = MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON3;

class StoreActionTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_NE(nullptr, item.window()); }
    // Chooses a command on the appointment's menu, answering its message box with `button`.
    std::vector<MessageBoxRecord> choose(AppointmentItem* appointment, UINT command, int button) {
        ValidateRect(item.window(), nullptr);
        MenuAnswer menu(command);
        MessageBoxAnswer boxes(button);
        item.tapAndHold(item.pointOn(appointment));
        return boxes.boxes();
    }
    static int countFiles(const std::wstring& folder) {
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
        int count = 0;
        for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found))
            count += (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? 0 : 1;
        if (search != INVALID_HANDLE_VALUE)
            FindClose(search);
        return count;
    }
    bool repaintPending() {
        RECT update;
        return GetUpdateRect(item.window(), &update, FALSE) != FALSE;
    }

    DeviceCalendarFile calendar;
    ItemOnDevice item;
};

} // namespace

TEST_F(StoreActionTest, ASingleAppointmentIsDeletedOnlyAfterYes) {
    AppointmentItem* dentist = item.appointment(L"Dentist");
    auto boxes = choose(dentist, kDeleteCommand, IDNO);
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(L"Appointments will be permanently deleted.  Continue?", boxes[0].text);
    EXPECT_EQ(L"Daybrook", boxes[0].caption);
    EXPECT_EQ(kSingleQuestion, boxes[0].type);
    EXPECT_EQ(item.window(), boxes[0].owner);
    EXPECT_TRUE(contains(calendar.contents(), "SUMMARY:Dentist")) << "No deletes nothing";
    EXPECT_EQ(0, dentist->line.struck);
    EXPECT_FALSE(repaintPending());

    choose(dentist, kDeleteCommand, IDYES);
    EXPECT_FALSE(contains(calendar.contents(), "Dentist"));
    EXPECT_TRUE(contains(calendar.contents(), "SUMMARY:Review")) << "the rest of the file stays";
    EXPECT_EQ(kStruckDeleted, dentist->line.struck);
    EXPECT_TRUE(repaintPending()) << "the line is drawn again, struck through";
}

TEST_F(StoreActionTest, TheStruckLineStaysUntilTheStoresNoticeBringsTheNextList) {
    AppointmentItem* dentist = item.appointment(L"Dentist");
    gHost.dataDirty = false;
    choose(dentist, kDeleteCommand, IDYES);
    AgendaList* struckList = item.list();
    ASSERT_TRUE(pumpUntil([] { return gHost.dataDirty; }, 30000))
        << "the store announced the deletion to the item window";
    EXPECT_EQ(struckList, item.list());
    EXPECT_EQ(dentist, item.appointment(L"Dentist")) << "still listed, struck through";
    ASSERT_TRUE(item.waitForNextList());
    EXPECT_EQ(nullptr, item.appointment(L"Dentist")) << "the next list no longer has it";
    EXPECT_NE(nullptr, item.appointment(L"Review"));
}

TEST_F(StoreActionTest, ARecurringAppointmentAsksWhetherTheWholeSeriesGoes) {
    AppointmentItem* tomorrow = item.appointment(L"Standup", 1);
    auto boxes = choose(tomorrow, kDeleteCommand, IDCANCEL);
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(L"Delete all appointments in the recurring series?", boxes[0].text);
    EXPECT_EQ(kSeriesQuestion, boxes[0].type);
    EXPECT_EQ(calendar.contents(), standardCalendar()) << "Cancel deletes nothing";
    EXPECT_EQ(0, tomorrow->line.struck);

    choose(tomorrow, kDeleteCommand, IDNO);
    EXPECT_EQ(kStruckDeleted, tomorrow->line.struck);
    std::string file = calendar.contents();
    EXPECT_TRUE(contains(file, "SUMMARY:Standup")) << "No keeps the series";
    EXPECT_TRUE(contains(file, "EXDATE")) << file;
    EXPECT_TRUE(contains(file, "20260311T093000")) << "and excludes tomorrow's occurrence";
    ASSERT_TRUE(item.waitForNextList());
    EXPECT_NE(nullptr, item.appointment(L"Standup", 0));
    EXPECT_NE(nullptr, item.appointment(L"Standup", 1));
    EXPECT_EQ(nullptr, item.appointment(L"Standup", 2)) << "two of three days still have it";
    const int review = item.indexOf(item.appointment(L"Review"));
    EXPECT_EQ(review - 1, item.headingIndex(0)) << "tomorrow lists only the review";
    EXPECT_EQ(review + 1, item.headingIndex(1));

    choose(item.appointment(L"Standup"), kDeleteCommand, IDYES);
    EXPECT_FALSE(contains(calendar.contents(), "Standup")) << "Yes deletes the whole series";
    ASSERT_TRUE(item.waitForNextList());
    EXPECT_EQ(nullptr, item.appointment(L"Standup"));
}

TEST_F(StoreActionTest, AListThatArrivesDuringTheQuestionWaitsUntilTheDeleteIsDone) {
    AppointmentItem* dentist = item.appointment(L"Dentist");
    AgendaList* shown = item.list();
    gHost.dataDirty = true;
    item.refresh(); // the loader builds a new list meanwhile
    ASSERT_TRUE(pumpUntil(
        [] {
            EnterCriticalSection(&gHost.lock);
            bool ready = gHost.pendingList && gHost.loaderState == Idle;
            LeaveCriticalSection(&gHost.lock);
            return ready;
        },
        10000));
    BOOL answered = -1;
    MenuAnswer menu(kDeleteCommand);
    MessageBoxAnswer boxes(IDYES);
    boxes.whileOpen([&] { answered = item.refresh(); });
    item.tapAndHold(item.pointOn(dentist));
    EXPECT_EQ(FALSE, answered) << "the question is part of the menu's interaction";
    EXPECT_EQ(shown, item.list()) << "the item being deleted was not freed under the question";
    EXPECT_EQ(kStruckDeleted, dentist->line.struck);
    EXPECT_TRUE(item.waitForNextList());
}

TEST_F(StoreActionTest, ADeleteTheStoreRefusesLeavesTheLineAsItWas) {
    AppointmentItem* review = item.appointment(L"Review");
    const std::string unreadable = "not a calendar\r\n";
    ValidateRect(item.window(), nullptr);
    MenuAnswer menu(kDeleteCommand);
    MessageBoxAnswer boxes(IDYES);
    // Another program spoils the file while the question is open; the store keeps its hands off.
    boxes.whileOpen([&] { calendar.rewrite(unreadable); });
    item.tapAndHold(item.pointOn(review));
    EXPECT_EQ(1u, boxes.boxes().size());
    EXPECT_EQ(unreadable, calendar.contents());
    EXPECT_EQ(0, review->line.struck) << "a line the store did not delete is not struck";
    EXPECT_FALSE(repaintPending());
}

TEST_F(StoreActionTest, BeamingWritesTheAppointmentIntoTheOutbox) {
    TempFolder outbox;
    DeviceSetOutboxFolder(outbox.path().c_str());
    auto boxes = choose(item.appointment(L"Review"), kBeamCommand, IDOK);
    DeviceSetOutboxFolder(nullptr);
    EXPECT_TRUE(boxes.empty()) << "beaming reports nothing";
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(outbox.file(L"*.ics").c_str(), &found);
    ASSERT_NE(INVALID_HANDLE_VALUE, search) << "one calendar file was beamed";
    std::wstring name = found.cFileName;
    EXPECT_FALSE(FindNextFileW(search, &found)) << "and only one";
    FindClose(search);
    HANDLE file = CreateFileW(outbox.file(name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    char text[4096] = {};
    DWORD read = 0;
    ReadFile(file, text, sizeof text - 1, &read, nullptr);
    CloseHandle(file);
    EXPECT_TRUE(contains(text, "SUMMARY:Review")) << text;
    EXPECT_FALSE(contains(text, "Dentist")) << "only the appointment pressed";
    EXPECT_EQ(calendar.contents(), standardCalendar()) << "beaming leaves the calendar alone";
}

TEST_F(StoreActionTest, AnAppointmentGoneMeanwhileIsNeitherDeletedNorBeamed) {
    AppointmentItem* dentist = item.appointment(L"Dentist");
    std::string withoutDentist = standardCalendar();
    size_t begin = withoutDentist.find("BEGIN:VEVENT");
    size_t end = withoutDentist.find("END:VEVENT\r\n", begin) + 12;
    withoutDentist.erase(begin, end - begin);
    calendar.rewrite(withoutDentist); // another program changed the calendar
    TempFolder outbox;
    DeviceSetOutboxFolder(outbox.path().c_str());
    EXPECT_TRUE(choose(dentist, kDeleteCommand, IDYES).empty()) << "nothing to ask about";
    EXPECT_TRUE(choose(dentist, kBeamCommand, IDOK).empty());
    DeviceSetOutboxFolder(nullptr);
    EXPECT_EQ(0, dentist->line.struck);
    EXPECT_EQ(withoutDentist, calendar.contents());
    EXPECT_EQ(0, countFiles(outbox.path())) << "nothing was beamed";
}

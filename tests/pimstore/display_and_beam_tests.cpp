// Opening an appointment shows the device's Calendar view modally over the item; beaming writes
// it to the device's outbox as a calendar of its own.
#include "store_test_support.h"

#include "calendar.h"

#include <device.h>
#include <gtest/gtest.h>

#include <thread>

using namespace store_testing;
namespace ical = daybrook::ical;

namespace {

class StoreViewTest : public testing::Test {
protected:
    ComApartment apartment_;
};

const std::string kCalendar =
    calendarOf(eventText("weekly", ":20240304T090000", ":20240304T100000", "Planning",
                         "LOCATION:Room 4\\, east wing\r\nRRULE:FREQ=WEEKLY;BYDAY=MO;COUNT=4\r\n") +
               eventText("single", ":20240315T160000", ":20240315T170000", "Dentist",
                         "X-KEPT:as written\r\n"));

struct ViewSeen {
    bool opened = false;
    bool ownerDisabled = false;
    std::wstring subject, location, recurrence;
};

std::wstring fieldText(HWND view, int field) {
    WCHAR text[256] = {};
    GetDlgItemTextW(view, field, text, 256);
    return text;
}

// What another thread sees of the view, before it closes it as the user would.
void watchAndClose(HWND owner, ViewSeen* seen) {
    HWND view = nullptr;
    for (int wait = 0; wait < 500 && !view; ++wait) {
        view = DeviceFindAppointmentView();
        if (!view)
            Sleep(10);
    }
    if (!view)
        return;
    seen->opened = true;
    seen->ownerDisabled = !IsWindowEnabled(owner);
    seen->subject = fieldText(view, DeviceViewSubject);
    seen->location = fieldText(view, DeviceViewLocation);
    seen->recurrence = fieldText(view, DeviceViewRecurrence);
    DeviceCloseAppointmentViews();
}

TEST_F(StoreViewTest, DisplayShowsTheAppointmentOverItsOwnerUntilClosed) {
    DeviceCalendar calendar(kCalendar);
    testing_support::TestWindow owner;
    StoreSession store(owner.hwnd());
    ComPtr<IAppointment> planning = itemAt(store.items.get(), 1);
    ASSERT_EQ(L"Planning", subjectOf(planning.get()));

    ViewSeen seen;
    std::thread closer(watchAndClose, owner.hwnd(), &seen);
    const HRESULT shown = planning->Display();
    closer.join();
    EXPECT_EQ(S_OK, shown);
    EXPECT_TRUE(seen.opened);
    EXPECT_TRUE(seen.ownerDisabled) << "modal over its owner";
    EXPECT_TRUE(IsWindowEnabled(owner.hwnd())) << "and the owner is back afterwards";
    EXPECT_FALSE(DeviceFindAppointmentView());
    EXPECT_EQ(L"Planning", seen.subject);
    EXPECT_EQ(L"Room 4, east wing", seen.location);
    EXPECT_EQ(L"Every week on Monday, 4 times", seen.recurrence);
}

ical::Calendar readBeamed(const std::wstring& path) {
    return ical::readCalendar(readBytes(path));
}

std::vector<std::wstring> filesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*.ics").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do
        names.push_back(folder + L"\\" + found.cFileName);
    while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

TEST_F(StoreViewTest, BeamingWritesEachItemToTheOutboxAsACalendar) {
    DeviceCalendar calendar(kCalendar, centralEuropeZone());
    const std::wstring outbox = calendar.folder() + L"\\device\\Outbox";
    DeviceSetOutboxFolder(outbox.c_str());
    StoreSession store;
    ComPtr<IFolder> infrared;
    ASSERT_EQ(S_OK, store.application->GetDefaultFolder(olFolderInfrared, infrared.receive()));

    store.items->put_IncludeRecurrences(VARIANT_TRUE);
    ComPtr<IPOutlookItemCollection> week =
        restricted(store.items.get(), L"[Start] >= " + dateLiteral(oleDate(2024, 3, 11)) +
                                          L" AND [Start] < " + dateLiteral(oleDate(2024, 3, 16)));
    ASSERT_EQ((std::vector<std::wstring>{L"Planning", L"Dentist"}), subjectsOf(week.get()));
    ComPtr<IAppointment> occurrence = itemAt(week.get(), 1);
    ComPtr<IAppointment> dentist = itemAt(week.get(), 2);
    EXPECT_EQ(E_INVALIDARG, infrared->AddItemToInfraredFolder(olTaskItem, occurrence.get()));
    EXPECT_TRUE(FAILED(store.calendar->AddItemToInfraredFolder(olAppointmentItem, dentist.get())));
    ASSERT_EQ(S_OK, infrared->AddItemToInfraredFolder(olAppointmentItem, occurrence.get()));
    ASSERT_EQ(S_OK, infrared->AddItemToInfraredFolder(olAppointmentItem, dentist.get()));
    ASSERT_EQ(S_OK, infrared->SendToInfrared());
    DeviceSetOutboxFolder(nullptr);

    const std::vector<std::wstring> files = filesIn(outbox);
    ASSERT_EQ(2u, files.size());
    bool sawOccurrence = false, sawSingle = false;
    for (const std::wstring& file : files) {
        const std::string bytes = readBytes(file);
        const ical::Calendar beamed = readBeamed(file);
        ASSERT_FALSE(beamed.rejected) << bytes;
        ASSERT_EQ(1u, beamed.events.size()) << bytes;
        const ical::Event& event = beamed.events[0];
        if (event.details.summary == u"Planning") {
            sawOccurrence = true;
            EXPECT_FALSE(event.recurring) << "an occurrence goes alone";
            EXPECT_EQ(ical::TimeBasis::Utc, event.timing.basis);
            EXPECT_EQ(ical::localTimeFromCivil({2024, 3, 11, 8, 0, 0}), event.timing.start)
                << "09:00 in Central Europe";
            EXPECT_EQ(u"Room 4, east wing", event.details.location);
        } else {
            sawSingle = true;
            EXPECT_EQ(u"Dentist", event.details.summary);
            EXPECT_NE(std::string::npos, bytes.find("X-KEPT:as written\r\n"))
                << "an event goes as the file has it";
        }
    }
    EXPECT_TRUE(sawOccurrence && sawSingle);
    EXPECT_EQ(S_OK, infrared->SendToInfrared()) << "nothing left to send";
    EXPECT_EQ(2u, filesIn(outbox).size());
    for (const std::wstring& file : files)
        DeleteFileW(file.c_str());
    RemoveDirectoryW(outbox.c_str());
    RemoveDirectoryW((calendar.folder() + L"\\device").c_str());
}

} // namespace

// The store failing at each call the item makes of it, one call at a time and from one call on:
// the rebuild, delete, opening and beaming keep to what the item promises for each failure, release
// every store object they obtained, and never show or delete what they should not.
#include "faulty_store_control.h"
#include "listed_items.h"
#include "../interact/device_answers.h"
#include "../interact/store_calendar.h"

#include "agenda/agenda_builder.h"
#include "agenda/agenda_items.h"
#include "agenda/agenda_list.h"
#include "host/host_state.h"
#include "interact/appointment_actions.h"
#include "interact/appointment_opening.h"
#include "settings/options.h"

#include <device.h>
#include <gtest/gtest.h>
#include <windbase.h>

#include <cstdio>
#include <cwchar>

using namespace testing_support;

namespace {

const wchar_t kNoUpcoming[] = L"No upcoming appointments";

bool isConstructionRead(const std::string& call) {
    return call == "IAppointment::get_Subject" || call == "IAppointment::get_Location" ||
           call == "IAppointment::get_Start" || call == "IAppointment::get_End" ||
           call == "IAppointment::get_AllDayEvent" || call == "IAppointment::get_Oid" ||
           call == "IAppointment::get_BusyStatus" || call == "IAppointment::get_IsRecurring" ||
           call == "IAppointment::GetRecurrencePattern" ||
           call.compare(0, 20, "IRecurrencePattern::") == 0;
}

// What the item may show when `failed` was the (first) call that failed.
// A day that a fault leaves out counts nothing toward the limit, so the walk may go further than
// without faults: what lies beyond is checked against `further`, the fault-free list with the
// limit set far beyond what the settings allow.
std::string explainRebuild(const std::vector<ListedItem>& reference,
                           const std::vector<ListedItem>& further, bool built,
                           const std::vector<ListedItem>& shown, const std::string& failed) {
    if (failed.empty())
        return built && describeItems(shown) == describeItems(reference)
                   ? ""
                   : "without a failure the list differs";
    if (failed == "CoCreateInstance" || failed == "IPOutlookApp::Logon")
        return built ? "a store that cannot be opened still gave a list" : "";
    if (!built)
        return "an open store gave no list";
    if (failed == "IPOutlookApp::GetDefaultFolder" || failed == "IFolder::get_Items")
        return shown.size() == 1 && shown[0].kind == ListedItem::Text &&
                       shown[0].text == kNoUpcoming
                   ? ""
                   : "without the calendar the list is not \"No upcoming appointments\" alone";
    FaultAllowance allowance;
    allowance.zeroFields = isConstructionRead(failed);
    allowance.dayTexts = longDatesFromToday(3650);
    return unexplainedItems(further, shown, allowance);
}

class StoreFaultTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(store.ready()) << "the faulty store is registered in the real store's place";
        saved = gOptions;
        gOptions.UpcomingType = UpcomingAppointments;
        gOptions.UpcomingCount = 12;
        gOptions.AllDay = TRUE;
        gOptions.ShowCompleted = TRUE;
        gOptions.ShowEmptyDays = TRUE;
        gOptions.ActivePIM = 0;
        outbox = outboxFolder.path();
        DeviceSetOutboxFolder(outbox.c_str());
    }
    void TearDown() override {
        destroyList(reference);
        gOptions = saved;
        DeviceSetOutboxFolder(nullptr);
    }
    // The list without faults, kept for its items; its calls are the points to sweep.
    long buildReference() {
        store.reset(0);
        destroyList(reference);
        reference = BuildAgenda(window.hwnd());
        return store.calls();
    }
    // The n-th listed appointment with this subject.
    AppointmentItem* referenceAppointment(const wchar_t* subject, int nth) {
        for (int i = 0; reference && i < reference->count; ++i) {
            auto item = dynamic_cast<AppointmentItem*>(reference->items[i]);
            if (item && item->line.subject && wcscmp(item->line.subject, subject) == 0 &&
                nth-- == 0)
                return item;
        }
        return nullptr;
    }
    // The fault-free list without a limit to speak of.
    std::vector<ListedItem> furtherItems() {
        const DWORD count = gOptions.UpcomingCount;
        gOptions.UpcomingCount = 1000;
        store.reset(0);
        AgendaList* list = BuildAgenda(window.hwnd());
        gOptions.UpcomingCount = count;
        std::vector<ListedItem> items = listedItems(list);
        destroyList(list);
        return items;
    }
    std::string during(long call) const {
        return " (call " + std::to_string(call) + ", " + store.callName(call) + ")";
    }
    void sweepRebuild(bool onward);
    void sweepDelete(const wchar_t* subject, int nth, int button);
    int outboxFiles() const;

    FaultyStoreControl store;
    DeviceCalendarFile calendar{sweepCalendar()};
    TestWindow window;
    TempFolder outboxFolder;
    std::wstring outbox;
    Options saved;
    AgendaList* reference = nullptr;
};

void StoreFaultTest::sweepRebuild(bool onward) {
    const long points = buildReference();
    ASSERT_NE(nullptr, reference);
    const std::vector<ListedItem> expected = listedItems(reference);
    ASSERT_GT(expected.size(), 10u) << describeItems(expected);
    ASSERT_EQ(0, store.liveObjects()) << "the fault-free rebuild releases what it obtained";
    const std::vector<ListedItem> further = furtherItems();
    for (long call = 1; call <= points + 1; ++call) {
        store.reset(call, onward);
        AgendaList* list = BuildAgenda(window.hwnd());
        const std::string failed = store.failedCall();
        const std::vector<ListedItem> shown = listedItems(list);
        const bool built = list != nullptr;
        destroyList(list);
        EXPECT_EQ(0, store.liveObjects())
            << "every store object is released with " << failed << " failing" << during(call);
        EXPECT_EQ("", explainRebuild(expected, further, built, shown, failed))
            << "with " << failed << " failing" << during(call) << ", the list was"
            << describeItems(shown) << "\nand without failures" << describeItems(expected);
    }
    std::printf("[ figures  ] store fault points of a rebuild%s: %ld\n",
                onward ? " (failing from there on)" : "", points);
}

void StoreFaultTest::sweepDelete(const wchar_t* subject, int nth, int button) {
    ASSERT_GT(buildReference(), 0);
    AppointmentItem* item = referenceAppointment(subject, nth);
    ASSERT_NE(nullptr, item) << utf8(subject) << " is listed";
    const std::string original = calendar.contents();
    store.reset(0);
    {
        MessageBoxAnswer answer(button);
        deleteAppointment(item, window.hwnd());
    }
    const long points = store.calls();
    const std::string deleted = calendar.contents();
    ASSERT_NE(original, deleted) << "without failures the delete changes the file";
    for (long call = 1; call <= points; ++call) {
        calendar.rewrite(original);
        item->line.struck = 0;
        store.reset(call);
        {
            MessageBoxAnswer answer(button);
            deleteAppointment(item, window.hwnd());
        }
        const std::string failed = store.failedCall();
        const std::string after = calendar.contents();
        EXPECT_TRUE(after == original || after == deleted)
            << "with " << failed << " failing" << during(call)
            << " the file is either untouched or has exactly that deleted:\n"
            << after;
        EXPECT_EQ(after == deleted, item->line.struck == kStruckDeleted)
            << "the line is struck through exactly when the store deleted it, with " << failed
            << " failing" << during(call);
        EXPECT_EQ(0, store.liveObjects()) << "with " << failed << " failing" << during(call);
    }
    calendar.rewrite(original);
    std::printf("[ figures  ] store fault points of deleting %s: %ld\n", utf8(subject).c_str(),
                points);
}

int StoreFaultTest::outboxFiles() const {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((outbox + L"\\*").c_str(), &found);
    int count = 0;
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found))
        count += (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? 0 : 1;
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    return count;
}

} // namespace

TEST_F(StoreFaultTest, ARebuildWithAnyOneCallFailingEndsOrLeavesOutButNeverInvents) {
    sweepRebuild(false);
}

TEST_F(StoreFaultTest, ARebuildWithTheStoreBrokenFromAnyCallOnEndsOrLeavesOutButNeverInvents) {
    sweepRebuild(true);
}

TEST_F(StoreFaultTest, DeletingAnOccurrenceUnderAnyFailureDeletesItOrNothing) {
    sweepDelete(L"Standup", 0, IDNO);
}

TEST_F(StoreFaultTest, DeletingASeriesUnderAnyFailureDeletesItOrNothing) {
    sweepDelete(L"Standup", 1, IDYES);
}

TEST_F(StoreFaultTest, DeletingASingleAppointmentUnderAnyFailureDeletesItOrNothing) {
    sweepDelete(L"Review", 0, IDYES);
}

TEST_F(StoreFaultTest, OpeningAnOccurrenceUnderAnyFailureShowsItTheSeriesOrNothing) {
    ASSERT_GT(buildReference(), 0);
    AppointmentItem* standup = referenceAppointment(L"Standup", 1);
    ASSERT_NE(nullptr, standup);
    store.reset(0);
    std::wstring occurrenceStart;
    {
        AppointmentViewWatcher watcher(nullptr);
        ASSERT_EQ(1, openInDeviceCalendar(window.hwnd(), standup->oid, standup->start));
        ASSERT_EQ(1, watcher.viewsSeen());
        occurrenceStart = watcher.field(DeviceViewStart);
    }
    const long points = store.calls();
    for (long call = 1; call <= points; ++call) {
        store.reset(call);
        AppointmentViewWatcher watcher(nullptr);
        const int shown = openInDeviceCalendar(window.hwnd(), standup->oid, standup->start);
        const std::string failed = store.failedCall();
        EXPECT_EQ(shown, watcher.viewsSeen()) << "the result says whether a view was shown, with "
                                              << failed << " failing" << during(call);
        if (watcher.viewsSeen() == 0)
            continue;
        EXPECT_EQ(L"Standup", watcher.field(DeviceViewSubject))
            << "no other appointment is shown, with " << failed << " failing" << during(call);
        if (failed == "IAppointment::GetRecurrencePattern" ||
            failed == "IRecurrencePattern::GetOccurrence") {
            EXPECT_NE(occurrenceStart, watcher.field(DeviceViewStart))
                << "without the occurrence the series is shown";
        } else if (failed != "IAppointment::get_IsRecurring") {
            EXPECT_EQ(occurrenceStart, watcher.field(DeviceViewStart))
                << "the tapped occurrence is shown, with " << failed << " failing" << during(call);
        }
        EXPECT_EQ(0, store.liveObjects()) << "with " << failed << " failing" << during(call);
    }
    EXPECT_EQ(0, store.liveObjects());
    std::printf("[ figures  ] store fault points of opening an occurrence: %ld\n", points);
}

TEST_F(StoreFaultTest, BeamingUnderAnyFailureSendsThatAppointmentOrNothing) {
    ASSERT_GT(buildReference(), 0);
    AppointmentItem* review = referenceAppointment(L"Review", 0);
    ASSERT_NE(nullptr, review);
    store.reset(0);
    beamAppointment(review, window.hwnd());
    const long points = store.calls();
    ASSERT_EQ(1, outboxFiles()) << "without failures the appointment is beamed";
    for (long call = 1; call <= points; ++call) {
        TempFolder fresh;
        outbox = fresh.path();
        DeviceSetOutboxFolder(outbox.c_str());
        store.reset(call);
        beamAppointment(review, window.hwnd());
        const std::string failed = store.failedCall();
        EXPECT_EQ(failed == "IFolder::SendToInfrared" || failed == "QueryInterface" ||
                          failed == "IFolder::AddItemToInfraredFolder" ||
                          failed == "IPOutlookApp::GetDefaultFolder" ||
                          failed == "IPOutlookApp::GetItemFromOid" ||
                          failed == "IPOutlookApp::Logon" || failed == "CoCreateInstance"
                      ? 0
                      : 1,
                  outboxFiles())
            << "with " << failed << " failing" << during(call);
        EXPECT_EQ(0, store.liveObjects()) << "with " << failed << " failing" << during(call);
    }
    std::printf("[ figures  ] store fault points of beaming: %ld\n", points);
}

// The whole item: a store that stops answering leaves the list it shows in place.
TEST_F(StoreFaultTest, TheItemKeepsItsListWhenTheStoreCannotBeOpened) {
    ItemOnDevice item;
    ASSERT_NE(nullptr, item.window());
    AgendaList* shown = item.list();
    ASSERT_NE(nullptr, shown);
    const std::string before = describeItems(listedItems(shown));
    store.reset(1, true);
    SendMessageW(item.window(), DB_CEOID_CHANGED, 0, 0);
    EXPECT_TRUE(item.refresh() == FALSE || item.list() == shown);
    // The reload the notice asked for has run once the loader is idle again.
    EXPECT_TRUE(pumpUntil(
        [&] {
            item.refresh();
            EnterCriticalSection(&gHost.lock);
            bool idle = gHost.loaderState == Idle && !gHost.pendingList;
            LeaveCriticalSection(&gHost.lock);
            return idle && store.calls() > 0;
        },
        10000));
    EXPECT_EQ(shown, item.list()) << "the list shown before stays";
    EXPECT_EQ(before, describeItems(listedItems(item.list())));
    store.reset(0);
}

// Several calendars at once: files and folders of .ics files shown merged, each appointment
// deleted from its own file only, and a calendar that cannot be read reported beside the others.
#include "calendar_test_support.h"

#include <gtest/gtest.h>

using namespace store_testing;
using namespace calendar_testing;

namespace {

std::string at(const char* hour) {
    return std::string(":20261208T") + hour + "0000Z";
}

const std::string kAlpha = eventText("alpha", at("09"), at("10"), "Alpha");
const std::string kSharedInFile = eventText("shared", at("12"), at("13"), "Shared meeting");
const std::string kBetaOne = eventText("beta-1", at("10"), at("11"), "Beta one");
const std::string kBetaTwo = eventText("beta-2", at("11"), at("12"), "Beta two");
const std::string kSharedInFolder = eventText("shared", at("12"), at("13"), "Shared meeting");
const std::string kGamma = eventText("gamma", at("14"), at("15"), "Gamma");

class SeveralCalendarsTest : public testing::Test {
protected:
    void SetUp() override {
        file_ = files_.file(L"personal.ics");
        folder_ = files_.file(L"team");
        beta_ = folder_ + L"\\beta.ics";
        gamma_ = folder_ + L"\\gamma.ics";
        // A folder of the same name may be left from an earlier run whose process had this id.
        removeFolder();
        ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
        write(file_, calendarOf(kAlpha + kSharedInFile));
        write(beta_, calendarOf(kBetaOne + kBetaTwo));
        write(gamma_, calendarOf(kSharedInFolder + kGamma));
    }
    // The temporary folder removes only its own files.
    void TearDown() override { removeFolder(); }
    void removeFolder() {
        DeleteFileW(beta_.c_str());
        DeleteFileW(gamma_.c_str());
        RemoveDirectoryW(folder_.c_str());
    }
    static void write(const std::wstring& path, const std::string& bytes) {
        ASSERT_TRUE(testing_support::writeFileBytes(path, bytes));
    }

    ComApartment apartment_;
    testing_support::TempFolder files_;
    std::wstring file_, folder_, beta_, gamma_;
};

TEST_F(SeveralCalendarsTest, AFileAndAFolderShowMergedAndADeleteRewritesOnlyItsOwnFile) {
    DeviceCalendars device({file_, folder_});
    StoreSession store;
    ASSERT_EQ((std::vector<std::wstring>{L"Alpha", L"Beta one", L"Beta two", L"Shared meeting",
                                         L"Shared meeting", L"Gamma"}),
              subjectsOf(store.items.get()))
        << "every calendar's appointments, by start";
    const long sharedInFile = oidOf(itemAt(store.items.get(), 4).get());
    const long sharedInFolder = oidOf(itemAt(store.items.get(), 5).get());
    EXPECT_NE(sharedInFile, sharedInFolder)
        << "the same event in two calendars is two appointments, one in each";

    ASSERT_EQ(S_OK, itemAt(store.items.get(), 3)->Delete()) << "Beta two";
    EXPECT_EQ(calendarOf(kBetaOne), readBytes(beta_)) << "its own file lost it";
    EXPECT_EQ(calendarOf(kAlpha + kSharedInFile), readBytes(file_)) << "untouched";
    EXPECT_EQ(calendarOf(kSharedInFolder + kGamma), readBytes(gamma_)) << "untouched";

    StoreSession after;
    ComPtr<IAppointment> shared = itemAt(after.items.get(), 4);
    ASSERT_EQ(sharedInFolder, oidOf(shared.get())) << "the folder's copy keeps its identifier";
    ASSERT_EQ(S_OK, shared->Delete());
    EXPECT_EQ(calendarOf(kGamma), readBytes(gamma_)) << "deleted from the folder's file";
    EXPECT_EQ(calendarOf(kAlpha + kSharedInFile), readBytes(file_))
        << "the file's own copy of the shared meeting stays";
    EXPECT_EQ((std::vector<std::wstring>{L"Alpha", L"Beta one", L"Shared meeting", L"Gamma"}),
              currentSubjects());
}

std::string fixedZone(const std::string& tzid, const std::string& offset) {
    return "BEGIN:VTIMEZONE\r\nTZID:" + tzid + "\r\nBEGIN:STANDARD\r\nDTSTART:19700101T000000\r\n" +
           "TZOFFSETFROM:" + offset + "\r\nTZOFFSETTO:" + offset +
           "\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n";
}

TEST_F(SeveralCalendarsTest, EachCalendarsEventsKeepTheirOwnCalendarsZones) {
    write(file_, calendarOf(fixedZone("Office", "+0500") +
                            eventText("east", ";TZID=Office:20261208T100000",
                                      ";TZID=Office:20261208T110000", "East")));
    write(beta_, calendarOf(fixedZone("Office", "-0300") +
                            eventText("west", ";TZID=Office:20261208T100000",
                                      ";TZID=Office:20261208T110000", "West")));
    DeviceCalendars device({file_, beta_});
    StoreSession store;
    ASSERT_EQ((std::vector<std::wstring>{L"East", L"West"}), subjectsOf(store.items.get()));
    EXPECT_DOUBLE_EQ(oleDate(2026, 12, 8, 5), startOf(itemAt(store.items.get(), 1).get()))
        << "10:00 at +05:00 on a UTC device";
    EXPECT_DOUBLE_EQ(oleDate(2026, 12, 8, 13), startOf(itemAt(store.items.get(), 2).get()))
        << "the same zone name in another calendar is that calendar's zone: 10:00 at -03:00";
}

TEST_F(SeveralCalendarsTest, ACalendarThatCannotBeReadIsReportedWhileTheOthersShow) {
    const std::wstring missing = files_.file(L"moved-away.ics");
    const std::wstring broken = files_.file(L"broken.ics");
    write(broken, "<html>this is a web page, not a calendar</html>\r\n");
    DeviceCalendars device({missing, file_, broken, gamma_});
    EXPECT_EQ((std::vector<std::wstring>{L"Alpha", L"Shared meeting", L"Shared meeting", L"Gamma"}),
              currentSubjects())
        << "the calendars that can be read";
    const std::wstring messages = reportMessages();
    EXPECT_NE(std::wstring::npos, messages.find(missing + L": cannot be read")) << messages;
    EXPECT_NE(std::wstring::npos, messages.find(broken + L": not a calendar")) << messages;

    StoreSession store;
    ASSERT_EQ(S_OK, itemAt(store.items.get(), 4)->Delete()) << "Gamma";
    EXPECT_EQ(calendarOf(kSharedInFolder), readBytes(gamma_));
    EXPECT_EQ("<html>this is a web page, not a calendar</html>\r\n", readBytes(broken))
        << "never rewritten";
}

} // namespace

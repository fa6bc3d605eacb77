#include "installed_programs_fixture.h"
#include "settings/options.h"

#include <gtest/gtest.h>

#include <cstring>

using testing_support::ScopedRegistryKey;

namespace {

const wchar_t kSettingsKey[] = L"Software\\Orvane\\Daybrook";

DWORD bitsOf(float value) {
    DWORD bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// The record as the library holds it when loaded, before any test changed it.
const Options kDefaults = gOptions;

class SettingsTest : public testing::Test {
protected:
    void SetUp() override { gOptions = kDefaults; }
    void TearDown() override { gOptions = kDefaults; }

    EmulatedPrograms programs;
    ScopedRegistryKey settings{HKEY_CURRENT_USER, kSettingsKey};
};

} // namespace

TEST_F(SettingsTest, DefaultsHoldWhenNoSettingsWereEverSaved) {
    programs.installAgendaFusion(L"\\Program Files\\AF.exe");
    EXPECT_NE(ERROR_SUCCESS, loadOptions()) << "the key does not exist";
    EXPECT_EQ(0u, gOptions.Painter);
    EXPECT_EQ(1u, gOptions.UpcomingCount);
    EXPECT_EQ(static_cast<DWORD>(UpcomingDays), gOptions.UpcomingType);
    EXPECT_TRUE(gOptions.AllDay);
    EXPECT_TRUE(gOptions.WordWrap);
    EXPECT_FALSE(gOptions.ShowCompleted);
    EXPECT_FALSE(gOptions.ShowEmptyDays);
    EXPECT_TRUE(gOptions.AppointmentFontBold);
    EXPECT_TRUE(gOptions.DateFontBold);
    EXPECT_EQ(0x41080000u, bitsOf(gOptions.AppointmentFontSize)) << "8.5 points";
    EXPECT_EQ(0x41080000u, bitsOf(gOptions.DateFontSize)) << "8.5 points";
    EXPECT_EQ(0x00FFFFFFu, gOptions.FreeColor);
    EXPECT_EQ(0x00FFFF3Cu, gOptions.TentativeColor);
    EXPECT_EQ(0x003C3CE3u, gOptions.ConflictColor);
    EXPECT_EQ(0u, gOptions.ActivePIM) << "no saved choice: the device's Calendar, even with "
                                         "Agenda Fusion installed";
}

TEST_F(SettingsTest, RangedValuesAreTakenOnlyInsideTheirRange) {
    struct Case {
        const wchar_t* name;
        DWORD stored;
        DWORD expected;
        DWORD Options::*field;
    } cases[] = {
        {L"Painter", 13, 13, &Options::Painter},
        {L"Painter", 14, 0, &Options::Painter},
        {L"UpcomingCount", 31, 31, &Options::UpcomingCount},
        {L"UpcomingCount", 32, 1, &Options::UpcomingCount},
        {L"UpcomingCount", 0, 1, &Options::UpcomingCount},
        {L"UpcomingType", 5, 5, &Options::UpcomingType},
        {L"UpcomingType", 6, 1, &Options::UpcomingType},
        {L"UpcomingType", 0, 1, &Options::UpcomingType},
    };
    for (const Case& c : cases) {
        gOptions = kDefaults;
        settings.setDword(c.name, c.stored);
        EXPECT_EQ(ERROR_SUCCESS, loadOptions());
        EXPECT_EQ(c.expected, gOptions.*c.field) << "stored " << c.stored << " under "
                                                  << testing::PrintToString(std::wstring(c.name));
    }
}

TEST_F(SettingsTest, FontSizesAreTenthsOfAPointAndSurviveASave) {
    const DWORD stored[] = {85, 55, 82, 110, 0};
    for (DWORD tenths : stored) {
        settings.setDword(L"DateFontSize", tenths);
        settings.setDword(L"AppointmentFontSize", tenths);
        loadOptions();
        EXPECT_EQ(bitsOf(static_cast<float>(tenths) * 0.1f), bitsOf(gOptions.DateFontSize))
            << "stored " << tenths;
        EXPECT_EQ(ERROR_SUCCESS, saveOptions());
        DWORD saved = 0;
        ASSERT_TRUE(settings.readDword(L"DateFontSize", &saved));
        EXPECT_EQ(tenths, saved) << "an unchanged size must be saved as it was stored";
        ASSERT_TRUE(settings.readDword(L"AppointmentFontSize", &saved));
        EXPECT_EQ(tenths, saved);
    }
    EXPECT_EQ(0.0f, gOptions.DateFontSize) << "a stored 0 is accepted";
}

TEST_F(SettingsTest, ValuesOfTheWrongTypeOrSizeAreIgnored) {
    settings.setString(L"Painter", L"5");
    DWORD four = 4;
    settings.setBinary(L"UpcomingCount", REG_BINARY, &four, sizeof four);
    ULONGLONG wide = 7;
    settings.setBinary(L"UpcomingType", REG_DWORD, &wide, sizeof wide);
    WORD narrow = 1;
    settings.setBinary(L"WordWrap", REG_DWORD, &narrow, sizeof narrow);
    settings.setBinary(L"FreeColor", REG_QWORD, &wide, sizeof wide);
    gOptions.WordWrap = 5; // an edit in memory survives a load that has nothing better
    loadOptions();
    EXPECT_EQ(0u, gOptions.Painter) << "a string is not a number";
    EXPECT_EQ(1u, gOptions.UpcomingCount) << "REG_BINARY is not REG_DWORD";
    EXPECT_EQ(1u, gOptions.UpcomingType) << "eight bytes do not fit";
    EXPECT_EQ(5, gOptions.WordWrap) << "a two-byte REG_DWORD is not a whole value";
    EXPECT_EQ(0x00FFFFFFu, gOptions.FreeColor);
}

TEST_F(SettingsTest, FlagsAndColoursAreTakenUnchecked) {
    settings.setDword(L"FreeColor", ColorNone);
    settings.setDword(L"ShowEmptyDays", 7);
    settings.setDword(L"AllDay", 0);
    loadOptions();
    EXPECT_EQ(ColorNone, gOptions.FreeColor) << "ColorNone: free appointments get no marker";
    EXPECT_EQ(7, gOptions.ShowEmptyDays);
    EXPECT_FALSE(gOptions.AllDay);
}

TEST_F(SettingsTest, ActivePimFollowsTheInstalledPrograms) {
    settings.setDword(L"Painter", 2); // the key exists, ActivePIM is missing
    programs.installAgendaFusion(L"\\Program Files\\AF.exe");
    programs.installPocketInformantProgram();
    programs.installPocketInformantLibrary(L"PITools.dll");
    loadOptions();
    EXPECT_EQ(1u, gOptions.ActivePIM) << "both installed, nothing stored: Pocket Informant";

    programs.removeAll();
    programs.installAgendaFusion(L"\\Program Files\\AF.exe");
    loadOptions();
    EXPECT_EQ(2u, gOptions.ActivePIM) << "only Agenda Fusion installed";

    programs.removeAll();
    loadOptions();
    EXPECT_EQ(0u, gOptions.ActivePIM) << "neither installed";

    settings.setDword(L"ActivePIM", 2);
    loadOptions();
    EXPECT_EQ(0u, gOptions.ActivePIM) << "a stored Agenda Fusion that is gone: the Calendar";

    programs.installAgendaFusion(L"\\Program Files\\AF.exe");
    loadOptions();
    EXPECT_EQ(2u, gOptions.ActivePIM) << "stored and installed";

    settings.setString(L"ActivePIM", L"2");
    loadOptions();
    EXPECT_EQ(2u, gOptions.ActivePIM) << "a string is as good as missing: the mask rule";
}

TEST_F(SettingsTest, SaveWritesEveryFieldAndRecreatesADeletedKey) {
    gOptions.Painter = 9;
    gOptions.UpcomingCount = 12;
    gOptions.UpcomingType = UpcomingLines;
    gOptions.ShowCompleted = TRUE;
    gOptions.TentativeColor = ColorNone;
    gOptions.ActivePIM = 0;
    gOptions.AppointmentFontSize = 10.5f;
    EXPECT_EQ(ERROR_SUCCESS, saveOptions());

    const wchar_t* names[] = {L"Painter",        L"AllDay",          L"UpcomingCount",
                              L"UpcomingType",   L"WordWrap",        L"ShowEmptyDays",
                              L"ShowCompleted",  L"AppointmentFontBold", L"DateFontBold",
                              L"AppointmentFontSize", L"DateFontSize", L"FreeColor",
                              L"TentativeColor", L"ConflictColor",   L"ActivePIM"};
    for (const wchar_t* name : names) {
        DWORD value;
        EXPECT_TRUE(settings.readDword(name, &value))
            << testing::PrintToString(std::wstring(name)) << " must be saved as REG_DWORD";
    }
    Options saved = gOptions;
    gOptions = kDefaults;
    loadOptions();
    EXPECT_EQ(0, std::memcmp(&saved, &gOptions, sizeof saved)) << "a save and a load round-trip";

    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    EXPECT_EQ(ERROR_SUCCESS, saveOptions());
    EXPECT_TRUE(settings.exists()) << "the key is created again on save";
}

TEST(SettingsExport, GetOptionsHandsOutTheLibrarysOwnRecord) {
    HMODULE library = LoadLibraryW(L"daybrook.dll");
    ASSERT_NE(nullptr, library);
    typedef Options* (*GetOptionsProc)();
    auto getOptions = reinterpret_cast<GetOptionsProc>(
        reinterpret_cast<void*>(GetProcAddress(library, "GetOptions")));
    ASSERT_NE(nullptr, getOptions) << "GetOptions is exported by name";
    Options* record = getOptions();
    EXPECT_EQ(record, getOptions()) << "always the same record";
    MEMORY_BASIC_INFORMATION region;
    VirtualQuery(record, &region, sizeof region);
    EXPECT_EQ(library, region.AllocationBase) << "the record lives inside the library";
    EXPECT_EQ(0x41080000u, bitsOf(record->DateFontSize));
    EXPECT_EQ(1u, record->UpcomingType);
    FreeLibrary(library);
}

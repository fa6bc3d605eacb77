#include "host/host_state.h"
#include "host/resource_module.h"
#include "test_support.h"

#include <commctrl.h>
#include <device.h>
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <utility>
#include <vector>

using namespace testing_support;

namespace {

std::wstring moduleFileName(HMODULE module) {
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
    std::wstring name(path, length);
    return name.substr(name.find_last_of(L'\\') + 1);
}

std::wstring abbreviationOf(LCID locale) {
    wchar_t abbreviation[4] = {};
    GetLocaleInfoW(locale, LOCALE_SABBREVLANGNAME, abbreviation, 4);
    return abbreviation;
}

std::wstring stringFrom(UINT id) {
    wchar_t text[80];
    loadResourceString(id, text, 80);
    return text;
}

// Every string of the library's own table.
const UINT kStringIds[] = {1,  4,  5,  7,  8,  9,  11, 12, 13, 14, 15,
                           16, 17, 18, 19, 20, 21, 22, 23, 24, 25};
// The option pages' templates, portrait and landscape.
const WORD kPageTemplates[] = {110, 111, 116, 117, 118, 119};

std::wstring stringOf(HMODULE module, UINT id) {
    wchar_t text[160] = {};
    LoadStringW(module, id, text, 160);
    return text;
}

bool hasHebrewLetters(const std::wstring& text) {
    for (wchar_t c : text) {
        if (c >= 0x05D0 && c <= 0x05EA)
            return true;
    }
    return false;
}

INT_PTR CALLBACK inertDialogProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

// The controls with a text in one of the library's page templates, as the dialog manager
// creates them: control id and text.
std::vector<std::pair<int, std::wstring>> controlTexts(HMODULE library, WORD templateId) {
    std::vector<std::pair<int, std::wstring>> texts;
    HWND page =
        CreateDialogParamW(library, MAKEINTRESOURCEW(templateId), nullptr, inertDialogProc, 0);
    if (!page)
        return texts;
    for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t text[160] = {};
        if (GetWindowTextW(child, text, 160) > 0)
            texts.emplace_back(GetDlgCtrlID(child), text);
    }
    DestroyWindow(page);
    return texts;
}

// A copy of the library in a folder of its own, with the language modules a test puts beside it.
class ResourceModuleTest : public testing::Test {
protected:
    void SetUp() override {
        savedModule_ = gHost.moduleInstance;
        resetResourceModule();
        ASSERT_TRUE(copyFile(joinPath(programFolder(), L"daybrook.dll"), folder_.file(L"daybrook.dll")));
        library_ = LoadLibraryW(folder_.file(L"daybrook.dll").c_str());
        ASSERT_NE(nullptr, library_);
        gHost.moduleInstance = library_;
    }
    void TearDown() override {
        resetResourceModule();
        gHost.moduleInstance = savedModule_;
        FreeLibrary(library_);
        DeviceSetLocale(0x0409, 0x0409);
    }
    // One of the project's own language modules, as it is installed beside the library.
    void addProjectLanguageModule(const wchar_t* abbreviation) {
        std::wstring name = std::wstring(L"DaybrookUI-") + abbreviation + L".dll";
        ASSERT_TRUE(copyFile(joinPath(programFolder(), name), folder_.file(name)));
    }
    void addLanguageModule(const wchar_t* abbreviation) {
        std::wstring name = std::wstring(L"DaybrookUI-") + abbreviation + L".dll";
        ASSERT_TRUE(copyFile(joinPath(programFolder() + L"\\testmodules", name), folder_.file(name)));
    }

    TempFolder folder_;
    HMODULE library_ = nullptr;
    HINSTANCE savedModule_ = nullptr;
};

} // namespace

TEST_F(ResourceModuleTest, WithoutLanguageModulesTheLibraryItselfSpeaks) {
    DeviceSetLocale(0x0407, 0x0407);
    EXPECT_EQ(library_, getResourceModule());
    EXPECT_EQ(L"No upcoming appointments", stringFrom(9));
    EXPECT_EQ(L"Appointments will be permanently deleted.  Continue?", stringFrom(16))
        << "texts are kept exactly, double spaces included";
    EXPECT_EQ(0x0407u, gHost.resourceLocale) << "the locale of the choice is remembered";
}

TEST_F(ResourceModuleTest, TheDevicesLanguageModuleIsChosen) {
    addLanguageModule(L"DEU");
    DeviceSetLocale(0x0407, 0x0407);
    HINSTANCE module = getResourceModule();
    EXPECT_EQ(L"DaybrookUI-DEU.dll", moduleFileName(module));
    EXPECT_EQ(L"Keine anstehenden Termine", stringFrom(9));
    EXPECT_EQ(L"", stringFrom(7)) << "a string missing from the module is not taken from the "
                                     "library";
}

TEST_F(ResourceModuleTest, TheSpecificLocaleWinsAndTheNeutralOneIsTheFallback) {
    ASSERT_EQ(L"DES", abbreviationOf(0x0807)) << "the platform's name for Swiss German";
    std::wstring neutral = abbreviationOf(0x0007);
    ASSERT_FALSE(neutral.empty());
    addLanguageModule(neutral.c_str());
    DeviceSetLocale(0x0807, 0x0807);
    EXPECT_EQ(L"DaybrookUI-" + neutral + L".dll", moduleFileName(getResourceModule()))
        << "no module for 0x0807: the one for its primary language";

    resetResourceModule();
    addLanguageModule(L"DES");
    EXPECT_EQ(L"DaybrookUI-DES.dll", moduleFileName(getResourceModule()));
    EXPECT_EQ(L"Daybrook (CH)", stringFrom(1));
}

TEST_F(ResourceModuleTest, TheChoiceIsKeptUntilResetAndResetReleasesTheModule) {
    addLanguageModule(L"DEU");
    DeviceSetLocale(0x0407, 0x0407);
    HINSTANCE german = getResourceModule();
    DeviceSetLocale(0x0409, 0x0409);
    EXPECT_EQ(german, getResourceModule()) << "a locale change alone does not choose again";

    resetResourceModule();
    EXPECT_EQ(nullptr, GetModuleHandleW(folder_.file(L"DaybrookUI-DEU.dll").c_str()))
        << "the reset releases the language module";
    EXPECT_EQ(library_, getResourceModule()) << "chosen again for the new locale";
    resetResourceModule();
    EXPECT_NE(nullptr, GetModuleHandleW(folder_.file(L"daybrook.dll").c_str()))
        << "the library itself is never released";
}

TEST_F(ResourceModuleTest, TwoThreadsAskingAtOnceLoadTheModuleOnce) {
    addLanguageModule(L"DEU");
    DeviceSetLocale(0x0407, 0x0407);
    const int kThreads = 8;
    std::vector<HINSTANCE> answers(kThreads);
    HANDLE start = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i)
        threads.emplace_back([&, i] {
            WaitForSingleObject(start, INFINITE);
            answers[i] = getResourceModule();
        });
    SetEvent(start);
    for (std::thread& thread : threads)
        thread.join();
    CloseHandle(start);
    for (HINSTANCE answer : answers)
        EXPECT_EQ(answers[0], answer) << "every thread gets the one choice";
    resetResourceModule();
    EXPECT_EQ(nullptr, GetModuleHandleW(folder_.file(L"DaybrookUI-DEU.dll").c_str()))
        << "one release unloads it: it was loaded once";
}

TEST_F(ResourceModuleTest, AGermanDeviceGetsTheWholeStringTableInGerman) {
    addProjectLanguageModule(L"DEU");
    DeviceSetLocale(0x0407, 0x0407);
    EXPECT_EQ(L"DaybrookUI-DEU.dll", moduleFileName(getResourceModule()));
    std::vector<UINT> unchanged;
    for (UINT id : kStringIds) {
        std::wstring german = stringFrom(id);
        EXPECT_FALSE(german.empty()) << "string " << id << " is translated";
        if (german == stringOf(library_, id))
            unchanged.push_back(id);
    }
    EXPECT_EQ((std::vector<UINT>{1, 23}), unchanged)
        << "only the product's name and \"Layout\" read the same in German";
    EXPECT_EQ(L"Keine anstehenden Termine", stringFrom(9));
    EXPECT_EQ(L"Die Termine werden endgültig gelöscht.  Fortfahren?", stringFrom(16))
        << "two spaces after the full stop, as in the library's own text";
    EXPECT_EQ(L"mehrtägig", stringFrom(11));
    EXPECT_FALSE(isRightToLeft());
}

TEST_F(ResourceModuleTest, AHebrewDeviceGetsHebrewTextsLaidOutRightToLeft) {
    addProjectLanguageModule(L"HEB");
    // The module is named after the locale, specific or neutral; the layout follows the
    // user-interface language, which counts as right to left only in its neutral form.
    for (LCID locale : {0x040Du, 0x000Du}) {
        resetResourceModule();
        DeviceSetLocale(locale, 0x000D);
        EXPECT_EQ(L"DaybrookUI-HEB.dll", moduleFileName(getResourceModule()))
            << "locale 0x" << std::hex << locale;
        EXPECT_TRUE(isRightToLeft());
    }
    for (UINT id : kStringIds) {
        if (id != 1) {
            EXPECT_TRUE(hasHebrewLetters(stringFrom(id))) << "string " << id << " is in Hebrew";
        }
    }
    EXPECT_EQ(L"Daybrook", stringFrom(1)) << "the product's name stays";
    EXPECT_EQ(L"אין פגישות קרובות", stringFrom(9));
}

TEST_F(ResourceModuleTest, BothModulesTranslateEveryControlTextOfTheOptionPages) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&controls);
    for (const wchar_t* abbreviation : {L"DEU", L"HEB"}) {
        HMODULE module = LoadLibraryW(
            joinPath(programFolder(), std::wstring(L"DaybrookUI-") + abbreviation + L".dll")
                .c_str());
        ASSERT_NE(nullptr, module) << abbreviation;
        for (WORD templateId : kPageTemplates) {
            auto texts = controlTexts(library_, templateId);
            EXPECT_FALSE(texts.empty()) << "template " << templateId << " has texts";
            for (const auto& control : texts)
                EXPECT_FALSE(stringOf(module, static_cast<UINT>(control.first)).empty())
                    << abbreviation << " translates control " << control.first << " \""
                    << testing::PrintToString(control.second) << "\" of template " << templateId;
        }
        FreeLibrary(module);
    }
}

TEST(RightToLeft, OnlyTheLanguageNeutralIdentifiersCount) {
    struct Case {
        LANGID language;
        bool rightToLeft;
    } cases[] = {{0x0001, true},  {0x000D, true},  {0x0039, true},  {0x0401, false},
                 {0x040D, false}, {0x0409, false}, {0x0407, false}, {0x0000, false}};
    for (const Case& c : cases) {
        gHost.rtlKnown = false;
        DeviceSetLocale(0x0409, c.language);
        EXPECT_EQ(c.rightToLeft, isRightToLeft()) << "language 0x" << std::hex << c.language;
    }
    DeviceSetLocale(0x0409, 0x000D);
    gHost.rtlKnown = false;
    EXPECT_TRUE(isRightToLeft());
    DeviceSetLocale(0x0409, 0x0409);
    EXPECT_TRUE(isRightToLeft()) << "the answer is cached until the module is chosen again";
    resetResourceModule();
    EXPECT_FALSE(isRightToLeft());
}

TEST(SmallIconSize, TheFirstValueIsKeptForTheLifeOfTheProcess) {
    gHost.smallIconSize = 0;
    DeviceSetScreen(DeviceScreenVga, FALSE);
    EXPECT_EQ(32, getSmallIconSize());
    DeviceSetScreen(DeviceScreenQvga, TRUE);
    EXPECT_EQ(32, getSmallIconSize()) << "not read again when the screen changes";
    gHost.smallIconSize = 0;
    EXPECT_EQ(16, getSmallIconSize());
    DeviceSetScreen(DeviceScreenQvga, FALSE);
}

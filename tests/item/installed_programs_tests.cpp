#include "installed_programs_fixture.h"
#include "interact/installed_programs.h"

#include <gtest/gtest.h>

#include <string>

class InstalledProgramsTest : public testing::Test {
protected:
    EmulatedPrograms programs;
};

TEST_F(InstalledProgramsTest, NothingInstalledGivesNoBits) {
    EXPECT_EQ(0u, installedPrograms()) << "a bare device has only its own Calendar";
}

TEST_F(InstalledProgramsTest, PocketInformantNeedsTheProgramAndOneOfItsLibraries) {
    programs.installPocketInformantProgram();
    EXPECT_EQ(0u, installedPrograms()) << "PITab.exe without a loadable library is not enough";

    programs.installPocketInformantLibrary(L"PINewEditUI.dll");
    EXPECT_EQ(1u, installedPrograms()) << "PINewEditUI.dll is the fallback library";

    programs.removeAll();
    programs.installPocketInformantLibrary(L"PITools.dll");
    EXPECT_EQ(0u, installedPrograms()) << "the libraries alone, without PITab.exe, do not count";

    programs.installPocketInformantProgram();
    EXPECT_EQ(1u, installedPrograms()) << "PITab.exe with PITools.dll";
}

TEST_F(InstalledProgramsTest, AgendaFusionNeedsAReadableAppLocation) {
    programs.installAgendaFusionKeyOnly();
    EXPECT_EQ(0u, installedPrograms()) << "the key without AppLocation";

    programs.installAgendaFusion(std::wstring(300, L'x')); // 602 bytes with the terminator
    EXPECT_EQ(0u, installedPrograms()) << "an AppLocation longer than 520 bytes cannot be read";

    programs.installAgendaFusion(L"\\Program Files\\Agenda Fusion\\AgendaFusion.exe");
    EXPECT_EQ(2u, installedPrograms());

    programs.installPocketInformantProgram();
    programs.installPocketInformantLibrary(L"PITools.dll");
    EXPECT_EQ(3u, installedPrograms()) << "both programs at once";
}

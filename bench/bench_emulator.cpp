// M1's peak: the Today screen emulator hosting the item, with the heavy and the empty calendar.
#include "bench_runs.h"
#include "bench_calendars.h"
#include "bench_probes.h"

#include <cstdio>
#include <cwchar>
#include <string>

namespace bench {

namespace {

std::wstring emulatorArguments(const std::wstring& calendar) {
    wchar_t now[32];
    swprintf(now, 32, L"%04d-%02d-%02d %02d:00", kNowYear, kNowMonth, kNowDay, kNowHour);
    return L"--item daybrook.dll --calendar \"" + calendar + L"\" --now \"" + now +
           L"\" --seconds 4";
}

} // namespace

void runEmulatorPeak(const Calendars& calendars) {
    const ChildMemory empty =
        runAndMeasure(L"today.exe", emulatorArguments(calendars.empty), 60000);
    const ChildMemory heavy =
        runAndMeasure(L"today.exe", emulatorArguments(calendars.heavy), 60000);
    if (!heavy.measured || !empty.measured) {
        std::printf("M1   the emulator's memory could not be read\n");
        return;
    }
    std::printf("M1   today.exe peak working set: heavy calendar %.1f MB, empty %.1f MB "
                "(the calendar's share %.1f MB); peak private %.1f MB and %.1f MB\n",
                heavy.peakWorkingSet / 1048576.0, empty.peakWorkingSet / 1048576.0,
                (static_cast<double>(heavy.peakWorkingSet) - empty.peakWorkingSet) / 1048576.0,
                heavy.peakPagefile / 1048576.0, empty.peakPagefile / 1048576.0);
}

} // namespace bench

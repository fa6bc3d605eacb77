#include "options.h"
#include "../interact/installed_programs.h"

#include <cmath>

Options gOptions = {
    0,            // Painter
    1,            // UpcomingCount
    UpcomingDays, // UpcomingType
    TRUE,         // AllDay
    TRUE,         // WordWrap
    FALSE,        // ShowCompleted
    FALSE,        // ShowEmptyDays
    TRUE,         // AppointmentFontBold
    TRUE,         // DateFontBold
    8.5f,         // AppointmentFontSize
    8.5f,         // DateFontSize
    0x00FFFFFF,   // FreeColor: white
    0x00FFFF3C,   // TentativeColor: cyan
    0x003C3CE3,   // ConflictColor: red
    0,            // ActivePIM: the device's Calendar
};

namespace {

const WCHAR kSettingsKey[] = L"Software\\Orvane\\Daybrook";

bool readDword(HKEY key, const WCHAR* name, DWORD* value) {
    DWORD type = 0;
    DWORD data = 0;
    DWORD size = sizeof data;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof data) // a short REG_DWORD is as foreign as a string
        return false;
    *value = data;
    return true;
}

void readField(HKEY key, const WCHAR* name, DWORD* field) {
    DWORD value;
    if (readDword(key, name, &value))
        *field = value;
}

void readRanged(HKEY key, const WCHAR* name, DWORD low, DWORD high, DWORD* field) {
    DWORD value;
    if (readDword(key, name, &value) && value >= low && value <= high)
        *field = value;
}

// Sizes are stored in whole tenths of a point.
void readFontSize(HKEY key, const WCHAR* name, float* field) {
    DWORD value;
    if (readDword(key, name, &value))
        *field = static_cast<float>(value) * 0.1f;
}

void writeDword(HKEY key, const WCHAR* name, DWORD value) {
    RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

// Rounded, not truncated: 8.2 is held as 8.19999981, which truncation would store as 81.
DWORD tenthsOf(float size) {
    double tenths = std::floor(static_cast<double>(size) * 10.0 + 0.5);
    if (!(tenths >= 0.0))
        return 0;
    if (tenths > 4294967295.0)
        return 0xFFFFFFFF;
    return static_cast<DWORD>(tenths);
}

DWORD preferredProgram(DWORD installed) {
    if (installed & 1)
        return 1;
    if (installed & 2)
        return 2;
    return 0;
}

} // namespace

LONG loadOptions() {
    HKEY key;
    LONG status = RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key);
    if (status != ERROR_SUCCESS)
        return status;
    DWORD painter;
    if (readDword(key, L"Painter", &painter) && painter < kPainterCount)
        gOptions.Painter = painter;
    readField(key, L"AllDay", reinterpret_cast<DWORD*>(&gOptions.AllDay));
    readRanged(key, L"UpcomingCount", 1, 31, &gOptions.UpcomingCount);
    readRanged(key, L"UpcomingType", UpcomingDays, UpcomingLines, &gOptions.UpcomingType);
    readField(key, L"WordWrap", reinterpret_cast<DWORD*>(&gOptions.WordWrap));
    readField(key, L"ShowEmptyDays", reinterpret_cast<DWORD*>(&gOptions.ShowEmptyDays));
    readField(key, L"ShowCompleted", reinterpret_cast<DWORD*>(&gOptions.ShowCompleted));
    readField(key, L"AppointmentFontBold", reinterpret_cast<DWORD*>(&gOptions.AppointmentFontBold));
    readField(key, L"DateFontBold", reinterpret_cast<DWORD*>(&gOptions.DateFontBold));
    readFontSize(key, L"AppointmentFontSize", &gOptions.AppointmentFontSize);
    readFontSize(key, L"DateFontSize", &gOptions.DateFontSize);
    readField(key, L"FreeColor", &gOptions.FreeColor);
    readField(key, L"TentativeColor", &gOptions.TentativeColor);
    readField(key, L"ConflictColor", &gOptions.ConflictColor);

    // A stored choice only stands while that program is still installed.
    DWORD installed = installedPrograms();
    gOptions.ActivePIM = installed;
    DWORD stored;
    if (readDword(key, L"ActivePIM", &stored))
        gOptions.ActivePIM = installed & stored;
    else
        gOptions.ActivePIM = preferredProgram(installed);
    return RegCloseKey(key);
}

LONG saveOptions() {
    HKEY key;
    LONG status = RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_WRITE,
                                  nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS)
        return status;
    writeDword(key, L"Painter", gOptions.Painter);
    writeDword(key, L"AllDay", static_cast<DWORD>(gOptions.AllDay));
    writeDword(key, L"UpcomingCount", gOptions.UpcomingCount);
    writeDword(key, L"UpcomingType", gOptions.UpcomingType);
    writeDword(key, L"WordWrap", static_cast<DWORD>(gOptions.WordWrap));
    writeDword(key, L"ShowEmptyDays", static_cast<DWORD>(gOptions.ShowEmptyDays));
    writeDword(key, L"ShowCompleted", static_cast<DWORD>(gOptions.ShowCompleted));
    writeDword(key, L"AppointmentFontBold", static_cast<DWORD>(gOptions.AppointmentFontBold));
    writeDword(key, L"DateFontBold", static_cast<DWORD>(gOptions.DateFontBold));
    writeDword(key, L"AppointmentFontSize", tenthsOf(gOptions.AppointmentFontSize));
    writeDword(key, L"DateFontSize", tenthsOf(gOptions.DateFontSize));
    writeDword(key, L"FreeColor", gOptions.FreeColor);
    writeDword(key, L"TentativeColor", gOptions.TentativeColor);
    writeDword(key, L"ConflictColor", gOptions.ConflictColor);
    writeDword(key, L"ActivePIM", gOptions.ActivePIM);
    return RegCloseKey(key);
}

extern "C" Options* GetOptions() { return &gOptions; }

#include "appointment_opening.h"
#include "calendar_program.h"
#include "installed_programs.h"
#include "modal_interaction.h"
#include "store_appointments.h"
#include "../agenda/store_connection.h"
#include "../host/proc_address.h"

namespace {

const ULONGLONG kUnitsPerMinute = 600000000ULL;

HMODULE loadPocketInformant() {
    HMODULE library = LoadLibraryW(L"PITools.dll");
    return library ? library : LoadLibraryW(L"PINewEditUI.dll");
}

HRESULT displayAppointment(IAppointment* appointment) {
    ModalInteraction modal;
    return appointment->Display();
}

} // namespace

int openAppointment(HWND window, long oid, DATE start) {
    if (oid == 0)
        return 0;
    int shown = 0;
    switch (programChoice()) {
    case PocketInformant: shown = openInPocketInformant(window, oid, start); break;
    case AgendaFusion: shown = openInAgendaFusion(window, oid, start); break;
    }
    return shown ? shown : openInDeviceCalendar(window, oid, start);
}

int openInPocketInformant(HWND window, long oid, DATE start) {
    HMODULE library = loadPocketInformant();
    if (!library)
        return 0;
    auto display =
        procAddress<DisplayAppointmentWindowExternProc>(library, "DisplayAppointmentWindowExtern");
    if (!display) {
        // Without its view the appointment goes to the device's own Calendar.
        FreeLibrary(library);
        return 0;
    }
    if (!GetProcAddress(library, "CreateAppointmentExtern"))
        MessageBoxW(nullptr, L"Could not load CreateAppointmentExtern", nullptr, MB_OK);
    {
        ModalInteraction modal;
        display(oid, start, 0, window);
    }
    FreeLibrary(library);
    return 1;
}

int openInAgendaFusion(HWND window, long oid, DATE start) {
    // Only Agenda Fusion itself gets its command line; without it the caller turns to the
    // device's own Calendar, which opens the appointment its own way.
    WCHAR path[MAX_PATH];
    if (!readAgendaFusionLocation(path, MAX_PATH))
        return 0;
    WCHAR parameters[64];
    wsprintfW(parameters, L"[%i] (%i)", static_cast<int>(oid),
              static_cast<int>(minuteNumber(start)));
    return startProgram(window, path, parameters) ? 1 : 0;
}

int openInDeviceCalendar(HWND window, long oid, DATE start) {
    if (!EnsureStore(window))
        return 0;
    IDispatch* item = nullptr;
    IAppointment* appointment = nullptr;
    if (!findStoreItem(oid, &item, &appointment)) {
        CloseStore();
        return 0;
    }
    item->Release();
    if (isRecurring(appointment)) {
        IAppointment* occurrence = findOccurrence(appointment, start);
        if (occurrence) {
            appointment->Release();
            appointment = occurrence;
        }
    }
    const HRESULT shown = displayAppointment(appointment);
    appointment->Release();
    CloseStore();
    return SUCCEEDED(shown) ? 1 : 0;
}

LONG minuteNumber(DATE date) {
    SYSTEMTIME time;
    FILETIME units;
    if (!VariantTimeToSystemTime(date, &time) || !SystemTimeToFileTime(&time, &units))
        return 0;
    ULARGE_INTEGER value;
    value.LowPart = units.dwLowDateTime;
    value.HighPart = units.dwHighDateTime;
    return static_cast<LONG>(static_cast<DWORD>(value.QuadPart / kUnitsPerMinute));
}

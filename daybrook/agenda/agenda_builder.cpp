#include "agenda_builder.h"
#include "agenda_building.h"
#include "agenda_items.h"
#include "agenda_list.h"
#include "appointment_query.h"
#include "build_state.h"
#include "store_connection.h"
#include "../host/resource_module.h"
#include "../resources/resource_ids.h"
#include "../settings/options.h"

#include <new>

namespace {

const int kLongHorizonDays = 3650;

// The start of the first appointment that ends after the day, or false when there is none (or
// it cannot be read). *found tells the two apart.
bool firstLaterStart(IPOutlookItemCollection* items, int day, double* start, bool* found) {
    *found = false;
    IPOutlookItemCollection* later = QueryDay(items, day, false);
    if (!later)
        return false;
    IAppointment* appointment = nullptr;
    if (FAILED(GetAppointment(later, 1, &appointment))) {
        later->Release();
        return false;
    }
    *found = true;
    bool read = SUCCEEDED(appointment->get_Start(start));
    appointment->Release();
    later->Release();
    return read;
}

void walkDays(HWND window, IPOutlookItemCollection* items, BuildState* state, int horizon,
              bool skipAhead) {
    int keepGoing = 1;
    for (int day = state->today; day < state->today + horizon && keepGoing; ++day) {
        state->day = day;
        state->lastStart = 0;
        state->prevInDay = nullptr;
        state->lastOid = 0;
        int countBefore = state->list->count;
        IPOutlookItemCollection* dayItems = QueryDay(items, day, true);
        if (dayItems) {
            keepGoing = AddDay(window, dayItems, state);
            dayItems->Release();
        }
        if (!keepGoing || !skipAhead || state->list->count != countBefore)
            continue;
        // Nothing listed today: jump to the day of the next appointment that ends later.
        double start = 0;
        bool found = false;
        bool read = firstLaterStart(items, day, &start, &found);
        if (!found) {
            keepGoing = 0;
        } else if (read && static_cast<int>(start) > day) {
            day = static_cast<int>(start) - 1;
        }
    }
}

void appendNothingUpcoming(AgendaList* list) {
    WCHAR text[80];
    loadResourceString(IDS_NO_UPCOMING, text, 80);
    TextItem* item = new (std::nothrow) TextItem(text, 1);
    if (item)
        list->Insert(item, list->count);
}

} // namespace

AgendaList* BuildAgenda(HWND window) {
    BuildState state = {};
    GetLocalTime(&state.nowTime);
    SystemTimeToVariantTime(&state.nowTime, &state.now);
    state.today = static_cast<int>(state.now);
    state.options = GetOptions();
    AgendaList* list = new (std::nothrow) AgendaList(state.now, 1);
    if (!list)
        return nullptr;
    if (!EnsureStore(nullptr)) {
        destroyList(list); // the window keeps what it shows
        return nullptr;
    }
    const Options* options = state.options;
    int horizon = options->UpcomingType == UpcomingDays ? static_cast<int>(options->UpcomingCount)
                                                        : kLongHorizonDays;
    bool skipAhead = options->UpcomingType == UpcomingAppointments ||
                     options->UpcomingType == UpcomingAppointmentsAndToday ||
                     options->UpcomingType == UpcomingLines;
    state.list = list;
    state.lastCoveredDay = state.today;
    IPOutlookItemCollection* items = OpenCalendarItems();
    if (items) {
        walkDays(window, items, &state, horizon, skipAhead);
        items->Release();
    }
    if (list->count == 0)
        appendNothingUpcoming(list);
    CloseStore();
    return list;
}

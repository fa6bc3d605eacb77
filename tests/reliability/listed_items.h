// What a built agenda shows, item by item, as plain values: lists built under faults are compared
// with the list built without them.
#pragma once
#include "agenda/agenda_list.h"

#include <windows.h>

#include <string>
#include <vector>

struct ListedItem {
    enum Kind { Heading, Text, Separator, Appointment };
    Kind kind = Text;
    std::wstring text; // heading or message text; an appointment's subject
    bool textMissing = false;
    double date = 0; // a heading's day
    std::wstring location;
    int oid = 0;
    double start = 0;
    double end = 0;
    bool allDay = false;
    long busyStatus = 0;
    int struck = 0;
};

std::vector<ListedItem> listedItems(const AgendaList* list);
// One line per item, for assertion messages.
std::string describeItems(const std::vector<ListedItem>& items);
std::string utf8(const std::wstring& text);

// How far a list built under a fault may differ from the fault-free list besides leaving items
// out or ending early.
struct FaultAllowance {
    // One appointment may show the zero fields of reads that failed while it was built: empty
    // texts, date 0, free, no age after its subject.
    bool zeroFields = false;
    // Headings may have lost their text and message lines theirs (their copies failed); one
    // subject may lack its age (the aged copy failed).
    bool lostCopies = false;
    // Long dates a run of empty days may show: when a fault leaves a day out, the days around it
    // become empty.
    std::vector<std::wstring> dayTexts;
};

// The long dates of the device's today and the days after it, as headings and empty days show
// them.
std::vector<std::wstring> longDatesFromToday(int days);

// Empty when every item shown is one the fault-free list has (or a message a rebuild makes), with
// the appointments in the fault-free list's order; otherwise the first item that is not.
std::string unexplainedItems(const std::vector<ListedItem>& reference,
                             const std::vector<ListedItem>& shown, const FaultAllowance& allowance);

// A calendar around the device's today (2026-03-10, 08:00) that gives a rebuild every kind of
// item: an ended and a running appointment, conflicts, an all-day event, a yearly birthday with
// its age, a daily series, a run of empty days, an appointment spanning midnight, locations and a
// subject too long for its line.
std::string sweepCalendar();

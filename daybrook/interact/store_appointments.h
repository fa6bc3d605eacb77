// Finding an appointment of the store by its object identifier, and one occurrence of a series.
#pragma once
#include <windows.h>
#include <pimstore.h>

// The store item with this identifier (through the connection's application object) and its
// appointment interface; false, with nothing held, when either cannot be had.
bool findStoreItem(long oid, IDispatch** item, IAppointment** appointment);

// The occurrence of a recurring appointment that starts at `start`, or null when the pattern or
// the occurrence cannot be had.
IAppointment* findOccurrence(IAppointment* series, DATE start);

bool isRecurring(IAppointment* appointment);

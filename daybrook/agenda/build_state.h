// The working record of one rebuild, shared by the day walk and the day builder.
#pragma once
#include <windows.h>

#include "../settings/options.h"

class AgendaList;
class AppointmentItem;

struct BuildState {
    AgendaList* list;
    Options* options;
    SYSTEMTIME nowTime;
    double now;
    int today;
    int counted;
    int linesUsed;
    int lastCoveredDay;
    int day;
    AppointmentItem* prevInDay;
    int lastOid;
    double lastStart;
};

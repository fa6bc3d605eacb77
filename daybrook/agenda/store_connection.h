// The connection to the device's appointment store (the Pocket Outlook application object).
// Each thread that uses the store holds its own connection, opened and closed around each use,
// so one thread's CloseStore never releases an object the other thread is using.
#pragma once
#include <windows.h>
#include <pimstore.h>

// Nonzero when this thread has an open connection afterwards.
int EnsureStore(HWND owner);
// This thread's application object with a reference added, or null.
IPOutlookApp* AcquireStore();
void CloseStore();

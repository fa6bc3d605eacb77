// What the process holds: heap bytes in use, kernel handles, GDI objects made by this program's
// code (the item's included), and the peak memory of another process.
#pragma once
#include <windows.h>

#include <string>

namespace bench {

struct ProcessCounts {
    long long heapBytes = 0; // busy blocks of every heap of the process
    long long heapBlocks = 0;
    long long privateBytes = 0;
    DWORD handles = 0;
    long gdiObjects = 0; // made through this program's import table and not yet deleted
    long windowDcs = 0;  // GetDC without ReleaseDC
};

// Starts counting GDI objects: every creation and deletion this program (and the item's code
// linked into it) makes goes through its import table, which this redirects. Objects made
// before are not counted.
void startCountingGdiObjects();
void stopCountingGdiObjects();

ProcessCounts countProcess();

// Swaps one entry of this program's import table; returns whether any slot held target.
bool patchImport(void* target, void* replacement);

struct ChildMemory {
    bool measured = false;
    SIZE_T peakWorkingSet = 0;
    SIZE_T peakPagefile = 0;
    DWORD exitCode = 0;
};

// Runs a program of this program's folder with the arguments and samples its memory until it
// ends (the peak figures are read while it still runs).
ChildMemory runAndMeasure(const std::wstring& program, const std::wstring& arguments,
                          DWORD timeoutMilliseconds);

std::wstring programFolder();

} // namespace bench

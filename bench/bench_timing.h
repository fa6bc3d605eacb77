// Repeated runs of one operation and the figures they give: median, minimum and maximum.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace bench {

// Microseconds since construction, from the performance counter.
class Stopwatch {
public:
    Stopwatch() { QueryPerformanceCounter(&start_); }
    double microseconds() const;

private:
    LARGE_INTEGER start_;
};

struct Figures {
    double median = 0;
    double min = 0;
    double max = 0;
};

Figures figuresOf(std::vector<double> samples);

// Runs the operation `runs` times after one untimed warm-up run; each run reports the
// microseconds it measured (so that it can leave its own set-up out of the time).
Figures measure(int runs, const std::function<double()>& run);

// One line of the report: the figures in the unit that suits them, and the target beside them.
enum class Unit { Microseconds, Milliseconds };
void printFigures(const char* id, const std::string& what, const Figures& figures, Unit unit,
                  double targetMicroseconds);
void printNote(const std::string& text);

} // namespace bench

#include "bench_timing.h"

#include <algorithm>
#include <cstdio>

namespace bench {

double Stopwatch::microseconds() const {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart - start_.QuadPart) * 1e6 /
           static_cast<double>(frequency.QuadPart);
}

Figures figuresOf(std::vector<double> samples) {
    Figures figures;
    if (samples.empty())
        return figures;
    std::sort(samples.begin(), samples.end());
    const size_t middle = samples.size() / 2;
    figures.median =
        samples.size() % 2 ? samples[middle] : (samples[middle - 1] + samples[middle]) / 2;
    figures.min = samples.front();
    figures.max = samples.back();
    return figures;
}

Figures measure(int runs, const std::function<double()>& run) {
    run();
    std::vector<double> samples;
    samples.reserve(static_cast<size_t>(runs));
    for (int i = 0; i < runs; ++i)
        samples.push_back(run());
    return figuresOf(samples);
}

void printFigures(const char* id, const std::string& what, const Figures& figures, Unit unit,
                  double targetMicroseconds) {
    const bool inMilliseconds = unit == Unit::Milliseconds;
    const double scale = inMilliseconds ? 1e-3 : 1.0;
    const char* name = inMilliseconds ? "ms" : "us";
    std::printf("%-4s %-58s median %9.3f %s  min %9.3f  max %9.3f", id, what.c_str(),
                figures.median * scale, name, figures.min * scale, figures.max * scale);
    if (targetMicroseconds > 0)
        std::printf("  target <= %g %s  %s", targetMicroseconds * scale, name,
                    figures.median <= targetMicroseconds ? "met" : "MISSED");
    std::printf("\n");
    std::fflush(stdout);
}

void printNote(const std::string& text) {
    std::printf("     %s\n", text.c_str());
    std::fflush(stdout);
}

} // namespace bench

// The store's iCalendar reader beside libical, natively (no Wine): both read and expand the same
// generated calendars of 20,000 and 200,000 events over their ten years, each in a child process
// of its own so that its peak memory is its own. Prints MB/s and peak resident memory.
// With --loads, times instead what the store's load does, natively, on the same calendars written
// to files: each file read and parsed, then also indexed (wall time, as the benchmark under Wine
// times its loads), for scripts/load-vs-native.sh to set beside the loads under Wine.
//
//   native_bench [runs]
//   native_bench --loads [runs]
#include "bench_calendars.h"
#include "calendar.h"
#include "occurrence_index.h"

#include <libical/ical.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

namespace ical = daybrook::ical;

const int kFirstYear = 2022;
const int kLastYear = 2031;

std::string calendarText(int scale) {
    bench::CalendarShape shape;
    shape.singlesPerYear *= scale;
    shape.seriesPerYear *= scale;
    return bench::generateCalendar(shape).text;
}

ical::LocalTime yearStart(int year) {
    ical::CivilDateTime civil;
    civil.year = year;
    return ical::localTimeFromCivil(civil);
}

// The store's way: the events read, indexed, and every occurrence of the ten years listed.
size_t readAndExpandOurs(const std::string& text) {
    const ical::Calendar calendar = ical::readCalendar(text);
    const ical::OccurrenceIndex index(calendar, ical::ZoneRule());
    std::vector<ical::Occurrence> found;
    index.occurrencesOverlapping(yearStart(kFirstYear), yearStart(kLastYear + 1),
                                 ical::EndBoundary::Exclusive, found);
    return found.size();
}

void countOccurrence(icalcomponent*, struct icaltime_span*, void* data) {
    ++*static_cast<size_t*>(data);
}

// libical's way: the text parsed into components, and each event's recurrence set walked over
// the same ten years.
size_t readAndExpandLibical(const std::string& text) {
    icalcomponent* calendar = icalparser_parse_string(text.c_str());
    if (!calendar)
        return 0;
    struct icaltimetype from = icaltime_from_string("20220101T000000");
    struct icaltimetype to = icaltime_from_string("20320101T000000");
    size_t occurrences = 0;
    for (icalcomponent* event = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT);
         event; event = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT))
        icalcomponent_foreach_recurrence(event, from, to, countOccurrence, &occurrences);
    icalcomponent_free(calendar);
    return occurrences;
}

// The process's own processor time: the figures hold on a machine busy with other work.
double processSeconds() {
    timespec now = {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

enum class Parser { None, Ours, Libical };

struct Result {
    double seconds = 0; // median of the runs
    size_t occurrences = 0;
    long peakKilobytes = 0;
};

// In a child: the calendar generated, then read and expanded `runs` times; the median time and
// the occurrence count come back through a pipe, the peak from the child's resource use.
Result runInChild(Parser parser, int scale, int runs) {
    int channel[2];
    if (pipe(channel) != 0)
        std::exit(1);
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        const std::string text = calendarText(scale);
        std::vector<double> times;
        Result result;
        for (int i = 0; i < runs && parser != Parser::None; ++i) {
            const double start = processSeconds();
            result.occurrences =
                parser == Parser::Ours ? readAndExpandOurs(text) : readAndExpandLibical(text);
            times.push_back(processSeconds() - start);
        }
        std::sort(times.begin(), times.end());
        result.seconds = times.empty() ? 0 : times[times.size() / 2];
        ssize_t written = write(channel[1], &result, sizeof result);
        _exit(written == sizeof result ? 0 : 1);
    }
    close(channel[1]);
    Result result;
    if (read(channel[0], &result, sizeof result) != sizeof result)
        std::fprintf(stderr, "the child gave no figures\n");
    close(channel[0]);
    int status = 0;
    struct rusage usage = {};
    wait4(child, &status, 0, &usage);
    result.peakKilobytes = usage.ru_maxrss;
    return result;
}

void compare(const char* name, int scale, int runs) {
    const double megabytes = static_cast<double>(calendarText(scale).size()) / (1024.0 * 1024.0);
    const Result baseline = runInChild(Parser::None, scale, runs);
    const Result ours = runInChild(Parser::Ours, scale, runs);
    const Result libical = runInChild(Parser::Libical, scale, runs);
    std::printf("%s: %.1f MB of file; peak memory counts the generated text too (%.1f MB alone)\n",
                name, megabytes, baseline.peakKilobytes / 1024.0);
    for (const auto& [label, result] : {std::pair<const char*, const Result&>{"store", ours},
                                        std::pair<const char*, const Result&>{"libical", libical}})
        std::printf("  %-8s %8.1f ms  %7.1f MB/s  peak %7.1f MB  (%zu occurrences)\n", label,
                    result.seconds * 1000, megabytes / result.seconds,
                    result.peakKilobytes / 1024.0, result.occurrences);
    std::printf("  store / libical: %.1fx the throughput (target >= 3), %.2fx the peak memory "
                "(target <= 1)\n",
                libical.seconds / ours.seconds,
                static_cast<double>(ours.peakKilobytes) / libical.peakKilobytes);
    std::fflush(stdout);
}

// As the store reads a file: sized once from the file's length, then read whole.
std::string fileText(const std::string& path) {
    std::string text;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return text;
    if (std::fseek(file, 0, SEEK_END) == 0) {
        const long size = std::ftell(file);
        std::rewind(file);
        text.resize(size > 0 ? static_cast<size_t>(size) : 0);
        text.resize(std::fread(&text[0], 1, text.size(), file));
    }
    std::fclose(file);
    return text;
}

double wallMilliseconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since)
        .count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// The file read and parsed, and the same followed by the index the store builds, each timed
// `runs` times; two copies of the file read in turn, as the loads under Wine do.
void timeLoads(const char* id, int scale, int runs) {
    const std::string text = calendarText(scale);
    const std::string paths[2] = {"/tmp/native-load-" + std::to_string(getpid()) + "-a.ics",
                                  "/tmp/native-load-" + std::to_string(getpid()) + "-b.ics"};
    for (const std::string& path : paths) {
        FILE* file = std::fopen(path.c_str(), "wb");
        if (!file || std::fwrite(text.data(), 1, text.size(), file) != text.size())
            std::exit(1);
        std::fclose(file);
    }
    std::vector<double> parses;
    std::vector<double> loads;
    size_t events = 0;
    for (int i = 0; i < runs; ++i) {
        auto start = std::chrono::steady_clock::now();
        events = ical::readCalendar(fileText(paths[i % 2])).events.size();
        parses.push_back(wallMilliseconds(start));
        start = std::chrono::steady_clock::now();
        const ical::Calendar calendar = ical::readCalendar(fileText(paths[(i + 1) % 2]));
        const ical::OccurrenceIndex index(calendar, ical::ZoneRule());
        loads.push_back(wallMilliseconds(start));
    }
    for (const std::string& path : paths)
        std::remove(path.c_str());
    std::printf(
        "%s native: %zu events, read and parsed %.1f ms, read, parsed and indexed %.1f ms\n", id,
        events, median(parses), median(loads));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--loads") {
        const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
        timeLoads("L1", 1, runs);
        timeLoads("L2", 10, runs);
        return 0;
    }
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    std::printf("Reading and expanding %d-%d, native, processor time, median of %d runs\n",
                kFirstYear, kLastYear, runs);
    compare("N1 20,000 events", 1, runs);
    compare("N2 200,000 events", 10, runs);
    return 0;
}

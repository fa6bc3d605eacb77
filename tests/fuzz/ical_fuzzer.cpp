// libFuzzer entry: every input is a calendar file. A broken check aborts, so that the fuzzer
// keeps the input as a crash; AddressSanitizer and UndefinedBehaviorSanitizer catch the rest.
#include "calendar_exercise.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string failure = daybrook::ical::fuzzing::exerciseCalendar(bytes);
    if (!failure.empty()) {
        std::fprintf(stderr, "calendar check failed: %s\n", failure.c_str());
        std::abort();
    }
    return 0;
}

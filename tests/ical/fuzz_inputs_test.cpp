// Every input the fuzzer ever kept: the seed corpus and each file that once crashed or broke a
// check, put through the same calendar exercise as under the fuzzer, now on this platform too.
#include "calendar_exercise.h"
#include "ical_test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> inputsIn(const char* folder) {
    std::vector<fs::path> files;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(
             fs::path(daybrook::ical::testing::testDataPath(std::string("fuzz/") + folder)), error))
        if (entry.is_regular_file() && entry.path().filename().string()[0] != '.')
            files.push_back(entry.path());
    return files;
}

std::string bytesOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void exerciseAll(const char* folder, size_t atLeast) {
    const std::vector<fs::path> files = inputsIn(folder);
    ASSERT_GE(files.size(), atLeast) << "inputs in tests/fuzz/" << folder;
    for (const fs::path& file : files)
        EXPECT_EQ("", daybrook::ical::fuzzing::exerciseCalendar(bytesOf(file)))
            << "every check holds for " << file.filename().string();
}

} // namespace

TEST(FuzzInputs, TheSeedCorpusPassesEveryCheck) {
    exerciseAll("corpus", 30);
}

TEST(FuzzInputs, EveryInputThatOnceFailedNowPasses) {
    exerciseAll("regressions", 0);
}

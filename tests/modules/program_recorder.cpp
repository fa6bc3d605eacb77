// A program that only records how it was started: its whole command line, one log line.
// It stands in for Agenda Fusion (at its registered "AppLocation") and for Pocket Informant's
// program.
#include "standin_log.h"

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    const WCHAR* commandLine = GetCommandLineW();
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, commandLine, -1, nullptr, 0, nullptr, nullptr);
    std::string line = "program ";
    if (bytes > 1) {
        std::string text(static_cast<size_t>(bytes), '\0');
        WideCharToMultiByte(CP_UTF8, 0, commandLine, -1, &text[0], bytes, nullptr, nullptr);
        text.resize(static_cast<size_t>(bytes - 1));
        line += text;
    }
    appendStandInLog(line.c_str());
    return 0;
}

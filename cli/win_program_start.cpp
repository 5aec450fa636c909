#include <windows.h>
//
#include <shellapi.h>

#include "cli/program_start.h"
#include "platform/win_text.h"

namespace torvane::cli {

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    ::SetConsoleOutputCP(CP_UTF8);
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!wide) return {argv, argv + argc};
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i) arguments.push_back(Utf8FromWide(wide[i]));
    ::LocalFree(wide);
    return arguments;
}

}  // namespace torvane::cli

// torvanectl: the scripting front-end of Torvane.

#include <iostream>

#include "cli/commands.h"
#include "cli/options.h"
#include "cli/printer.h"
#include "cli/program_start.h"

int main(int argc, char** argv) {
    using namespace torvane::cli;
    const std::vector<std::string> arguments = ProgramArguments(argc, argv);
    std::vector<const char*> args;
    for (const auto& argument : arguments) args.push_back(argument.c_str());
    std::string error;
    auto options = ParseOptions(static_cast<int>(args.size()), args.data(), error);
    if (!options) {
        // A script that asked for JSON gets its one object even here.
        Options asked;
        for (std::size_t i = 1; i < arguments.size(); ++i)
            asked.json = asked.json || arguments[i] == "--json";
        const Printer print{asked, std::cout, std::cerr};
        print.Fail({kExitUsage, error});
        std::cerr << UsageText();
        return kExitUsage;
    }
    if (options->help) {
        std::cout << UsageText();
        return kExitDone;
    }
    if (options->version) {
        std::cout << "torvanectl " << TORVANE_VERSION << "\n";
        return kExitDone;
    }
    return RunCommand(*options, std::cout, std::cerr);
}

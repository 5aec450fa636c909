// torvanectl: the scripting front-end of Torvane.

#include <iostream>

#include "cli/commands.h"
#include "cli/options.h"
#include "cli/printer.h"

int main(int argc, char** argv) {
    using namespace torvane::cli;
    std::string error;
    auto options = ParseOptions(argc, argv, error);
    if (!options) {
        // A script that asked for JSON gets its one object even here.
        Options asked;
        for (int i = 1; i < argc; ++i) asked.json = asked.json || std::string(argv[i]) == "--json";
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

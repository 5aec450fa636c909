// torvanectl: the scripting front-end of Torvane.

#include <iostream>

#include "cli/commands.h"
#include "cli/options.h"

int main(int argc, char** argv) {
    using namespace torvane::cli;
    std::string error;
    auto options = ParseOptions(argc, argv, error);
    if (!options) {
        std::cerr << "torvanectl: " << error << "\n" << UsageText();
        return kExitUsage;
    }
    if (options->help) {
        std::cout << UsageText();
        return kExitDone;
    }
    return RunCommand(*options, std::cout, std::cerr);
}

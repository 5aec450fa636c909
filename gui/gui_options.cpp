#include "gui/gui_options.h"

namespace torvane::gui {

bool ParseGuiOptions(const std::vector<std::string>& args, GuiOptions* options,
                     std::string* error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&](std::string* out) {
            if (i + 1 >= args.size()) {
                *error = arg + " needs a value";
                return false;
            }
            *out = args[++i];
            return true;
        };
        if (arg == "--help" || arg == "-h") {
            options->help = true;
        } else if (arg == "--demo") {
            options->demo = true;
        } else if (arg == "--front-panel") {
            options->frontPanel = true;
        } else if (arg == "--port") {
            std::string path;
            if (!value(&path)) return false;
            options->ports.push_back(path);
        } else if (arg == "--screenshots") {
            if (!value(&options->screenshots)) return false;
        } else {
            *error = "unknown option " + arg;
            return false;
        }
    }
    if (!options->screenshots.empty() && !options->demo) {
        *error = "--screenshots needs --demo";
        return false;
    }
    if (options->frontPanel && !options->demo) {
        *error = "--front-panel needs --demo";
        return false;
    }
    return true;
}

const char* GuiUsage() {
    return "Usage: torvane [--demo [--front-panel] [--screenshots DIR]] [--port PATH]...\n"
           "The window onto an 8x8 HDMI matrix switcher: connect over a serial port or\n"
           "TCP, route any input to any output, switch ARC, manage each input's EDID,\n"
           "upgrade firmware, and find switchers on the LAN and change their network\n"
           "settings.\n"
           "\n"
           "  --demo             start a simulated switcher inside the program (TCP on\n"
           "                     127.0.0.1, selected in the Switcher IP list; its serial\n"
           "                     port in the COM list)\n"
           "  --front-panel      with --demo: read the demo switcher's front panel on\n"
           "                     standard input, one command a line: route INPUT OUTPUT,\n"
           "                     arc OUTPUT on|off, power on|off, beep on|off, vanish S\n"
           "                     (its TCP port and serial port gone for S seconds)\n"
           "  --screenshots DIR  with --demo: visit each page and dialog, write their\n"
           "                     pictures into DIR as PNG files and exit\n"
           "  --port PATH        also list the serial device PATH (repeatable)\n"
           "  --help             show this text\n";
}

}  // namespace torvane::gui

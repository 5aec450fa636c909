#pragma once
// How torvanectl reports a command's end: readable text, or one JSON object
// with --json.

#include <ostream>
#include <string>

#include "cli/json.h"
#include "cli/options.h"
#include "cli/session.h"

namespace torvane::cli {

struct Printer {
    const Options& options;
    std::ostream& out;
    std::ostream& err;

    // The error goes to standard error in every case, and with --json also
    // as the one object on standard output.
    int Fail(const Outcome& outcome) const {
        if (options.json)
            out << JsonObject().Add("ok", "false").AddString("error", outcome.error).Text() << "\n";
        err << "torvanectl: " << outcome.error << "\n";
        return outcome.code;
    }
    int Done(const std::string& text) const {
        if (options.json)
            out << JsonObject().Add("ok", "true").Text() << "\n";
        else if (!text.empty())
            out << text << "\n";
        return kExitDone;
    }
};

}  // namespace torvane::cli

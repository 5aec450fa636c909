#pragma once
// How torvanectl reports a command's end: readable text, or one JSON object
// with --json. Every object carries "ok"; warnings met on the way (a message
// the window showed while connecting, an EDID file taken with a warning) go
// to standard error at once and into the object as "warnings".

#include <ostream>
#include <string>
#include <vector>

#include "cli/json.h"
#include "cli/options.h"
#include "cli/session.h"

namespace torvane::cli {

struct Printer {
    Printer(const Options& options, std::ostream& out, std::ostream& err)
        : options(options), out(out), err(err) {}

    const Options& options;
    std::ostream& out;
    std::ostream& err;

    void Warn(const std::string& warning) const {
        err << "torvanectl: warning: " << warning << "\n";
        warnings.push_back(warning);
    }
    // The error goes to standard error in every case, and with --json also
    // as the one object on standard output.
    int Fail(const Outcome& outcome, const JsonObject& state = {}) const {
        if (options.json)
            out << Finished(JsonObject()
                                .Add("ok", "false")
                                .AddString("error", outcome.error)
                                .Append(state))
                << "\n";
        err << "torvanectl: " << outcome.error << "\n";
        return outcome.code;
    }
    // `text` on standard output, or with --json "ok" and `state`, the state
    // the switcher confirmed.
    int Done(const std::string& text, const JsonObject& state = {}) const {
        if (options.json)
            out << Finished(JsonObject().Add("ok", "true").Append(state)) << "\n";
        else if (!text.empty())
            out << text << "\n";
        return kExitDone;
    }
    // The object of a successful command, "ok" first; for a command that
    // prints its own object.
    std::string Succeeded(const JsonObject& state) const {
        return Finished(JsonObject().Add("ok", "true").Append(state));
    }

    mutable std::vector<std::string> warnings;

  private:
    std::string Finished(JsonObject object) const {
        if (!warnings.empty()) object.Add("warnings", JsonStringArray(warnings));
        return object.Text();
    }
};

}  // namespace torvane::cli

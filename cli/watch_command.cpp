#include "cli/watch_command.h"

#include <cmath>
#include <limits>
#include <ostream>

#include "cli/printer.h"
#include "cli/session.h"
#include "cli/stop_signals.h"
#include "cli/watch_lines.h"

namespace torvane::cli {
namespace {

constexpr int kDefaultIntervalMs = 5000;
constexpr double kShortestIntervalS = 0.1;
constexpr double kLongestIntervalS = 3600;

// "--interval S" (S in seconds, fractions allowed), or nothing.
bool ParseInterval(const Options& options, int& intervalMs, std::string& error) {
    intervalMs = kDefaultIntervalMs;
    const auto& args = options.args;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] != "--interval" || !options.IsOptionAt(i)) {
            error = options.IsOptionAt(i) ? "unknown option " + args[i]
                                          : "watch takes no arguments but --interval S";
            return false;
        }
        if (i + 1 >= args.size()) {
            error = "--interval needs a number of seconds";
            return false;
        }
        const std::string& text = args[++i];
        std::size_t used = 0;
        double seconds = 0;
        try {
            seconds = std::stod(text, &used);
        } catch (const std::exception&) {
            used = 0;
        }
        if (used != text.size() || !std::isfinite(seconds) || seconds < kShortestIntervalS ||
            seconds > kLongestIntervalS) {
            error = "--interval takes seconds from 0.1 to 3600, not " + text;
            return false;
        }
        intervalMs = static_cast<int>(std::lround(seconds * 1000));
    }
    return true;
}

}  // namespace

int RunWatch(const Options& options, std::ostream& out, std::ostream& err) {
    const Printer print{options, out, err};
    int intervalMs = 0;
    std::string error;
    if (!ParseInterval(options, intervalMs, error)) return print.Fail({kExitUsage, error});

    Session session(options, err);
    const Completed<void> opened = session.OpenLink();
    for (const auto& note : opened.notes) print.Warn(note);
    if (!opened.result) return print.Fail(OutcomeOf(opened.result.error()));

    CTorvaneDlg& dlg = session.Dlg();
    const bool json = options.json;
    auto emit = [&out](const std::string& lines) { out << lines << std::flush; };
    bool stop = false;
    StopSignals signals(session.Loop(), [&stop] { stop = true; });

    // The whole state first, as the link opened found it.
    dlg.ReadStateNow(true);
    session.RunUntil([&] { return stop || !dlg.Reading().Busy(); },
                     std::numeric_limits<int>::max());
    if (stop) return kExitDone;
    emit(StateLines(dlg.State(), json));

    dlg.State().AddListener([&](const StateChange& change) { emit(ChangeLine(change, json)); });
    dlg.AddLinkListener(
        [&](LinkState) { emit(ConnectionLine(dlg.Supervisor(), session.Loop().Now(), json)); });
    dlg.SetSupervision({true, intervalMs, intervalMs});
    // After each reconnect, the state read again in full.
    TimeMs stateShown = dlg.Supervisor().StateReadAt();
    session.RunUntil(
        [&] {
            const TimeMs read = dlg.Supervisor().StateReadAt();
            if (read != stateShown) {
                stateShown = read;
                emit(StateLines(dlg.State(), json));
            }
            // Messages the window shows while nobody watches it wait for no one.
            for (const auto& message : session.TakeMessages()) print.Warn(message);
            return stop;
        },
        std::numeric_limits<int>::max());
    return kExitDone;
}

}  // namespace torvane::cli

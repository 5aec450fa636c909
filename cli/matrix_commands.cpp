#include "cli/matrix_commands.h"

#include <optional>
#include <ostream>

#include "cli/arguments.h"
#include "cli/json.h"

namespace torvane::cli {
namespace {

const char* ArcText(const std::optional<bool>& arc) {
    if (!arc) return "unknown";
    return *arc ? "on" : "off";
}

int PrintMatrix(const MatrixState& matrix, const Printer& print) {
    if (print.options.json) {
        JsonObject outputs;
        for (int o = 1; o <= 8; ++o) {
            const auto& input = matrix.input[o - 1];
            outputs.Add(OutputLetter(o), JsonObject()
                                             .Add("input", input ? std::to_string(*input) : "null")
                                             .AddString("arc", ArcText(matrix.arc[o - 1]))
                                             .Text());
        }
        print.out << print.Succeeded(JsonObject().Add("outputs", outputs.Text())) << "\n";
        return kExitDone;
    }
    for (int o = 1; o <= 8; ++o) {
        const auto& input = matrix.input[o - 1];
        print.out << "OUTPUT " << OutputLetter(o) << ": "
                  << (input ? "IN" + std::to_string(*input) : std::string("no input")) << ", ARC "
                  << ArcText(matrix.arc[o - 1]) << "\n";
    }
    return kExitDone;
}

int Route(Session& session, const Printer& print, int input, int output) {
    const auto routed = session.Run<void>(
        [&](Operations::Done<void> done) { session.Ops().Route(input, output, done); });
    if (!routed.result) return print.Fail(OutcomeOf(routed.result.error()));
    return print.Done(
        "OUTPUT " + OutputLetter(output) + ": IN" + std::to_string(input),
        JsonObject().AddString("output", OutputLetter(output)).Add("input", std::to_string(input)));
}

int Arc(Session& session, const Printer& print, int output, bool on) {
    const auto set = session.Run<ArcAcknowledgement>(
        [&](Operations::Done<ArcAcknowledgement> done) { session.Ops().Arc(output, on, done); });
    if (!set.result) return print.Fail(OutcomeOf(set.result.error()));
    const char* state = on ? "on" : "off";
    return print.Done(
        "OUTPUT " + OutputLetter(output) + ": ARC " + state,
        JsonObject().AddString("output", OutputLetter(output)).AddString("arc", state));
}

}  // namespace

bool IsMatrixCommand(const std::string& command) {
    return command == "matrix" || command == "route" || command == "arc";
}

std::string MatrixUsageError(const Options& options) {
    const auto& args = options.args;
    if (options.command == "matrix") return args.empty() ? "" : "matrix takes no arguments";
    if (options.command == "route") {
        if (args.size() != 2 || !ReadInput(args[0]) || !ReadOutput(args[1]))
            return "route needs INPUT 1-8 and OUTPUT A-H (or 1-8)";
        return "";
    }
    if (args.size() != 2 || !ReadOutput(args[0]) || !ReadOnOff(args[1]))
        return "arc needs OUTPUT A-H (or 1-8) and on or off";
    return "";
}

// Each command enters the Matrix page first, as the operator would: the
// page reads the routing of every output, then every ARC state.
int RunMatrixCommand(Session& session, const Printer& print) {
    const Options& options = print.options;
    if (options.command == "route")
        return Route(session, print, *ReadInput(options.args[0]), *ReadOutput(options.args[1]));
    if (options.command == "arc")
        return Arc(session, print, *ReadOutput(options.args[0]), *ReadOnOff(options.args[1]));
    const auto read = session.Run<MatrixState>(
        [&](Operations::Done<MatrixState> done) { session.Ops().ReadMatrix(done); });
    if (!read.result) return print.Fail(OutcomeOf(read.result.error()));
    return PrintMatrix(*read.result, print);
}

}  // namespace torvane::cli

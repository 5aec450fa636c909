#include "cli/matrix_commands.h"

#include <optional>
#include <ostream>

#include "cli/arguments.h"
#include "cli/json.h"
#include "pages/matrix_dlg.h"
#include "res/resource_ids.h"

namespace torvane::cli {
namespace {

// The page's own time-outs end every path (at most seven seconds a query,
// six a command); this is only a safety net.
constexpr int kPageLimitMs = 150000;

CMatrixDlg& MatrixPage(Session& session) { return session.App().MatrixPage(); }

// Runs `action` and waits until the page and the main window have nothing
// left to wait for; the first message shown meanwhile is the failure.
Outcome ActOnPage(Session& session, const std::function<void()>& action) {
    CTorvaneDlg& dlg = session.Dlg();
    CMatrixDlg& page = MatrixPage(session);
    session.TakeMessages();
    action();
    std::vector<std::string> messages;
    session.RunUntil(
        [&] {
            for (auto& m : session.TakeMessages()) messages.push_back(m);
            if (!messages.empty()) return session.Settled();
            return session.Quiet() && !page.AwaitingSwitcher() && !dlg.PageEntryPending();
        },
        kPageLimitMs);
    if (session.LinkLost()) return session.LinkLostOutcome();
    if (!messages.empty()) return {kExitDeviceFailure, messages.front()};
    if (!session.Quiet() || page.AwaitingSwitcher()) return {kExitDeviceFailure, "Time out!"};
    return {};
}

// Clicks the "Matrix" label and waits for the page's whole refresh: the
// routing of every output, then every ARC state.
Outcome EnterMatrixPage(Session& session) {
    CTorvaneDlg& dlg = session.Dlg();
    const Rect label = dlg.Controls().At(res::kMatrixLabel).rect;
    return ActOnPage(session, [&] {
        dlg.PressAt({label.x + label.width / 2, label.y + label.height / 2});
    });
}

// The input whose button is checked on `output`, as the page shows it.
std::optional<int> ShownInput(const ControlTable& ui, int output) {
    for (int i = 1; i <= 8; ++i)
        if (ui.Checked(res::kMatrixOutputs[output - 1].inputs[i - 1])) return i;
    return std::nullopt;
}

const char* ShownArc(const ControlTable& ui, int output) {
    const auto& ids = res::kMatrixOutputs[output - 1];
    if (ui.Checked(ids.arcOn)) return "on";
    if (ui.Checked(ids.arcOff)) return "off";
    return "unknown";
}

int PrintMatrix(Session& session, const Printer& print) {
    const ControlTable& ui = MatrixPage(session).Controls();
    if (print.options.json) {
        JsonObject outputs;
        for (int o = 1; o <= 8; ++o) {
            const auto input = ShownInput(ui, o);
            outputs.Add(OutputLetter(o), JsonObject()
                                             .Add("input", input ? std::to_string(*input) : "null")
                                             .AddString("arc", ShownArc(ui, o))
                                             .Text());
        }
        print.out << print.Succeeded(JsonObject().Add("outputs", outputs.Text())) << "\n";
        return kExitDone;
    }
    for (int o = 1; o <= 8; ++o) {
        const auto input = ShownInput(ui, o);
        print.out << "OUTPUT " << OutputLetter(o) << ": "
                  << (input ? "IN" + std::to_string(*input) : std::string("no input")) << ", ARC "
                  << ShownArc(ui, o) << "\n";
    }
    return kExitDone;
}

// Clicks the input button and succeeds when the switcher's acknowledgement
// has checked it (the acknowledgement names neither: the page shows the
// route it sent).
int Route(Session& session, const Printer& print, int input, int output) {
    CMatrixDlg& page = MatrixPage(session);
    const int id = res::kMatrixOutputs[output - 1].inputs[input - 1];
    Outcome outcome = ActOnPage(session, [&] { page.Click(id); });
    if (!outcome.Ok()) return print.Fail(outcome);
    if (!page.Controls().Checked(id)) return print.Fail({kExitDeviceFailure, "Time out!"});
    return print.Done(
        "OUTPUT " + OutputLetter(output) + ": IN" + std::to_string(input),
        JsonObject().AddString("output", OutputLetter(output)).Add("input", std::to_string(input)));
}

std::string ArcAcknowledgementText(const CMatrixDlg::ArcAcknowledgement& ack) {
    const std::string named =
        ack.output >= 1 && ack.output <= 8 ? "output " + OutputLetter(ack.output) : "no output";
    return std::string("the switcher acknowledged ARC ") + (ack.on ? "on" : "off") + " for " +
           named;
}

// Clicks the ARC box and succeeds only when the switcher acknowledged
// exactly that state for exactly that output; an acknowledgement of another
// is reported as what it said.
int Arc(Session& session, const Printer& print, int output, bool on) {
    CMatrixDlg& page = MatrixPage(session);
    const auto& ids = res::kMatrixOutputs[output - 1];
    Outcome outcome = ActOnPage(session, [&] { page.Click(on ? ids.arcOn : ids.arcOff); });
    const auto& ack = page.LastArcAcknowledgement();
    const bool confirmed = ack && ack->output == output && ack->on == on;
    if (ack && !confirmed && !session.LinkLost())
        return print.Fail({kExitDeviceFailure, ArcAcknowledgementText(*ack)});
    if (!outcome.Ok()) return print.Fail(outcome);
    if (!confirmed) return print.Fail({kExitDeviceFailure, "Time out!"});
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

int RunMatrixCommand(Session& session, const Printer& print) {
    Outcome entered = EnterMatrixPage(session);
    if (!entered.Ok()) return print.Fail(entered);
    const Options& options = print.options;
    if (options.command == "matrix") return PrintMatrix(session, print);
    if (options.command == "route")
        return Route(session, print, *ReadInput(options.args[0]), *ReadOutput(options.args[1]));
    return Arc(session, print, *ReadOutput(options.args[0]), *ReadOnOff(options.args[1]));
}

}  // namespace torvane::cli

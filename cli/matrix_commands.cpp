#include "cli/matrix_commands.h"

#include <optional>
#include <ostream>

#include "cli/json.h"
#include "pages/matrix_dlg.h"
#include "res/resource_ids.h"

namespace torvane::cli {
namespace {

// The page's own time-outs end every path (at most seven seconds a query,
// six a command); this is only a safety net.
constexpr int kPageLimitMs = 150000;

// "3" -> 3 for a number from 1 to 8.
std::optional<int> PortNumber(const std::string& text) {
    if (text.size() != 1 || text[0] < '1' || text[0] > '8') return std::nullopt;
    return text[0] - '0';
}

// An output as A-H, a-h or 1-8.
std::optional<int> OutputNumber(const std::string& text) {
    if (text.size() == 1 && text[0] >= 'A' && text[0] <= 'H') return text[0] - 'A' + 1;
    if (text.size() == 1 && text[0] >= 'a' && text[0] <= 'h') return text[0] - 'a' + 1;
    return PortNumber(text);
}

std::string OutputLetter(int output) { return std::string(1, static_cast<char>('A' + output - 1)); }

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
        print.out << JsonObject().Add("outputs", outputs.Text()).Text() << "\n";
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

// Clicks the page's control `id` and succeeds when the switcher's
// acknowledgement has checked it.
int ClickOnPage(Session& session, const Printer& print, int id, const std::string& done) {
    CMatrixDlg& page = MatrixPage(session);
    Outcome outcome = ActOnPage(session, [&] { page.Click(id); });
    if (!outcome.Ok()) return print.Fail(outcome);
    if (!page.Controls().Checked(id)) return print.Fail({kExitDeviceFailure, "Time out!"});
    return print.Done(done);
}

}  // namespace

bool IsMatrixCommand(const std::string& command) {
    return command == "matrix" || command == "route" || command == "arc";
}

std::string MatrixUsageError(const Options& options) {
    const auto& args = options.args;
    if (options.command == "matrix") return args.empty() ? "" : "matrix takes no arguments";
    if (options.command == "route") {
        if (args.size() != 2 || !PortNumber(args[0]) || !OutputNumber(args[1]))
            return "route needs INPUT 1-8 and OUTPUT A-H (or 1-8)";
        return "";
    }
    if (args.size() != 2 || !OutputNumber(args[0]) || (args[1] != "on" && args[1] != "off"))
        return "arc needs OUTPUT A-H (or 1-8) and on or off";
    return "";
}

int RunMatrixCommand(Session& session, const Printer& print) {
    Outcome entered = EnterMatrixPage(session);
    if (!entered.Ok()) return print.Fail(entered);
    const Options& options = print.options;
    if (options.command == "matrix") return PrintMatrix(session, print);
    if (options.command == "route") {
        const int input = *PortNumber(options.args[0]);
        const int output = *OutputNumber(options.args[1]);
        return ClickOnPage(session, print, res::kMatrixOutputs[output - 1].inputs[input - 1],
                           "OUTPUT " + OutputLetter(output) + ": IN" + std::to_string(input));
    }
    const int output = *OutputNumber(options.args[0]);
    const bool on = options.args[1] == "on";
    const auto& ids = res::kMatrixOutputs[output - 1];
    return ClickOnPage(session, print, on ? ids.arcOn : ids.arcOff,
                       "OUTPUT " + OutputLetter(output) + ": ARC " + options.args[1]);
}

}  // namespace torvane::cli

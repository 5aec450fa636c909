#include "cli/edid_commands.h"

#include <cctype>
#include <charconv>
#include <ostream>

#include "pages/edid_dlg.h"
#include "pages/edid_file.h"
#include "pages/edid_texts.h"
#include "res/edid_page_ids.h"
#include "res/resource_ids.h"

namespace torvane::cli {
namespace {

// The page's own timers end every path (at most 7 s for a set operation,
// 7 s plus 6 s per input for the list); this is only a safety net.
constexpr int kEdidLimitMs = 60000;
constexpr const char* kSetDone = "Set successfully!";

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::optional<int> Number(const std::string& text, int min, int max) {
    int value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < min || value > max)
        return std::nullopt;
    return value;
}

// "1" to "8" or "all": the position in the page's input selectors.
std::optional<int> InputIndex(const std::string& text) {
    if (Lower(text) == "all") return kAllInputsIndex;
    if (auto n = Number(text, 1, 8)) return *n - 1;
    return std::nullopt;
}

// "A" to "H" or "1" to "8".
std::optional<int> OutputIndex(const std::string& text) {
    if (text.size() == 1) {
        const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
        if (c >= 'A' && c <= 'H') return c - 'A';
    }
    if (auto n = Number(text, 1, 8)) return *n - 1;
    return std::nullopt;
}

CEDIDDlg& EdidPage(Session& session) { return session.App().EdidPage(); }

// Loads the file through the page's "..." button, as the operator would.
Outcome OpenFile(Session& session, CEDIDDlg& page, const std::string& path) {
    session.TakeMessages();
    page.Click(res::kOpenEdidButton);
    if (!page.PendingFileChoice()) return {kExitDeviceFailure, "the EDID page is busy"};
    page.AnswerFileChoice(path);
    if (!page.FileError().empty()) return {kExitUsage, path + ": " + page.FileError()};
    session.RunUntil([&] { return session.Settled(); }, kEdidLimitMs);
    auto messages = session.TakeMessages();
    if (!messages.empty()) return {kExitUsage, messages.front()};
    return {};
}

int Set(Session& session, CEDIDDlg& page, int button, const Printer& print) {
    Outcome outcome = session.ClickAndWait(page, button, kEdidLimitMs);
    if (!outcome.Ok()) return print.Fail(outcome);
    // Success and refusal both show in the busy dialog, not as a message.
    const std::string result = session.Dlg().Busy().BusyText();
    if (result != kSetDone) return print.Fail({kExitDeviceFailure, result});
    return print.Done(result);
}

int List(CEDIDDlg& page, const Printer& print) {
    const auto& ui = page.Controls();
    if (print.options.json) {
        JsonObject inputs;
        for (int k = 0; k < 8; ++k)
            inputs.AddString(std::to_string(k + 1), ui.Text(res::kEdidValueLabels[k]));
        print.out << JsonObject().Add("inputs", inputs.Text()).Text() << "\n";
        return kExitDone;
    }
    for (int k = 0; k < 8; ++k)
        print.out << ui.Text(res::kEdidNameLabels[k]) << " " << ui.Text(res::kEdidValueLabels[k])
                  << "\n";
    return kExitDone;
}

}  // namespace

std::optional<EdidRequest> ParseEdidRequest(const std::vector<std::string>& args,
                                            Outcome& refused) {
    auto usage = [&](const std::string& error) -> std::optional<EdidRequest> {
        refused = {kExitUsage, error};
        return std::nullopt;
    };
    const std::string action = args.empty() ? "" : args[0];
    EdidRequest request;
    if (action == "list") {
        if (args.size() != 1) return usage("edid list takes no arguments");
        return request;
    }
    if (args.size() != 3)
        return usage("edid needs preset N INPUT, copy OUTPUT INPUT, file PATH INPUT or list");
    auto input = InputIndex(args[2]);
    if (!input) return usage("bad input " + args[2] + ": 1 to 8 or all");
    request.inputIndex = *input;
    if (action == "preset") {
        auto preset = Number(args[1], 1, kEdidPresetCount);
        if (!preset) return usage("bad preset " + args[1] + ": 1 to 15");
        request.action = EdidRequest::kPreset;
        request.preset = *preset - 1;
        return request;
    }
    if (action == "copy") {
        auto output = OutputIndex(args[1]);
        if (!output) return usage("bad output " + args[1] + ": A to H or 1 to 8");
        request.action = EdidRequest::kCopy;
        request.output = *output;
        return request;
    }
    if (action == "file") {
        // Judged before the link opens, so a bad file sends nothing.
        auto file = LoadEdidFile(args[1]);
        if (!file && file.error().kind == Error::Kind::kSystem)
            return usage(args[1] + ": " + file.error().message);
        if (!file) return usage(file.error().message);
        request.action = EdidRequest::kFile;
        request.path = args[1];
        return request;
    }
    return usage("unknown edid action " + action);
}

int RunEdid(Session& session, const EdidRequest& request, const Printer& print) {
    Outcome entered = session.EnterPage(res::kEdidLabel, kEdidLimitMs);
    if (!entered.Ok()) return print.Fail(entered);
    CEDIDDlg& page = EdidPage(session);
    switch (request.action) {
        case EdidRequest::kList:
            return List(page, print);
        case EdidRequest::kPreset:
            page.Select(res::kPresetList, request.preset);
            page.Select(res::kPresetInputList, request.inputIndex);
            return Set(session, page, res::kPresetSetButton, print);
        case EdidRequest::kCopy:
            page.Select(res::kCopyOutputList, request.output);
            page.Select(res::kCopyInputList, request.inputIndex);
            return Set(session, page, res::kCopySetButton, print);
        case EdidRequest::kFile: {
            Outcome opened = OpenFile(session, page, request.path);
            if (!opened.Ok()) return print.Fail(opened);
            page.Select(res::kFileInputList, request.inputIndex);
            return Set(session, page, res::kFileSetButton, print);
        }
    }
    return kExitUsage;
}

}  // namespace torvane::cli

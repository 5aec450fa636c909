#include "cli/edid_commands.h"

#include <ostream>

#include "cli/arguments.h"
#include "cli/standard_input.h"
#include "pages/edid_decode.h"
#include "pages/edid_texts.h"
#include "res/edid_page_ids.h"

namespace torvane::cli {
namespace {

constexpr const char* kSetDone = "Set successfully!";
constexpr const char* kStandardInput = kStandardInputName;
// A pipe that never ends its file holds the command no longer than this.
constexpr int kStandardInputLimitMs = 5000;

// What the path box and the messages call the file.
std::string ShownName(const std::string& name) {
    return name == kStandardInput ? "standard input" : name;
}

// Reads the file (or standard input) as the page would.
Result<std::vector<std::uint8_t>> ReadEdid(const std::string& name) {
    if (name != kStandardInput) return ReadEdidFile(name);
    StandardInputRead read = ReadStandardInput(kEdidReadLimit + 1, kStandardInputLimitMs);
    if (!read.error.empty()) return SystemError(read.error);
    return std::move(read.bytes);
}

// Each input's text and code as the list shows them, for `inputs` (1 to 8).
JsonObject ListJson(const EdidInputs& list, const std::vector<int>& inputs) {
    JsonObject texts, codes;
    for (int n : inputs) {
        texts.AddString(std::to_string(n), list.texts[n - 1]);
        const int code = list.codes[n - 1];
        codes.Add(std::to_string(n), code < 0 ? "null" : std::to_string(code));
    }
    return JsonObject().Add("inputs", texts.Text()).Add("codes", codes.Text());
}

std::vector<int> AllInputs() { return {1, 2, 3, 4, 5, 6, 7, 8}; }

int List(const EdidInputs& list, const Printer& print) {
    if (print.options.json) {
        print.out << print.Succeeded(ListJson(list, AllInputs())) << "\n";
        return kExitDone;
    }
    for (int k = 0; k < 8; ++k) print.out << list.names[k] << " " << list.texts[k] << "\n";
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
    if (action == "check") {
        if (args.size() != 2) return usage("edid check needs one EDID file");
        request.action = EdidRequest::kCheck;
        request.name = args[1];
        auto read = ReadEdid(request.name);
        if (!read) return usage(ShownName(request.name) + ": " + read.error().message);
        request.bytes = std::move(*read);
        return request;
    }
    if (args.size() != 3)
        return usage(
            "edid needs preset N INPUT, copy OUTPUT INPUT, file PATH INPUT, check PATH or list");
    auto input = ReadInputOrAll(args[2]);
    if (!input) return usage("bad input " + args[2] + ": 1 to 8 or all");
    request.inputIndex = *input == 0 ? kAllInputsIndex : *input - 1;
    if (action == "preset") {
        auto preset = ReadNumber(args[1], 1, kEdidPresetCount);
        if (!preset) return usage("bad preset " + args[1] + ": 1 to 15");
        request.action = EdidRequest::kPreset;
        request.preset = *preset - 1;
        return request;
    }
    if (action == "copy") {
        auto output = ReadOutput(args[1]);
        if (!output) return usage("bad output " + args[1] + ": A to H or 1 to 8");
        request.action = EdidRequest::kCopy;
        request.output = *output - 1;
        return request;
    }
    if (action == "file") {
        // Judged before the link opens, so a bad file sends nothing.
        request.action = EdidRequest::kFile;
        request.name = args[1];
        auto read = ReadEdid(request.name);
        const std::string shown = ShownName(request.name);
        if (!read) return usage(shown + ": " + read.error().message);
        request.bytes = std::move(*read);
        const auto file = CheckEdidBytes(request.bytes);
        if (!file) return usage(BadEdidFileMessage(shown, file.error().message));
        if (!file->warning.empty()) request.warning = shown + ": " + file->warning;
        return request;
    }
    return usage("unknown edid action " + action);
}

int CheckEdid(const EdidRequest& request, const Printer& print) {
    const auto& bytes = request.bytes;
    const auto decoded = DecodeEdid(bytes.data(), bytes.size());
    const auto file = CheckEdidBytes(bytes);
    const bool accepted = file.ok();
    const std::string verdict =
        accepted ? "accepted" : BadEdidFileMessage(ShownName(request.name), file.error().message);
    const std::string warning = accepted ? file->warning : "";
    JsonObject fields;
    std::string text;
    if (decoded) {
        const DecodedEdid& d = *decoded;
        const std::string made =
            d.modelYear ? "model year " + std::to_string(d.year)
            : d.week    ? "week " + std::to_string(d.week) + " of " + std::to_string(d.year)
                        : std::to_string(d.year);
        std::string extensions;
        for (const auto& type : d.extensions) extensions += (extensions.empty() ? "" : ", ") + type;
        const std::string mode = d.preferredMode ? EdidModeText(*d.preferredMode) : "none";
        text = "Manufacturer: " + d.manufacturer +
               "\nProduct code: " + std::to_string(d.productCode) +
               "\nSerial number: " + std::to_string(d.serial) + "\nMade: " + made +
               "\nEDID version: " + std::to_string(d.version) + "." + std::to_string(d.revision) +
               "\nMonitor name: " + (d.monitorName.empty() ? "none" : d.monitorName) +
               "\nPreferred mode: " + mode +
               "\nExtension blocks: " + std::to_string(d.extensions.size()) +
               (extensions.empty() ? "" : " (" + extensions + ")") + "\n";
        JsonObject modeJson;
        if (d.preferredMode)
            modeJson.Add("width", std::to_string(d.preferredMode->width))
                .Add("height", std::to_string(d.preferredMode->height))
                .Add("interlaced", d.preferredMode->interlaced ? "true" : "false")
                .Add("pixel_clock_khz", std::to_string(d.preferredMode->pixelClockKHz))
                .AddString("text", mode);
        fields.AddString("manufacturer", d.manufacturer)
            .Add("product_code", std::to_string(d.productCode))
            .Add("serial", std::to_string(d.serial))
            .Add("week", std::to_string(d.week))
            .Add("year", std::to_string(d.year))
            .Add("model_year", d.modelYear ? "true" : "false")
            .AddString("monitor_name", d.monitorName)
            .Add("preferred_mode", d.preferredMode ? modeJson.Text() : "null")
            .Add("extensions", JsonStringArray(d.extensions));
    }
    if (!warning.empty()) fields.AddString("warning", warning);
    if (print.options.json) {
        fields.Add("accepted", accepted ? "true" : "false");
        if (accepted) {
            print.out << print.Succeeded(fields) << "\n";
        } else {
            print.out
                << JsonObject().Add("ok", "false").AddString("error", verdict).Append(fields).Text()
                << "\n";
            print.err << "torvanectl: " << verdict << "\n";
        }
        return accepted ? kExitDone : kExitUsage;
    }
    print.out << text;
    if (!accepted) {
        print.out << "Verdict: refused\n";
        print.err << "torvanectl: " << verdict << "\n";
        return kExitUsage;
    }
    print.out << "Verdict: accepted" << (warning.empty() ? "" : ", with a warning") << "\n";
    return kExitDone;
}

int RunEdid(Session& session, const EdidRequest& request, const Printer& print) {
    Operations& ops = session.Ops();
    const auto done = session.Run<EdidInputs>([&](Operations::Done<EdidInputs> then) {
        switch (request.action) {
            case EdidRequest::kList:
            case EdidRequest::kCheck:
                return ops.ReadEdid(then);
            case EdidRequest::kPreset:
                return ops.SetEdidPreset(request.preset, request.inputIndex, then);
            case EdidRequest::kCopy:
                return ops.CopyEdid(request.output, request.inputIndex, then);
            case EdidRequest::kFile:
                return ops.WriteEdidFile(request.name, CheckEdidBytes(request.bytes),
                                         request.inputIndex, then);
        }
    });
    if (!done.result) return print.Fail(OutcomeOf(done.result.error()));
    if (request.action == EdidRequest::kList) return List(*done.result, print);
    const std::vector<int> inputs = request.inputIndex == kAllInputsIndex
                                        ? AllInputs()
                                        : std::vector<int>{request.inputIndex + 1};
    return print.Done(kSetDone, ListJson(*done.result, inputs));
}

}  // namespace torvane::cli

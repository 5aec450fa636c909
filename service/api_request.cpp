#include "service/api_request.h"

#include <nlohmann/json.hpp>

#include "pages/device_text.h"
#include "pages/edid_texts.h"

namespace torvane::service {
namespace {

using nlohmann::json;

const std::vector<ApiRoute> kRoutes = {
    {"GET", "/api/state", ApiAction::kState, false, false},
    {"GET", "/api/health", ApiAction::kHealth, false, false},
    {"GET", "/api/openapi.json", ApiAction::kOpenApi, false, false},
    {"GET", "/api/events", ApiAction::kEvents, false, false},
    {"GET", "/api/status", ApiAction::kStatus, true, false},
    {"GET", "/api/matrix", ApiAction::kMatrix, true, false},
    {"POST", "/api/route", ApiAction::kRoute, true, true},
    {"POST", "/api/arc", ApiAction::kArc, true, true},
    {"POST", "/api/power", ApiAction::kPower, true, true},
    {"POST", "/api/beep", ApiAction::kBeep, true, true},
    {"POST", "/api/reboot", ApiAction::kReboot, true, true},
    {"POST", "/api/factory-reset", ApiAction::kFactoryReset, true, true},
    {"GET", "/api/edid", ApiAction::kEdidList, true, false},
    {"POST", "/api/edid/preset", ApiAction::kEdidPreset, true, true},
    {"POST", "/api/edid/copy", ApiAction::kEdidCopy, true, true},
    {"POST", "/api/edid/file", ApiAction::kEdidFile, true, true},
    {"GET", "/api/info", ApiAction::kInfo, true, false},
    {"POST", "/api/text", ApiAction::kDeviceText, true, true},
    {"GET", "/api/names", ApiAction::kNames, true, false},
    {"POST", "/api/names", ApiAction::kSetName, true, true},
    {"GET", "/api/presets", ApiAction::kPresets, true, false},
    {"POST", "/api/presets", ApiAction::kSavePreset, true, true},
    {"POST", "/api/presets/apply", ApiAction::kApplyPreset, true, true},
    {"POST", "/api/presets/delete", ApiAction::kDeletePreset, true, true},
};

struct Refused {
    ApiRefusal refusal;
};

[[noreturn]] void Refuse(std::string message) { throw Refused{{400, std::move(message)}}; }

// A port as a number, a digit string, a letter (outputs) or a name.
int ReadPort(const json& body, const char* field, bool output, const PortNames& names,
             bool allowAll = false) {
    if (!body.contains(field)) Refuse(std::string("missing \"") + field + "\"");
    const json& v = body[field];
    const char* range =
        output ? "A to H, 1 to 8 or an output's name"
               : (allowAll ? "1 to 8, \"all\" or an input's name" : "1 to 8 or an input's name");
    auto bad = [&]() -> int { Refuse(std::string("bad ") + field + ": " + range); };
    if (v.is_number_integer()) {
        const auto n = v.get<long long>();
        if (n < 1 || n > 8) bad();
        return static_cast<int>(n);
    }
    if (!v.is_string()) bad();
    const std::string text = v.get<std::string>();
    if (allowAll && (text == "all" || text == "ALL" || text == "All")) return 0;
    auto port = profile::ReadPort(output ? profile::PortKind::kOutput : profile::PortKind::kInput,
                                  text, output ? names.outputs : names.inputs);
    if (!port) Refuse(port.error().message);
    return *port;
}

std::string ReadName(const json& body, bool mayBeEmpty) {
    if (!body.contains("name")) Refuse("missing \"name\"");
    const json& v = body["name"];
    if (mayBeEmpty && v.is_null()) return "";
    if (!v.is_string()) Refuse("bad name: a string");
    const std::string name = v.get<std::string>();
    if (auto problem = profile::NameProblem(name, "the name", mayBeEmpty); !problem.empty())
        Refuse(problem);
    return name;
}

bool ReadOnOff(const json& body, const char* field) {
    if (!body.contains(field)) Refuse(std::string("missing \"") + field + "\"");
    const json& v = body[field];
    if (v.is_boolean()) return v.get<bool>();
    if (v.is_string() && (v == "on" || v == "off")) return v == "on";
    Refuse(std::string("bad ") + field + ": true, false, \"on\" or \"off\"");
}

json ReadBody(const HttpRequest& request, std::initializer_list<const char*> fields) {
    if (request.body.empty()) {
        if (fields.size() == 0) return json::object();
        Refuse("the body must be a JSON object");
    }
    json body = json::parse(request.body, nullptr, false);
    if (body.is_discarded() || !body.is_object()) Refuse("the body must be a JSON object");
    for (const auto& [key, value] : body.items()) {
        bool known = false;
        for (const char* f : fields) known = known || key == f;
        if (!known) Refuse("unknown field \"" + key + "\"");
    }
    return body;
}

void ReadArguments(const HttpRequest& request, const PortNames& names, ApiCall& call) {
    switch (call.action) {
        case ApiAction::kRoute: {
            const json body = ReadBody(request, {"input", "output"});
            call.output = ReadPort(body, "output", true, names);
            call.input = ReadPort(body, "input", false, names);
            return;
        }
        case ApiAction::kArc: {
            const json body = ReadBody(request, {"output", "on"});
            call.output = ReadPort(body, "output", true, names);
            call.on = ReadOnOff(body, "on");
            return;
        }
        case ApiAction::kPower:
        case ApiAction::kBeep:
            call.on = ReadOnOff(ReadBody(request, {"on"}), "on");
            return;
        case ApiAction::kReboot:
            ReadBody(request, {});
            return;
        case ApiAction::kFactoryReset: {
            const json body = ReadBody(request, {"confirm"});
            if (!body.contains("confirm") || body["confirm"] != true)
                Refuse("a factory reset needs \"confirm\": true");
            return;
        }
        case ApiAction::kEdidPreset: {
            const json body = ReadBody(request, {"preset", "input"});
            const json preset = body.contains("preset") ? body["preset"] : json();
            if (!preset.is_number_integer() || preset.get<long long>() < 1 ||
                preset.get<long long>() > kEdidPresetCount)
                Refuse("bad preset: 1 to 15");
            call.presetIndex = preset.get<int>() - 1;
            const int input = ReadPort(body, "input", false, names, true);
            call.inputIndex = input == 0 ? kAllInputsIndex : input - 1;
            return;
        }
        case ApiAction::kEdidCopy: {
            const json body = ReadBody(request, {"output", "input"});
            call.output = ReadPort(body, "output", true, names);
            const int input = ReadPort(body, "input", false, names, true);
            call.inputIndex = input == 0 ? kAllInputsIndex : input - 1;
            return;
        }
        case ApiAction::kEdidFile: {
            // The file is the body itself; the input is in the query.
            auto it = request.query.find("input");
            if (it == request.query.end()) Refuse("missing ?input= (1 to 8 or all)");
            const int input = ReadPort(json{{"input", it->second}}, "input", false, names, true);
            call.inputIndex = input == 0 ? kAllInputsIndex : input - 1;
            auto file = CheckEdidBytes({request.body.begin(), request.body.end()});
            if (!file) Refuse(BadEdidFileMessage("the request body", file.error().message));
            call.file = std::move(*file);
            return;
        }
        case ApiAction::kDeviceText: {
            const json body = ReadBody(request, {"text"});
            if (!body.contains("text") || !body["text"].is_string())
                Refuse("missing \"text\" (a string)");
            call.text = body["text"].get<std::string>();
            if (Status fits = CheckDeviceText(call.text); !fits) Refuse(fits.error().message);
            return;
        }
        case ApiAction::kSetName: {
            const json body = ReadBody(request, {"input", "output", "name"});
            if (body.contains("input") == body.contains("output"))
                Refuse("give either \"input\" or \"output\"");
            const bool output = body.contains("output");
            call.kind = output ? profile::PortKind::kOutput : profile::PortKind::kInput;
            call.port = ReadPort(body, output ? "output" : "input", output, names);
            call.name = ReadName(body, true);
            return;
        }
        case ApiAction::kSavePreset: {
            const json body = ReadBody(request, {"name", "outputs"});
            call.name = ReadName(body, false);
            if (!body.contains("outputs")) return;
            if (!body["outputs"].is_array() || body["outputs"].empty())
                Refuse("bad outputs: a list of outputs");
            for (const json& output : body["outputs"])
                call.outputs.push_back(ReadPort(json{{"output", output}}, "output", true, names));
            return;
        }
        case ApiAction::kApplyPreset:
        case ApiAction::kDeletePreset:
            call.name = ReadName(ReadBody(request, {"name"}), false);
            return;
        default:
            // Reads take no body.
            if (!request.body.empty()) Refuse("this request takes no body");
            return;
    }
}

}  // namespace

const std::vector<ApiRoute>& ApiRoutes() { return kRoutes; }

std::variant<ApiCall, ApiRefusal> ReadApiCall(const HttpRequest& request, const PortNames& names) {
    const ApiRoute* found = nullptr;
    bool pathKnown = false;
    for (const auto& route : kRoutes) {
        if (request.path != route.path) continue;
        pathKnown = true;
        if (request.method == route.method) found = &route;
    }
    if (!pathKnown) return ApiRefusal{404, "no such resource: " + request.path};
    if (!found) return ApiRefusal{405, request.method + " is not allowed on " + request.path};
    ApiCall call;
    call.action = found->action;
    call.path = found->path;
    call.queued = found->queued;
    call.changes = found->changes;
    try {
        ReadArguments(request, names, call);
    } catch (const Refused& refused) {
        return refused.refusal;
    }
    return call;
}

}  // namespace torvane::service

#include "profile/profile_json.h"

#include <nlohmann/json.hpp>

namespace torvane::profile {
namespace {

using Json = nlohmann::json;

constexpr const char* kProfileFormat = "torvane profile";
constexpr const char* kPresetsFormat = "torvane presets";
constexpr int kVersion = 1;
// Deeper than any valid file nests; stops a hostile file from making the
// parser's work grow with its depth.
constexpr int kMaxDepth = 8;

// A JSON value that is not what the layout says: the message names where.
struct Invalid {
    std::string message;
};

std::string OutputKey(int output) { return std::string(1, static_cast<char>('A' + output - 1)); }

const Json& Object(const Json& value, const std::string& where) {
    if (!value.is_object()) throw Invalid{where + " must be a JSON object"};
    return value;
}

void OnlyKeys(const Json& object, std::initializer_list<const char*> known,
              const std::string& where) {
    for (const auto& [key, value] : object.items()) {
        bool listed = false;
        for (const char* k : known) listed = listed || key == k;
        if (!listed) throw Invalid{"unknown key \"" + key + "\" in " + where};
    }
}

void CheckHeader(const Json& root, const char* format) {
    Object(root, "the file");
    if (!root.contains("format") || root["format"] != format)
        throw Invalid{std::string("\"format\" must be \"") + format + "\""};
    if (!root.contains("version") || !root["version"].is_number_integer() ||
        root["version"] != kVersion)
        throw Invalid{"\"version\" must be " + std::to_string(kVersion) +
                      " (a file from another version of Torvane?)"};
}

std::string Name(const Json& value, const std::string& what, bool mayBeEmpty) {
    if (!value.is_string()) throw Invalid{what + " must be a string"};
    const auto& text = value.get_ref<const std::string&>();
    if (auto problem = NameProblem(text, what, mayBeEmpty); !problem.empty())
        throw Invalid{problem};
    return text;
}

// {"1": "Apple TV", ...} or {"A": "Projector", ...}
std::array<std::string, kPorts> Names(const Json& object, PortKind kind) {
    const bool inputs = kind == PortKind::kInput;
    Object(object, inputs ? "\"inputs\"" : "\"outputs\"");
    std::array<std::string, kPorts> names;
    for (const auto& [key, value] : object.items()) {
        int port = 0;
        for (int p = 1; p <= kPorts; ++p)
            if (key == (inputs ? std::to_string(p) : OutputKey(p))) port = p;
        if (port == 0)
            throw Invalid{std::string(inputs ? "\"inputs\" are \"1\" to \"8\""
                                             : "\"outputs\" are \"A\" to \"H\"") +
                          ", not \"" + key + "\""};
        names[static_cast<std::size_t>(port - 1)] =
            Name(value, "the name of " + PortLabel(kind, port), true);
    }
    return names;
}

Preset ReadPreset(const Json& object, const std::string& name) {
    const std::string where = "preset \"" + name + "\"";
    Object(object, where);
    Preset preset;
    for (const auto& [key, value] : object.items()) {
        int output = 0;
        for (int p = 1; p <= kPorts; ++p)
            if (key == OutputKey(p)) output = p;
        if (output == 0) throw Invalid{where + ": outputs are \"A\" to \"H\", not \"" + key + "\""};
        const std::string at = where + ", output " + key;
        Object(value, at);
        OnlyKeys(value, {"input", "arc"}, at);
        OutputSetting setting;
        if (!value.contains("input") || !value["input"].is_number_integer() || value["input"] < 1 ||
            value["input"] > kPorts)
            throw Invalid{at + ": \"input\" must be a number from 1 to 8"};
        setting.input = value["input"].get<int>();
        if (value.contains("arc")) {
            if (!value["arc"].is_boolean()) throw Invalid{at + ": \"arc\" must be true or false"};
            setting.arc = value["arc"].get<bool>();
        }
        preset.outputs[static_cast<std::size_t>(output - 1)] = setting;
    }
    if (auto problem = PresetProblem(preset); !problem.empty())
        throw Invalid{where + ": " + problem};
    return preset;
}

Presets ReadPresets(const Json& object) {
    Object(object, "\"presets\"");
    Presets presets;
    for (const auto& [key, value] : object.items()) {
        if (auto problem = NameProblem(key, "a preset name", false); !problem.empty())
            throw Invalid{problem};
        presets[key] = ReadPreset(value, key);
    }
    return presets;
}

Json PresetsJson(const Presets& presets) {
    Json all = Json::object();
    for (const auto& [name, preset] : presets) {
        Json outputs = Json::object();
        for (int p = 1; p <= kPorts; ++p) {
            const auto& setting = preset.outputs[static_cast<std::size_t>(p - 1)];
            if (!setting) continue;
            Json entry = {{"input", setting->input}};
            if (setting->arc) entry["arc"] = *setting->arc;
            outputs[OutputKey(p)] = entry;
        }
        all[name] = outputs;
    }
    return all;
}

// Parses `text`, or the reason it is not JSON (the parser's message), or
// nests too deeply, or is too large.
template <typename Read>
auto ParseWith(std::string_view text, Read read) -> Result<decltype(read(Json()))> {
    if (text.size() > kMaxProfileFileSize)
        return BadInput("larger than " + std::to_string(kMaxProfileFileSize) + " bytes");
    bool tooDeep = false;
    try {
        const Json root = Json::parse(text.begin(), text.end(),
                                      [&tooDeep](int depth, Json::parse_event_t, Json&) {
                                          tooDeep = tooDeep || depth > kMaxDepth;
                                          return !tooDeep;
                                      });
        if (tooDeep) return BadInput("nested deeper than the layout allows");
        return read(root);
    } catch (const Json::exception& e) {
        return BadInput(e.what());
    } catch (const Invalid& e) {
        return BadInput(e.message);
    }
}

}  // namespace

std::string ProfileToJson(const Profile& profile) {
    Json root = {{"format", kProfileFormat}, {"version", kVersion}};
    Json inputs = Json::object(), outputs = Json::object();
    for (int p = 1; p <= kPorts; ++p) {
        const auto i = static_cast<std::size_t>(p - 1);
        if (!profile.inputNames[i].empty()) inputs[std::to_string(p)] = profile.inputNames[i];
        if (!profile.outputNames[i].empty()) outputs[OutputKey(p)] = profile.outputNames[i];
    }
    root["inputs"] = inputs;
    root["outputs"] = outputs;
    root["presets"] = PresetsJson(profile.presets);
    return root.dump(2) + "\n";
}

Result<Profile> ParseProfile(std::string_view text) {
    return ParseWith(text, [](const Json& root) {
        CheckHeader(root, kProfileFormat);
        OnlyKeys(root, {"format", "version", "inputs", "outputs", "presets"}, "the file");
        Profile profile;
        if (root.contains("inputs")) profile.inputNames = Names(root["inputs"], PortKind::kInput);
        if (root.contains("outputs"))
            profile.outputNames = Names(root["outputs"], PortKind::kOutput);
        if (root.contains("presets")) profile.presets = ReadPresets(root["presets"]);
        return profile;
    });
}

std::string PresetsToJson(const Presets& presets) {
    const Json root = {
        {"format", kPresetsFormat}, {"version", kVersion}, {"presets", PresetsJson(presets)}};
    return root.dump(2) + "\n";
}

Result<Presets> ParsePresets(std::string_view text) {
    return ParseWith(text, [](const Json& root) {
        CheckHeader(root, kPresetsFormat);
        OnlyKeys(root, {"format", "version", "presets"}, "the file");
        if (!root.contains("presets")) throw Invalid{"the file holds no \"presets\""};
        return ReadPresets(root["presets"]);
    });
}

}  // namespace torvane::profile

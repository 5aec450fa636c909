#include "profile/profile.h"

namespace torvane::profile {

std::optional<std::size_t> Utf8Length(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++count) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t extra;
        char32_t code;
        if (lead < 0x80) {
            extra = 0;
            code = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            extra = 1;
            code = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2;
            code = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3;
            code = lead & 0x07;
        } else {
            return std::nullopt;
        }
        if (i + extra >= text.size()) return std::nullopt;
        for (std::size_t k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return std::nullopt;
            code = code << 6 | (next & 0x3F);
        }
        // Overlong forms, surrogates and code points past Unicode are not UTF-8.
        static constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
        if (code < kLeast[extra] || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF)
            return std::nullopt;
        i += extra + 1;
    }
    return count;
}

std::string NameProblem(std::string_view name, std::string_view what, bool mayBeEmpty) {
    const std::string subject(what);
    if (name.empty()) return mayBeEmpty ? "" : subject + " is empty";
    const auto length = Utf8Length(name);
    if (!length) return subject + " is not valid UTF-8 text";
    if (*length > kMaxNameLength)
        return subject + " has " + std::to_string(*length) + " characters; at most " +
               std::to_string(kMaxNameLength) + " are kept";
    for (char c : name)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return subject + " holds a control character (such as a tab or a new line)";
    return "";
}

std::string PresetProblem(const Preset& preset) {
    bool any = false;
    for (std::size_t i = 0; i < preset.outputs.size(); ++i) {
        const auto& setting = preset.outputs[i];
        if (!setting) continue;
        any = true;
        if (setting->input < 1 || setting->input > kPorts)
            return PortLabel(PortKind::kOutput, static_cast<int>(i) + 1) +
                   ": the input must be 1 to 8";
    }
    return any ? "" : "the preset sets no output";
}

std::string PortLabel(PortKind kind, int port) {
    if (kind == PortKind::kInput) return "input " + std::to_string(port);
    return std::string("output ") + static_cast<char>('A' + port - 1);
}

Status SetName(Profile& profile, PortKind kind, int port, std::string_view name) {
    if (port < 1 || port > kPorts)
        return BadInput(std::string(kind == PortKind::kInput ? "input" : "output") + " must be " +
                        (kind == PortKind::kInput ? "1 to 8" : "A to H"));
    if (auto problem = NameProblem(name, "the name of " + PortLabel(kind, port), true);
        !problem.empty())
        return BadInput(problem);
    auto& names = kind == PortKind::kInput ? profile.inputNames : profile.outputNames;
    names[static_cast<std::size_t>(port - 1)] = std::string(name);
    return {};
}

Status SavePreset(Profile& profile, std::string_view name, const Preset& preset) {
    if (auto problem = NameProblem(name, "the preset name", false); !problem.empty())
        return BadInput(problem);
    if (auto problem = PresetProblem(preset); !problem.empty())
        return BadInput("preset \"" + std::string(name) + "\": " + problem);
    profile.presets[std::string(name)] = preset;
    return {};
}

Status DeletePreset(Profile& profile, std::string_view name) {
    if (profile.presets.erase(std::string(name)) == 0)
        return BadInput("no preset named \"" + std::string(name) + "\"");
    return {};
}

Status RenamePreset(Profile& profile, std::string_view from, std::string_view to) {
    auto found = profile.presets.find(std::string(from));
    if (found == profile.presets.end())
        return BadInput("no preset named \"" + std::string(from) + "\"");
    if (from == to) return {};
    if (auto problem = NameProblem(to, "the preset name", false); !problem.empty())
        return BadInput(problem);
    if (profile.presets.count(std::string(to)))
        return BadInput("a preset named \"" + std::string(to) + "\" exists already");
    Preset preset = found->second;
    profile.presets.erase(found);
    profile.presets[std::string(to)] = preset;
    return {};
}

std::string DescribePreset(const Preset& preset) {
    std::string text;
    for (int output = 1; output <= kPorts; ++output) {
        const auto& setting = preset.outputs[static_cast<std::size_t>(output - 1)];
        if (!setting) continue;
        text += std::string("OUTPUT ") + static_cast<char>('A' + output - 1) + ": IN" +
                std::to_string(setting->input);
        if (setting->arc) text += std::string(", ARC ") + (*setting->arc ? "on" : "off");
        text += "\n";
    }
    return text;
}

}  // namespace torvane::profile

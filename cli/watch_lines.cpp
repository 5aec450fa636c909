#include "cli/watch_lines.h"

#include "cli/json.h"
#include "cli/terminal_text.h"

namespace torvane::cli {
namespace {

std::string OutputName(int n) { return std::string(1, static_cast<char>('A' + n - 1)); }

// A value as JSON: unknown is null, a flag is said with `yes` or `no`.
std::string Json(const StateValue& value, const char* yes = "true", const char* no = "false") {
    if (const bool* b = std::get_if<bool>(&value)) return *b ? JsonString(yes) : JsonString(no);
    if (const int* n = std::get_if<int>(&value)) return std::to_string(*n);
    if (const auto* s = std::get_if<std::string>(&value)) return JsonString(*s);
    return "null";
}
std::string JsonFlag(const StateValue& value) {
    if (const bool* b = std::get_if<bool>(&value)) return *b ? "true" : "false";
    return "null";
}
std::string JsonOnOff(const StateValue& value) { return Json(value, "on", "off"); }

std::string Text(const StateValue& value, const char* yes = "on", const char* no = "off") {
    if (const bool* b = std::get_if<bool>(&value)) return *b ? yes : no;
    if (const int* n = std::get_if<int>(&value)) return std::to_string(*n);
    if (const auto* s = std::get_if<std::string>(&value)) {
        // Appended rather than `"\"" + text`: GCC 12 at -O3 takes that form for
        // an overlapping copy (-Wrestrict), which stops a Release build.
        std::string quoted = "\"";
        return quoted.append(TerminalText(*s)).append("\"");
    }
    return "unknown";
}

const char* Cause(ChangeCause cause) {
    return cause == ChangeCause::kThisProgram ? "this program" : "elsewhere";
}

struct Item {
    const char* what;  // the change's name
    const char* key;   // the new value's key in JSON
    bool onOff;        // a flag said as on/off (else true/false)
    bool output;       // indexed by output (else by input, when indexed)
};

Item ItemOf(StateItem what) {
    switch (what) {
        case StateItem::kPower:
            return {"power", "power", true, false};
        case StateItem::kBeep:
            return {"beep", "beep", true, false};
        case StateItem::kInputConnection:
            return {"connection", "connected", false, false};
        case StateItem::kOutputConnection:
            return {"connection", "connected", false, true};
        case StateItem::kRoute:
            return {"route", "input", false, true};
        case StateItem::kArc:
            return {"arc", "arc", true, true};
        case StateItem::kEdid:
            return {"edid", "code", false, false};
        case StateItem::kDeviceType:
            return {"device", "type", false, false};
        case StateItem::kVersion:
            return {"version", "version", false, false};
        case StateItem::kDeviceText:
            return {"text", "text", false, false};
    }
    return {"", "", false, false};
}

std::string JsonValue(const Item& item, const StateValue& value) {
    return item.onOff ? JsonOnOff(value)
                      : (std::get_if<bool>(&value) ? JsonFlag(value) : Json(value));
}

std::string TextValue(const Item& item, const StateValue& value) {
    return item.onOff ? Text(value) : Text(value, "connected", "disconnected");
}

std::string Port(bool output, int n) {
    return output ? "OUT" + OutputName(n) : "IN" + std::to_string(n);
}

}  // namespace

std::string StateLines(const SwitcherState& s, bool json) {
    using I = StateItem;
    if (json) {
        JsonObject inputs, outputs;
        for (int n = 1; n <= SwitcherState::kPorts; ++n) {
            inputs.Add(std::to_string(n),
                       JsonObject()
                           .Add("connected", JsonFlag(s.Value(I::kInputConnection, n)))
                           .Add("edid", Json(s.Value(I::kEdid, n)))
                           .Text());
            outputs.Add(OutputName(n),
                        JsonObject()
                            .Add("connected", JsonFlag(s.Value(I::kOutputConnection, n)))
                            .Add("input", Json(s.Value(I::kRoute, n)))
                            .Add("arc", JsonOnOff(s.Value(I::kArc, n)))
                            .Text());
        }
        return JsonObject()
                   .AddString("event", "state")
                   .Add("power", JsonOnOff(s.Value(I::kPower)))
                   .Add("beep", JsonOnOff(s.Value(I::kBeep)))
                   .Add("inputs", inputs.Text())
                   .Add("outputs", outputs.Text())
                   .Add("device", JsonObject()
                                      .Add("type", Json(s.Value(I::kDeviceType)))
                                      .Add("version", Json(s.Value(I::kVersion)))
                                      .Add("text", Json(s.Value(I::kDeviceText)))
                                      .Text())
                   .Text() +
               "\n";
    }
    std::string text =
        "power " + Text(s.Value(I::kPower)) + ", beep " + Text(s.Value(I::kBeep)) + "\n";
    for (int n = 1; n <= SwitcherState::kPorts; ++n)
        text += Port(false, n) + ": " +
                Text(s.Value(I::kInputConnection, n), "connected", "disconnected") + ", EDID " +
                Text(s.Value(I::kEdid, n)) + "\n";
    for (int n = 1; n <= SwitcherState::kPorts; ++n)
        text += Port(true, n) + ": " +
                Text(s.Value(I::kOutputConnection, n), "connected", "disconnected") + ", input " +
                Text(s.Value(I::kRoute, n)) + ", ARC " + Text(s.Value(I::kArc, n)) + "\n";
    text += "device type " + Text(s.Value(I::kDeviceType)) + ", version " +
            Text(s.Value(I::kVersion)) + ", text " + Text(s.Value(I::kDeviceText)) + "\n";
    return text;
}

std::string ChangeLine(const StateChange& c, bool json) {
    const Item item = ItemOf(c.what);
    const bool indexed = SwitcherState::HasIndex(c.what);
    if (json) {
        JsonObject o;
        o.AddString("event", "change").AddString("what", item.what);
        if (indexed && item.output) o.AddString("output", OutputName(c.index));
        if (indexed && !item.output) o.Add("input", std::to_string(c.index));
        o.Add(item.key, JsonValue(item, c.after)).Add("was", JsonValue(item, c.before));
        return o.AddString("cause", Cause(c.cause)).Text() + "\n";
    }
    std::string text = item.what;
    if (indexed) text.append(" ").append(Port(item.output, c.index));
    return text + ": " + TextValue(item, c.after) + " (was " + TextValue(item, c.before) +
           "), changed by " +
           (c.cause == ChangeCause::kThisProgram ? "this program" : "someone else") + "\n";
}

std::string ConnectionLine(const ConnectionSupervisor& s, TimeMs now, bool json) {
    const LinkState state = s.State();
    const bool lost = state == LinkState::kLost;
    const bool waiting = lost && s.AttemptScheduled();
    if (json) {
        JsonObject o;
        o.AddString("event", "connection").AddString("state", LinkStateName(state));
        if (lost) o.AddString("reason", s.LossReason());
        if (waiting) o.Add("retry_in_ms", std::to_string(s.NextAttemptAt() - now));
        if (state == LinkState::kReconnecting) o.Add("attempt", std::to_string(s.Attempts()));
        return o.Text() + "\n";
    }
    std::string text = std::string("connection: ") + LinkStateName(state);
    if (lost) text += " (" + s.LossReason() + ")";
    if (waiting) text += ", next attempt in " + std::to_string(s.NextAttemptAt() - now) + " ms";
    if (state == LinkState::kReconnecting)
        text += " (attempt " + std::to_string(s.Attempts()) + ")";
    return text + "\n";
}

}  // namespace torvane::cli

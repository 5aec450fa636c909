#pragma once
// torvanectl edid: presets, copies and EDID files written to the switcher's
// inputs through the EDID page, and the list of what each input presents.

#include <optional>
#include <string>
#include <vector>

#include "cli/printer.h"
#include "cli/session.h"

namespace torvane::cli {

struct EdidRequest {
    enum Action { kPreset, kCopy, kFile, kList } action = kList;
    int preset = 0;      // list position, 0 to 14
    int output = 0;      // output selector position, 0 to 7 (A to H)
    int inputIndex = 0;  // input selector position: 0 to 7, or 8 for all inputs
    std::string path;
};

// Checks the arguments of `edid` before any link is opened, an EDID file's
// contents included; on a usage error or a bad file returns nothing and
// sets `refused`.
std::optional<EdidRequest> ParseEdidRequest(const std::vector<std::string>& args, Outcome& refused);

// Enters the EDID page on the open link and carries out the request.
int RunEdid(Session& session, const EdidRequest& request, const Printer& print);

}  // namespace torvane::cli

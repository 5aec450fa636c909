#pragma once
// torvanectl edid: presets, copies and EDID files written to the switcher's
// inputs through the EDID page, the list of what each input presents, and
// the check of an EDID file before it is written.

#include <optional>
#include <string>
#include <vector>

#include "cli/printer.h"
#include "cli/session.h"
#include "pages/edid_file.h"

namespace torvane::cli {

struct EdidRequest {
    enum Action { kPreset, kCopy, kFile, kList, kCheck } action = kList;
    int preset = 0;                   // list position, 0 to 14
    int output = 0;                   // output selector position, 0 to 7 (A to H)
    int inputIndex = 0;               // input selector position: 0 to 7, or 8 for all inputs
    std::string name;                 // the file as named on the line ("-": standard input)
    std::vector<std::uint8_t> bytes;  // the file as read
    std::string warning;              // an accepted file's warning, with the file named
};

// Checks the arguments of `edid` before any link is opened, an EDID file's
// contents included (read from standard input for "-"); on a usage error or
// a bad file returns nothing and sets `refused`.
std::optional<EdidRequest> ParseEdidRequest(const std::vector<std::string>& args, Outcome& refused);

// edid check: what the file says, and whether the EDID page takes it. Opens
// no link.
int CheckEdid(const EdidRequest& request, const Printer& print);

// Enters the EDID page on the open link and carries out the request.
int RunEdid(Session& session, const EdidRequest& request, const Printer& print);

}  // namespace torvane::cli

#pragma once
// What `torvanectl watch` prints: the whole state, one line per change of
// it, and one line per change of the connection. Readable text, or with
// --json one JSON object per line:
//   {"event":"state","power":"on",...}
//   {"event":"change","what":"route","output":"B","input":3,"was":1,"cause":"elsewhere"}
//   {"event":"connection","state":"lost","reason":"...","retry_in_ms":500}

#include <string>

#include "app/connection_supervisor.h"
#include "app/switcher_state.h"

namespace torvane::cli {

// Text output may span lines; every result ends with a newline.
std::string StateLines(const SwitcherState& state, bool json);
std::string ChangeLine(const StateChange& change, bool json);
std::string ConnectionLine(const ConnectionSupervisor& supervisor, TimeMs now, bool json);

}  // namespace torvane::cli

#pragma once
// What an API request asks for, read from its method, path, query and body
// alone: the routes the service serves, and each route's arguments checked
// before anything reaches the switcher. A request that cannot be served is
// refused with its status and a reason the client can act on.

#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "pages/edid_file.h"
#include "profile/port_names.h"
#include "service/http_exchange.h"

namespace torvane::service {

enum class ApiAction {
    kState,
    kHealth,
    kOpenApi,
    kEvents,
    kStatus,
    kMatrix,
    kRoute,
    kArc,
    kPower,
    kBeep,
    kReboot,
    kFactoryReset,
    kEdidList,
    kEdidPreset,
    kEdidCopy,
    kEdidFile,
    kInfo,
    kDeviceText,
    kNames,
    kSetName,
    kPresets,
    kSavePreset,
    kApplyPreset,
    kDeletePreset,
};

struct ApiRoute {
    const char* method;
    const char* path;
    ApiAction action;
    // Runs a command through the switcher's one command queue.
    bool queued;
    // Changes the switcher: needs the token where one is required.
    bool changes;
};

// Every route the service answers under /api/.
const std::vector<ApiRoute>& ApiRoutes();

struct ApiCall {
    ApiAction action = ApiAction::kHealth;
    std::string path;  // the route's, as served
    bool queued = false;
    bool changes = false;
    int input = 0;   // 1-8
    int output = 0;  // 1-8
    bool on = false;
    int presetIndex = 0;  // 0-14: preset 1-15
    int inputIndex = 0;   // 0-7, or 8 for every input
    std::string text;
    EdidFile file;  // taken by the EDID page's rules
    // A name of an input or output (kind and port), or a preset's name.
    profile::PortKind kind = profile::PortKind::kInput;
    int port = 0;  // 1-8
    std::string name;
    std::vector<int> outputs;  // a preset saved of these outputs (1-8); empty: all
};

struct ApiRefusal {
    int status = 400;
    std::string message;
};

// Input and output names the client may use in place of numbers: those of
// the switcher's profile.
struct PortNames {
    profile::PortNames inputs;
    profile::PortNames outputs;
};

std::variant<ApiCall, ApiRefusal> ReadApiCall(const HttpRequest& request,
                                              const PortNames& names = {});

}  // namespace torvane::service

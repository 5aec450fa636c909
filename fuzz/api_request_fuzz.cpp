// Arbitrary requests read by the API: the first byte picks a route (or, past
// the routes, a path of its own from the bytes), a line of the rest is the
// query's input and the remainder the body. Every request is either a call
// whose arguments are in range or a refusal with a status and a reason.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "service/api_request.h"

using namespace torvane::service;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const auto& routes = ApiRoutes();
    const std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const auto newline = rest.find('\n');
    HttpRequest request;
    request.body = newline == std::string::npos ? rest : rest.substr(newline + 1);
    if (newline != std::string::npos) request.query["input"] = rest.substr(0, newline);
    if (data[0] < routes.size()) {
        request.method = routes[data[0]].method;
        request.path = routes[data[0]].path;
    } else {
        request.method = (data[0] & 1) ? "POST" : "GET";
        request.path = "/api/" + request.query["input"];
    }
    PortNames names;
    names.inputs[1] = "Blu-ray";
    names.outputs = {"Hall", "hall", "", "", "", "", "", "Stage"};
    const auto read = ReadApiCall(request, names);
    if (const auto* refused = std::get_if<ApiRefusal>(&read)) {
        if (refused->message.empty() || refused->status < 400 || refused->status > 405)
            std::abort();
        return 0;
    }
    const ApiCall& call = std::get<ApiCall>(read);
    if (call.input < 0 || call.input > 8 || call.output < 0 || call.output > 8) std::abort();
    if (call.port < 0 || call.port > 8) std::abort();
    for (int output : call.outputs)
        if (output < 1 || output > 8) std::abort();
    if (call.inputIndex < 0 || call.inputIndex > 8 || call.presetIndex < 0 || call.presetIndex > 14)
        std::abort();
    if (call.action == ApiAction::kEdidFile && call.file.bytes.size() != torvane::kEdidBlockSize &&
        call.file.bytes.size() != 2 * torvane::kEdidBlockSize)
        std::abort();
    return 0;
}

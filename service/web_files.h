#pragma once
// The web page's own files and the API's description, read once at start
// from the folder they are installed in. Only these names are ever served,
// so no path from a request reaches the file system.

#include <map>
#include <string>

#include "platform/result.h"

namespace torvane::service {

struct WebFile {
    std::string contentType;
    std::string body;
};

// Keyed by the path they are served at ("/", "/app.js", ...).
using WebFiles = std::map<std::string, WebFile>;

// The files this program ships, under `folder`.
Result<WebFiles> LoadWebFiles(const std::string& folder);

// The path /api/openapi.json serves.
inline constexpr const char* kOpenApiPath = "/api/openapi.json";

}  // namespace torvane::service

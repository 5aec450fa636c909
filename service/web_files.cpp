#include "service/web_files.h"

#include <fstream>
#include <iterator>

namespace torvane::service {
namespace {

struct Shipped {
    const char* file;
    const char* path;
    const char* contentType;
};

constexpr Shipped kShipped[] = {
    {"index.html", "/", "text/html; charset=utf-8"},
    {"app.js", "/app.js", "text/javascript; charset=utf-8"},
    {"style.css", "/style.css", "text/css; charset=utf-8"},
    {"openapi.json", kOpenApiPath, "application/json"},
};

}  // namespace

Result<WebFiles> LoadWebFiles(const std::string& folder) {
    WebFiles files;
    for (const auto& shipped : kShipped) {
        const std::string name = folder + "/" + shipped.file;
        std::ifstream in(name, std::ios::binary);
        std::string body{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        if (!in || in.bad()) return SystemError("cannot read " + name);
        files[shipped.path] = {shipped.contentType, std::move(body)};
    }
    files["/index.html"] = files["/"];
    return files;
}

}  // namespace torvane::service

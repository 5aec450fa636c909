// The API's published description names exactly the routes served, each
// with the method it is served with.

#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <set>

#include "service/api_request.h"

namespace torvane::service {
namespace {

TEST(OpenApi, DescribesExactlyTheRoutesServed) {
    std::ifstream file(std::string(TORVANE_SOURCE_DIR) + "/service/web/openapi.json");
    const auto document = nlohmann::json::parse(file, nullptr, false);
    ASSERT_FALSE(document.is_discarded());
    EXPECT_EQ(document["openapi"].get<std::string>().rfind("3.", 0), 0u);
    std::set<std::string> described, served;
    for (const auto& [path, methods] : document["paths"].items())
        for (const auto& [method, operation] : methods.items()) {
            std::string upper = method;
            for (char& c : upper) c = static_cast<char>(std::toupper(c));
            described.insert(upper + " " + path);
            EXPECT_TRUE(operation.contains("responses")) << path;
        }
    for (const auto& route : ApiRoutes())
        served.insert(std::string(route.method) + " " + route.path);
    EXPECT_EQ(described, served);
}

}  // namespace
}  // namespace torvane::service

// Reading what an API request asks for: the route, then its arguments, each
// checked before anything reaches the switcher.

#include "service/api_request.h"

#include <gtest/gtest.h>

namespace torvane::service {
namespace {

HttpRequest Post(const std::string& path, const std::string& body) {
    HttpRequest r;
    r.method = "POST";
    r.path = path;
    r.body = body;
    return r;
}

HttpRequest Get(const std::string& path) {
    HttpRequest r;
    r.method = "GET";
    r.path = path;
    return r;
}

ApiCall Read(const HttpRequest& request, const PortNames& names = {}) {
    auto read = ReadApiCall(request, names);
    if (auto* refused = std::get_if<ApiRefusal>(&read)) {
        ADD_FAILURE() << refused->status << " " << refused->message;
        return {};
    }
    return std::get<ApiCall>(read);
}

TEST(ApiRequest, PortsAsNumbersLettersDigitsOrNames) {
    PortNames names;
    names.inputs[4] = "Blu-ray";
    names.outputs[7] = "Projector";
    struct Case {
        const char* body;
        int output, input;
    } cases[] = {
        {R"({"output":"B","input":3})", 2, 3},
        {R"({"output":"h","input":"8"})", 8, 8},
        {R"({"output":1,"input":1})", 1, 1},
        {R"({"output":"Projector","input":"Blu-ray"})", 8, 5},
        {R"({"output":"projector","input":"05"})", 8, 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.body);
        const ApiCall call = Read(Post("/api/route", c.body), names);
        EXPECT_EQ(call.action, ApiAction::kRoute);
        EXPECT_TRUE(call.changes);
        EXPECT_EQ(call.output, c.output);
        EXPECT_EQ(call.input, c.input);
    }
}

TEST(ApiRequest, EdidArgumentsAndAllInputs) {
    const ApiCall preset = Read(Post("/api/edid/preset", R"({"preset":15,"input":"all"})"));
    EXPECT_EQ(preset.presetIndex, 14);
    EXPECT_EQ(preset.inputIndex, 8);
    const ApiCall copy = Read(Post("/api/edid/copy", R"({"output":"C","input":2})"));
    EXPECT_EQ(copy.output, 3);
    EXPECT_EQ(copy.inputIndex, 1);

    std::string edid(128, '\0');
    const unsigned char header[] = {0, 255, 255, 255, 255, 255, 255, 0};
    for (int i = 0; i < 8; ++i) edid[i] = static_cast<char>(header[i]);
    int sum = 0;
    for (int i = 0; i < 127; ++i) sum += static_cast<unsigned char>(edid[i]);
    edid[127] = static_cast<char>((256 - sum % 256) % 256);
    HttpRequest file = Post("/api/edid/file", edid);
    file.query["input"] = "4";
    const ApiCall written = Read(file);
    EXPECT_EQ(written.inputIndex, 3);
    EXPECT_EQ(written.file.bytes.size(), 128u);
}

TEST(ApiRequest, RefusalsSayWhy) {
    struct Case {
        HttpRequest request;
        int status;
        const char* says;
    } cases[] = {
        {Get("/api/nothing"), 404, "no such resource"},
        {Get("/api/route"), 405, "GET is not allowed"},
        {Post("/api/route", "{"), 400, "JSON object"},
        {Post("/api/route", "[1,2]"), 400, "JSON object"},
        {Post("/api/route", ""), 400, "JSON object"},
        {Post("/api/route", R"({"output":"B"})"), 400, "missing \"input\""},
        {Post("/api/route", R"({"output":"I","input":1})"), 400, "no output \"I\": give A-H"},
        {Post("/api/route", R"({"output":9,"input":1})"), 400, "bad output"},
        {Post("/api/route", R"({"output":"A","input":0})"), 400, "bad input"},
        {Post("/api/route", R"({"output":"A","input":"Nobody"})"), 400, "no input \"Nobody\""},
        {Post("/api/route", R"({"output":"A","input":1,"extra":2})"), 400,
         "unknown field \"extra\""},
        {Post("/api/route", R"({"output":1.5,"input":1})"), 400, "bad output"},
        {Post("/api/arc", R"({"output":"A","on":"yes"})"), 400, "bad on"},
        {Post("/api/power", R"({"on":null})"), 400, "bad on"},
        {Post("/api/factory-reset", "{}"), 400, "\"confirm\": true"},
        {Post("/api/factory-reset", R"({"confirm":"true"})"), 400, "\"confirm\": true"},
        {Post("/api/edid/preset", R"({"preset":16,"input":1})"), 400, "bad preset"},
        {Post("/api/edid/file", "x"), 400, "?input="},
        {Post("/api/text", R"({"text":"123456789012345678901234567890123"})"), 400, "at most 32"},
        {Post("/api/text", R"({"text":"\u20ac"})"), 400, "Latin-1"},
        {Post("/api/reboot", "nonsense"), 400, "JSON object"},
        {Post("/api/names", R"({"name":"x"})"), 400, "either \"input\" or \"output\""},
        {Post("/api/names", R"({"input":2,"name":"a\tb"})"), 400, "control character"},
        {Post("/api/presets", R"({"name":"a","outputs":[]})"), 400, "bad outputs"},
        {Post("/api/presets", R"({"name":"a","outputs":["J"]})"), 400, "no output \"J\""},
        {Post("/api/presets/apply", "{}"), 400, "missing \"name\""},
        {[] {
             HttpRequest r = Get("/api/matrix");
             r.body = "x";
             return r;
         }(),
         400, "no body"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.request.method + " " + c.request.path + " " + c.request.body);
        auto read = ReadApiCall(c.request);
        ASSERT_TRUE(std::holds_alternative<ApiRefusal>(read));
        EXPECT_EQ(std::get<ApiRefusal>(read).status, c.status);
        EXPECT_NE(std::get<ApiRefusal>(read).message.find(c.says), std::string::npos)
            << std::get<ApiRefusal>(read).message;
    }
}

TEST(ApiRequest, AnEdidFileTheEdidPageWouldRefuseIsRefused) {
    HttpRequest file = Post("/api/edid/file", std::string(100, 'x'));
    file.query["input"] = "all";
    auto read = ReadApiCall(file);
    ASSERT_TRUE(std::holds_alternative<ApiRefusal>(read));
    EXPECT_NE(std::get<ApiRefusal>(read).message.find("Bad EDID file!"), std::string::npos);
}

}  // namespace
}  // namespace torvane::service

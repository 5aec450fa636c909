// Profiles on disk: found where the user's configuration lives, kept whole
// when two processes write at once, an unreadable file moved aside rather
// than lost, presets carried between switchers by export and import.

#include "profile/profile_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "profile/switcher_key.h"

namespace torvane::profile {
namespace {

namespace fs = std::filesystem;

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void Spill(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

Preset Route(int output, int input) {
    Preset preset;
    preset.outputs[static_cast<std::size_t>(output - 1)] = OutputSetting{input, std::nullopt};
    return preset;
}

// A fresh folder of profiles (not yet made: the store makes it) per test.
class Store : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        root = ::testing::TempDir() + "torvane-profile-" + test->name() + "-" +
               std::to_string(::getpid());
        fs::remove_all(root);
        folder = root + "/config/torvane";
    }
    void TearDown() override { fs::remove_all(root); }

    std::vector<std::string> FilesIn(const std::string& dir) {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string root, folder;
    const std::string key = KeyForMac({0x02, 0x54, 0x56, 0x00, 0x00, 0x01});
};

TEST_F(Store, AProfileSavedIsTheProfileLoaded) {
    ProfileStore store(folder);
    auto empty = store.Load(key);
    ASSERT_TRUE(empty) << empty.error().message;
    EXPECT_EQ(empty->profile, Profile{}) << "no file yet";
    EXPECT_FALSE(fs::exists(folder)) << "loading makes nothing";

    auto saved = store.Update(key, [](Profile& p) -> Status {
        if (auto s = SetName(p, PortKind::kInput, 3, "Apple \"TV\" — salon"); !s) return s;
        return SavePreset(p, "Movie", Route(2, 3));
    });
    ASSERT_TRUE(saved) << saved.error().message;
    auto loaded = ProfileStore(folder).Load(key);
    ASSERT_TRUE(loaded) << loaded.error().message;
    EXPECT_EQ(loaded->profile, saved->profile);
    EXPECT_EQ(loaded->profile.inputNames[2], "Apple \"TV\" — salon");

    struct stat st {};
    ASSERT_EQ(::stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u) << "the folder is private";
    ASSERT_EQ(::stat(store.PathOf(key).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0077, 0u) << "so is the file";
    EXPECT_EQ(FilesIn(folder), (std::vector<std::string>{key + ".json", key + ".json.lock"}))
        << "no temporary file left behind";

    // A change that is refused leaves the file as it was.
    const std::string before = Slurp(store.PathOf(key));
    auto refused = store.Update(key, [](Profile& p) {
        p.presets.clear();
        return SetName(p, PortKind::kOutput, 1, std::string(33, 'x'));
    });
    ASSERT_FALSE(refused);
    EXPECT_NE(refused.error().message.find("at most 32"), std::string::npos);
    EXPECT_EQ(Slurp(store.PathOf(key)), before);
}

TEST_F(Store, TwoProcessesWritingAtOnceLoseNothing) {
    constexpr int kWrites = 40;
    ProfileStore store(folder);
    ASSERT_TRUE(store.Update(key, [](Profile&) { return Status{}; }));
    std::vector<pid_t> writers;
    for (int w = 0; w < 2; ++w) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            // Each write is a read-modify-write of its own, in its own
            // process, with its own descriptors.
            ProfileStore mine(folder);
            bool ok = true;
            for (int i = 0; i < kWrites && ok; ++i)
                ok = bool(mine.Update(key, [&](Profile& p) {
                    return SavePreset(p, "w" + std::to_string(w) + "-" + std::to_string(i),
                                      Route(w + 1, i % 8 + 1));
                }));
            ::_exit(ok ? 0 : 1);
        }
        writers.push_back(pid);
    }
    for (pid_t pid : writers) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    auto loaded = store.Load(key);
    ASSERT_TRUE(loaded) << loaded.error().message;
    EXPECT_EQ(loaded->profile.presets.size(), 2u * kWrites);
    EXPECT_EQ(loaded->profile.presets.count("w1-39"), 1u);
}

TEST_F(Store, AnUnreadableProfileIsMovedAsideAndReported) {
    const std::pair<std::string, const char*> cases[] = {
        {"{\"format\": \"torvane profile\", \"version\": 1, \"inputs\": {\"1\": \"TV\"",
         "parse error"},
        {R"({"format": "torvane profile", "version": 1, "inputs": {"1": ")" + std::string(40, 'x') +
             R"("}})",
         "has 40 characters"},
    };
    for (const auto& [text, reason] : cases) {
        fs::remove_all(root);
        ProfileStore store(folder);
        ASSERT_TRUE(
            store.Update(key, [](Profile& p) { return SavePreset(p, "Keep", Route(1, 2)); }));
        Spill(store.PathOf(key), text);

        auto loaded = store.Load(key);
        ASSERT_TRUE(loaded) << loaded.error().message;
        EXPECT_EQ(loaded->profile, Profile{}) << "goes on with an empty profile";
        const std::string& notice = loaded->notice;
        EXPECT_NE(notice.find(store.PathOf(key)), std::string::npos) << notice;
        EXPECT_NE(notice.find(reason), std::string::npos) << notice;

        const auto files = FilesIn(folder);
        ASSERT_EQ(files.size(), 2u) << "the lock and the file moved aside";
        ASSERT_EQ(files[1].rfind(key + ".json.unreadable-", 0), 0u) << files[1];
        const std::string aside = folder + "/" + files[1];
        EXPECT_NE(notice.find(aside), std::string::npos) << notice;
        EXPECT_EQ(Slurp(aside), text) << "kept as it was";

        // The next change starts from the empty profile and leaves the old
        // file alone; a second unreadable file gets a name of its own.
        ASSERT_TRUE(
            store.Update(key, [](Profile& p) { return SavePreset(p, "New", Route(2, 1)); }));
        EXPECT_EQ(Slurp(aside), text);
        Spill(store.PathOf(key), "not JSON");
        auto again = store.Update(key, [](Profile&) { return Status{}; });
        ASSERT_TRUE(again) << again.error().message;
        EXPECT_NE(again->notice.find("parse error"), std::string::npos);
        EXPECT_EQ(FilesIn(folder).size(), 4u) << "two set aside, the new profile and the lock";
        EXPECT_EQ(Slurp(aside), text);
    }
}

TEST_F(Store, PresetsTravelByExportAndImport) {
    ProfileStore store(folder);
    const std::string other = KeyForSerialPort("/dev/serial/by-id/usb-adapter-if00-port0");
    ASSERT_TRUE(store.Update(key, [](Profile& p) -> Status {
        Preset both = Route(1, 3);
        both.outputs[7] = OutputSetting{8, true};
        if (auto s = SavePreset(p, "Both «ends»", both); !s) return s;
        return SavePreset(p, "Shared", Route(2, 2));
    }));
    ASSERT_TRUE(
        store.Update(other, [](Profile& p) { return SavePreset(p, "Shared", Route(5, 5)); }));

    const std::string file = root + "/presets.json";
    ASSERT_TRUE(store.ExportPresets(key, file));
    auto imported = store.ImportPresets(other, file);
    ASSERT_TRUE(imported) << imported.error().message;
    EXPECT_EQ(imported->added, std::vector<std::string>{"Both «ends»"});
    EXPECT_EQ(imported->replaced, std::vector<std::string>{"Shared"});
    EXPECT_EQ(store.Load(other)->profile.presets, store.Load(key)->profile.presets);
}

TEST_F(Store, AnInvalidImportIsRefusedWithItsReasonAndChangesNothing) {
    ProfileStore store(folder);
    ASSERT_TRUE(store.Update(key, [](Profile& p) { return SavePreset(p, "Keep", Route(1, 2)); }));
    const std::string before = Slurp(store.PathOf(key));
    fs::create_directories(root);
    const std::string file = root + "/import.json";
    const std::pair<std::string, const char*> cases[] = {
        {"{\"format\": \"torvane presets\", \"version\": 1, \"presets\": {", "parse error"},
        {R"({"format": "torvane profile", "version": 1, "presets": {}})",
         "\"format\" must be \"torvane presets\""},
        {R"({"format": "torvane presets", "version": 1})", "holds no \"presets\""},
        {R"({"format": "torvane presets", "version": 1, "presets": {"Good": {"A": {"input": 1}},
             "Bad": {"Z": {"input": 1}}}})",
         "preset \"Bad\": outputs are \"A\" to \"H\", not \"Z\""},
    };
    for (const auto& [text, reason] : cases) {
        Spill(file, text);
        auto imported = store.ImportPresets(key, file);
        ASSERT_FALSE(imported) << text;
        EXPECT_EQ(imported.error().message.rfind(file + ": ", 0), 0u) << imported.error().message;
        EXPECT_NE(imported.error().message.find(reason), std::string::npos)
            << imported.error().message;
        EXPECT_EQ(Slurp(store.PathOf(key)), before) << "nothing imported, not even \"Good\"";
    }
    auto missing = store.ImportPresets(key, root + "/nowhere.json");
    ASSERT_FALSE(missing);
    EXPECT_NE(missing.error().message.find("nowhere.json"), std::string::npos);
}

TEST(ProfileFolder, TheUsersConfigurationFolder) {
    struct Case {
        std::map<std::string, std::string> environment;
        const char* folder;  // nullptr: no folder
    };
    const Case cases[] = {
        {{{"XDG_CONFIG_HOME", "/x/conf"}, {"HOME", "/home/op"}}, "/x/conf/torvane"},
        {{{"HOME", "/home/op"}}, "/home/op/.config/torvane"},
        {{{"XDG_CONFIG_HOME", ""}, {"HOME", "/home/op"}}, "/home/op/.config/torvane"},
        {{{"XDG_CONFIG_HOME", "relative/conf"}, {"HOME", "/home/op"}}, "/home/op/.config/torvane"},
        {{{"APPDATA", "/x/appdata"}}, "/x/appdata/torvane"},
        {{{"HOME", "/home/op"}, {"APPDATA", "/x/appdata"}}, "/home/op/.config/torvane"},
        {{}, nullptr},
        {{{"HOME", "nowhere"}}, nullptr},
    };
    for (const auto& c : cases) {
        auto folder = ProfileStore::DefaultFolder([&](const char* name) -> const char* {
            auto it = c.environment.find(name);
            return it == c.environment.end() ? nullptr : it->second.c_str();
        });
        if (c.folder) {
            ASSERT_TRUE(folder) << folder.error().message;
            EXPECT_EQ(folder.value(), c.folder);
        } else {
            ASSERT_FALSE(folder);
            EXPECT_NE(folder.error().message.find("XDG_CONFIG_HOME"), std::string::npos);
        }
    }
}

}  // namespace
}  // namespace torvane::profile

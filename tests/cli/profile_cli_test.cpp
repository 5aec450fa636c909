// torvanectl's names and presets as a script uses them: names kept per
// switcher in the user's configuration folder, ports given by name, presets
// saved from the confirmed routing and applied one confirmed command at a
// time, against torvane-sim as a real process.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "../app/profile_folder.h"
#include "processes.h"

namespace torvane::test {
namespace {

// Each test its own configuration folder, seen by the torvanectl it starts.
class ProfileCli : public TorvanectlAgainstSim {
  protected:
    explicit ProfileCli(std::vector<std::string> simArgs = {"--routing", "3,1,8,2,5,5,7,4"})
        : TorvanectlAgainstSim(std::move(simArgs)) {}
    void SetUp() override {
        TorvanectlAgainstSim::SetUp();
        ::setenv("XDG_CONFIG_HOME", folder.Root().c_str(), 1);
    }
    void TearDown() override { ::unsetenv("XDG_CONFIG_HOME"); }

    ProfileFolder folder;
};

TEST_F(ProfileCli, NamesAreKeptAndPortsTakenByName) {
    auto input = Ctl(Serial({"name", "input", "3", "Salle à manger \"Bühne\""}));
    EXPECT_EQ(input.exitCode, 0) << input.err;
    EXPECT_EQ(input.out, "IN3: Salle à manger \"Bühne\"\n");
    auto output = Ctl(Serial({"--json", "name", "output", "b", "Projector"}));
    EXPECT_EQ(output.out, R"({"ok":true,"output":"B","name":"Projector"})"
                          "\n");
    auto names = Ctl(Serial({"--json", "names"}));
    EXPECT_EQ(
        names.out,
        R"({"ok":true,"inputs":{"1":null,"2":null,"3":"Salle à manger \"Bühne\"","4":null,)"
        R"("5":null,"6":null,"7":null,"8":null},"outputs":{"A":null,"B":"Projector","C":null,)"
        R"("D":null,"E":null,"F":null,"G":null,"H":null}})"
        "\n");

    auto route = Ctl(Serial({"--json", "route", "salle à manger \"Bühne\"", "projector"}));
    EXPECT_EQ(route.exitCode, 0) << route.err;
    EXPECT_EQ(route.out, R"({"ok":true,"output":"B","input":3})"
                         "\n");
    auto arc = Ctl(Serial({"arc", "Projector", "on"}));
    EXPECT_EQ(arc.exitCode, 0) << arc.err;
    EXPECT_EQ(arc.out, "OUTPUT B: ARC on\n");

    auto unknown = Ctl(Serial({"route", "Apple TV", "B"}));
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_EQ(unknown.err,
              "torvanectl: no input \"Apple TV\": give 1-8 or a name: 3 \"Salle à manger "
              "\\\"Bühne\\\"\"\n");

    auto cleared = Ctl(Serial({"name", "output", "B", "--clear"}));
    EXPECT_EQ(cleared.out, "OUTPUT B: no name\n");
    // A name that may not be kept changes nothing.
    auto tab = Ctl(Serial({"name", "input", "1", "a\tb"}));
    EXPECT_EQ(tab.exitCode, 2);
    EXPECT_NE(tab.err.find("control character"), std::string::npos) << tab.err;
}

TEST_F(ProfileCli, PresetsAreSavedListedRenamedExportedAndImported) {
    auto saved = Ctl(Serial({"--json", "preset", "save", "Two", "--outputs", "A,c"}));
    EXPECT_EQ(saved.exitCode, 0) << saved.err;
    EXPECT_EQ(saved.out, R"({"ok":true,"preset":"Two","outputs":{"A":{"input":3,"arc":"off"},)"
                         R"("C":{"input":8,"arc":"off"}}})"
                         "\n");
    EXPECT_EQ(Ctl(Serial({"preset", "rename", "Two", "Film"})).exitCode, 0);
    auto list = Ctl(Serial({"--json", "preset", "list"}));
    EXPECT_EQ(list.out, R"({"ok":true,"presets":["Film"]})"
                        "\n");
    auto show = Ctl(Serial({"preset", "show", "Film"}));
    EXPECT_EQ(show.out, "OUTPUT A: IN3, ARC off\nOUTPUT C: IN8, ARC off\n");

    const std::string file = folder.Root() + "/presets.json";
    EXPECT_EQ(Ctl(Serial({"preset", "export", file})).exitCode, 0);
    EXPECT_EQ(Ctl(Serial({"preset", "delete", "Film"})).exitCode, 0);
    auto gone = Ctl(Serial({"preset", "show", "Film"}));
    EXPECT_EQ(gone.exitCode, 2);
    auto imported = Ctl(Serial({"--json", "preset", "import", file}));
    EXPECT_EQ(imported.out, R"({"ok":true,"added":["Film"],"replaced":[]})"
                            "\n");

    // A file that is not an export is refused whole, with the reason.
    const std::string bad = folder.Root() + "/bad.json";
    std::ofstream(bad)
        << R"({"format":"torvane presets","version":1,"presets":{"X":{"I":{"input":1}}}})";
    auto refused = Ctl(Serial({"preset", "import", bad}));
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_NE(refused.err.find(bad + ": "), std::string::npos) << refused.err;
    EXPECT_EQ(Ctl(Serial({"--json", "preset", "list"})).out, list.out);
}

TEST_F(ProfileCli, OverTcpTheSwitcherIsKnownByItsMac) {
    SimProcess networked;
    ASSERT_TRUE(networked.Start({"--port", "0", "--discovery-port", "0", "--config-port", "0"}))
        << networked.Output();
    const std::string port = std::to_string(networked.UdpPort(true));
    auto named = Ctl({"--tcp", networked.TcpAddress(), "name", "output", "A", "Stage",
                      "--discovery-port", port});
    EXPECT_EQ(named.exitCode, 0) << named.err;
    EXPECT_TRUE(std::filesystem::exists(folder.Profiles() + "/mac-02-54-56-00-00-01.json"));
    // Nobody answers on another port: which switcher it is stays unknown.
    auto unknown = Ctl({"--tcp", networked.TcpAddress(), "names", "--discovery-port", "9"});
    EXPECT_EQ(unknown.exitCode, 3);
    EXPECT_NE(unknown.err.find("did not say which it is"), std::string::npos) << unknown.err;
}

// The simulator stays silent for the third route the preset sends (and its
// resend): connecting reads power and beep (2 units), the Matrix page reads
// every routing and ARC state (16), then routes A and B go through.
class PresetApplyCli : public ProfileCli {
  protected:
    PresetApplyCli()
        : ProfileCli({"--routing", "1,1,1,1,5,6,7,8", "--silent", "--faults-after", "20",
                      "--faults-for", "2"}) {}
};

TEST_F(PresetApplyCli, AFailedCommandIsReportedAndTheRestStillApplied) {
    // The preset, as an export a script would import.
    const std::string file = folder.Root() + "/scene.json";
    std::ofstream(file) << R"({"format":"torvane presets","version":1,"presets":{"Scene":{)"
                           R"("A":{"input":2},"B":{"input":3},"C":{"input":4},"D":{"input":5},)"
                           R"("E":{"input":5}}}})";
    ASSERT_EQ(Ctl(Serial({"preset", "import", file})).exitCode, 0);

    auto applied = Ctl(Serial({"--json", "preset", "apply", "Scene"}), 90000);
    EXPECT_EQ(applied.exitCode, 1) << applied.err;
    EXPECT_EQ(
        applied.out,
        R"({"ok":false,"error":"preset \"Scene\" was applied in part: failed on C; as asked )"
        R"(on A, B, D, E","preset":"Scene","outputs":{"A":{"result":"changed","detail":"IN2"},)"
        R"("B":{"result":"changed","detail":"IN3"},)"
        R"("C":{"result":"failed","detail":"IN4: Time out!"},)"
        R"("D":{"result":"changed","detail":"IN5"},)"
        R"("E":{"result":"already so","detail":"IN5"}}})"
        "\n");

    // Every output reported as changed holds what was confirmed. (A switcher
    // silent to a command may still have carried it out: C is reported as
    // failed, never as applied or as left alone.)
    auto matrix = Ctl(Serial({"matrix"}));
    for (const char* line : {"OUTPUT A: IN2, ARC off\n", "OUTPUT B: IN3, ARC off\n",
                             "OUTPUT D: IN5, ARC off\n", "OUTPUT E: IN5, ARC off\n"})
        EXPECT_NE(matrix.out.find(line), std::string::npos) << matrix.out;
}

}  // namespace
}  // namespace torvane::test

#pragma once
// The operator's desk with the Upgrade page installed, connected over the
// simulated switcher's serial port, and firmware image files to open.

#include <cctype>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/operator_fixture.h"
#include "pages/fw_dlg.h"
#include "res/upgrade_page_ids.h"

namespace torvane::test {

class UpgradePageTest : public OperatorTest {
  protected:
    void SetUp() override {
        OperatorTest::SetUp();
        fw = InstallPage<CFWDlg>();
        ConnectCom();
    }
    void TearDown() override {
        for (const auto& path : files_) std::remove(path.c_str());
    }

    // Enters the page and lets the device-information chain run.
    void EnterUpgradePage() {
        ClickLabel(res::kUpgradeLabel);
        loop.Advance(200);
    }

    // A file of `size` bytes that tells its blocks apart: byte i is i % 251.
    std::string ImageFile(std::size_t size) {
        std::vector<std::uint8_t> bytes(size);
        for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i % 251);
        return FileWith(bytes);
    }
    std::string FileWith(const std::vector<std::uint8_t>& bytes) {
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        for (char& ch : name)
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        const std::string path = ::testing::TempDir() + "torvane_fw_" +
                                 std::to_string(files_.size()) + "_" + name + ".bin";
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        files_.push_back(path);
        return path;
    }
    static std::vector<std::uint8_t> Padded(std::vector<std::uint8_t> image, std::size_t blocks) {
        image.resize(blocks * kDataPayloadSize, 0xFF);
        return image;
    }
    static std::vector<std::uint8_t> ImageBytes(std::size_t size) {
        std::vector<std::uint8_t> bytes(size);
        for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i % 251);
        return bytes;
    }

    void OpenImage(const std::string& path) {
        fw->Click(res::kFirmwareOpenButton);
        fw->AnswerFileChoice(path);
    }

    // (flag, block) of every data frame the switcher received since the last call.
    std::vector<std::pair<int, int>> DataFrames() {
        std::vector<std::pair<int, int>> frames;
        for (const auto& u : model.ReceivedUnits())
            if (u.size() == kDataFrameSize) frames.emplace_back(u[2], u[3]);
        model.ClearHistory();
        return frames;
    }
    // Command frames received since the last call whose bytes 2 and 3 are
    // `group` and `command`.
    int CommandsSent(std::uint8_t group, std::uint8_t command) {
        int n = 0;
        for (const auto& u : model.ReceivedUnits())
            if (u.size() == kCommandFrameSize && u[2] == group && u[3] == command) ++n;
        return n;
    }

    // The switcher acknowledges a block: FE EF, then bytes 2 onwards.
    void BlockAck(const std::string& body) {
        model.SendUnsolicited(Hex("FE EF " + body));
        loop.RunPending();
    }

    std::string Log() const { return fw->Controls().Text(res::kUpgradeLog); }
    int Progress() const { return fw->Controls().At(res::kUpgradeProgress).position; }

    CFWDlg* fw = nullptr;

  private:
    std::vector<std::string> files_;
};

inline constexpr const char* kSuccessLog =
    "->Upgrading MCU...\r\n"
    "->System rebooting, please wait...\r\n"
    "->System reboot ok \r\n"
    "->MCU upgrading complete \r\n"
    "->Firmware upgrade successfully \r\n";
inline constexpr const char* kFailedLog =
    "->Upgrading MCU...\r\n"
    "->MCU upgrade failed\r\n";

}  // namespace torvane::test

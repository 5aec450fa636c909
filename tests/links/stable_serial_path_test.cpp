// The name a serial port is reopened by: its adapter's by-id link when one
// leads to it.

#include "links/stable_serial_path.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace torvane::test {
namespace {

namespace fs = std::filesystem;

TEST(StableSerialPath, IsTheByIdLinkThatLeadsToThePortAndThePortItselfOtherwise) {
    const fs::path root =
        fs::path(::testing::TempDir()) / ("torvane-by-id-" + std::to_string(::getpid()));
    fs::create_directories(root / "dev");
    fs::create_directories(root / "by-id");
    for (const char* tty : {"ttyUSB0", "ttyUSB1", "ttyS0"}) std::ofstream(root / "dev" / tty);
    const std::string adapter = (root / "by-id" / "usb-FTDI_FT232R_A5028-if00-port0").string();
    fs::create_symlink(root / "dev" / "ttyUSB1", adapter);
    fs::create_symlink(root / "dev" / "ttyUSB9", root / "by-id" / "usb-gone");  // dangling
    const std::string folder = (root / "by-id").string();

    EXPECT_EQ(StableSerialPath((root / "dev" / "ttyUSB1").string(), folder), adapter);
    EXPECT_EQ(StableSerialPath(adapter, folder), adapter);
    for (const std::string& plain :
         {(root / "dev" / "ttyUSB0").string(), (root / "dev" / "ttyS0").string(),
          (root / "dev" / "ttyUSB7").string()})
        EXPECT_EQ(StableSerialPath(plain, folder), plain);
    // A machine without the folder.
    EXPECT_EQ(StableSerialPath((root / "dev" / "ttyUSB1").string(), (root / "none").string()),
              (root / "dev" / "ttyUSB1").string());
    fs::remove_all(root);
}

}  // namespace
}  // namespace torvane::test

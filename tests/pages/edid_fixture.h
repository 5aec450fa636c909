#pragma once
// The operator at the EDID page: connected over COM to the in-process
// switcher, page entered and its input list read. Also small EDID files made
// on the spot.

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/operator_fixture.h"
#include "pages/edid_dlg.h"
#include "platform/utf8_path.h"
#include "res/edid_page_ids.h"

namespace torvane::test {

using V = std::vector<std::string>;

// A 128- or 256-byte EDID file: the header, extension count `extensions`
// in byte 126 and each block made to sum to 0.
inline std::vector<std::uint8_t> EdidBytes(std::size_t size, std::uint8_t extensions) {
    std::vector<std::uint8_t> b(size, 0x00);
    const std::uint8_t header[8] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
    std::copy(header, header + 8, b.begin());
    for (std::size_t i = 8; i < size; ++i) b[i] = static_cast<std::uint8_t>(i * 7 + 3);
    b[126] = extensions;
    for (std::size_t block = 0; block + 128 <= size; block += 128) {
        unsigned sum = 0;
        for (std::size_t i = block; i < block + 127; ++i) sum += b[i];
        b[block + 127] = static_cast<std::uint8_t>(256 - sum % 256);
    }
    return b;
}

class EdidPageTest : public OperatorTest {
  protected:
    void SetUp() override {
        ConnectWithPage();
        EnterEdidPage();
        Wire();
    }
    // Connected over COM, the EDID page installed but not entered yet.
    void ConnectWithPage() {
        OperatorTest::SetUp();
        page = InstallPage<CEDIDDlg>();
        ConnectCom();
        Wire();
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    void EnterEdidPage() {
        ClickLabel(res::kEdidLabel);
        loop.Advance(1000);
    }
    std::string PageText(int id) const { return page->Controls().Text(id); }
    std::string InputText(int input) const { return PageText(res::kEdidValueLabels[input - 1]); }

    std::string WriteFile(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        // `name` is UTF-8, as every file name in the program.
        const auto path = dir / PathFromUtf8(name);
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return Utf8FromPath(path);
    }
    // "..." answered with `path`.
    void OpenFile(const std::string& path) {
        page->Click(res::kOpenEdidButton);
        ASSERT_TRUE(page->PendingFileChoice());
        EXPECT_EQ(page->PendingFileChoice()->filter, "Binary file(*.BIN)|*.BIN||");
        page->AnswerFileChoice(path);
    }

    CEDIDDlg* page = nullptr;
    std::filesystem::path dir =
        std::filesystem::path(::testing::TempDir()) / ("edid_page_" + std::to_string(::getpid()));
};

}  // namespace torvane::test

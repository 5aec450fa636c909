// EDID files on the EDID page: which files are taken, what a refused or
// unreadable file leaves behind, and the handshake that writes the accepted
// EDID to the switcher.

#include "pages/edid_file.h"

#include "edid_fixture.h"

namespace torvane::test {
namespace {

std::vector<std::uint8_t> Changed(std::vector<std::uint8_t> b, std::size_t at, std::uint8_t to) {
    b[at] = to;
    return b;
}

std::vector<std::uint8_t> Resized(std::vector<std::uint8_t> b, std::size_t size) {
    b.resize(size, 0x00);
    return b;
}

std::vector<std::uint8_t> TextBytes(const std::string& text) { return {text.begin(), text.end()}; }

TEST_F(EdidPageTest, FilesAreJudgedByLengthHeaderSumsAndExtensionCountAndTheMessageSaysWhy) {
    auto base = EdidBytes(128, 0x00);
    auto withExtension = EdidBytes(256, 0x01);
    // Byte 126 01 while the file holds no extension: taken, the block pads with 00.
    auto announcedOnly = EdidBytes(128, 0x01);
    // Count 00 and a second half that sums to anything: taken, all 256 bytes loaded.
    auto strayHalf = Changed(EdidBytes(256, 0x00), 200, 0x42);
    const std::string length = " bytes; an EDID file has 128 or 256 bytes";
    const struct {
        const char* name;
        std::vector<std::uint8_t> bytes;
        bool accepted;
        std::string said;  // after the file's path and ": "
    } cases[] = {
        {"base block only", base, true, ""},
        {"one extension", withExtension, true, ""},
        {"extension announced, not supplied", announcedOnly, true,
         "the base block announces an extension block the file does not hold: the switcher "
         "will present an empty extension block"},
        {"count 00 with a stray second half", strayHalf, true, ""},
        {"127 bytes", Resized(base, 127), false, "127" + length},
        {"129 bytes", Resized(base, 129), false, "129" + length},
        {"257 bytes", Resized(withExtension, 257), false, "257" + length},
        {"more than is read", Resized(base, 40000), false, "more than 32768" + length},
        {"empty", {}, false, "the file is empty; an EDID file has 128 or 256 bytes"},
        {"bad header", Changed(base, 3, 0xFE), false,
         "it does not begin with the EDID header 00 FF FF FF FF FF FF 00"},
        {"bad base sum", Changed(base, 127, 0x3A), false,
         "the checksum of block 0 is wrong: byte 127 is 3A, expected 13"},
        {"bad extension sum", Changed(withExtension, 255, 0x00), false,
         "the checksum of block 1 is wrong: byte 255 is 00, expected 3C"},
        {"extension count 02",
         Changed(Changed(withExtension, 126, 0x02), 127, withExtension[127] - 1), false,
         "the base block announces 2 extension blocks (byte 126); the file holds 1 and the "
         "switcher takes at most 1"},
        {"hex text", TextBytes("00 ff ff ff ff ff ff 00 10 ac b4 a0 31 32 4a 4c\n0c 19 01 04\n"),
         false,
         "it looks like hex text, not the EDID's bytes; convert it to binary first, for "
         "example with: xxd -r -p FILE > edid.bin"},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = WriteFile("file" + std::to_string(n++) + ".bin", c.bytes);
        const std::string full = std::filesystem::absolute(path).string();
        const std::string before = PageText(res::kEdidPathBox);
        const EdidBuffer edidBefore = page->Edid();
        OpenFile(path);
        EXPECT_EQ(page->FileError(), "");
        if (c.accepted) {
            EXPECT_EQ(Message(),
                      c.said.empty() ? "" : "EDID file taken, but:\n" + full + ": " + c.said);
            if (!c.said.empty()) PressOk();
            EXPECT_EQ(PageText(res::kEdidPathBox), full);
            EdidBuffer expected{};
            std::copy(c.bytes.begin(), c.bytes.end(), expected.begin() + 1);
            EXPECT_EQ(page->Edid(), expected);
        } else {
            EXPECT_EQ(Message(), "Bad EDID file!\n" + full + ": " + c.said);
            PressOk();
            // Checked before it replaces anything: the accepted EDID stays.
            EXPECT_EQ(PageText(res::kEdidPathBox), before);
            EXPECT_EQ(page->Edid(), edidBefore);
        }
    }
    EXPECT_EQ(Wire(), V{});
}

TEST_F(EdidPageTest, AFileThatCannotBeReadChangesNothingAndSaysWhy) {
    OpenFile(WriteFile("good.bin", EdidBytes(128, 0x00)));
    const std::string accepted = PageText(res::kEdidPathBox);
    OpenFile((dir / "missing.bin").string());
    EXPECT_EQ(page->FileError(), "No such file or directory");
    OpenFile(dir.string());
    EXPECT_EQ(page->FileError(), "Is a directory");
    // The operator is told so in words the page chose; front-ends only show them.
    EXPECT_EQ(page->LastFileProblem().text, "Cannot read " + dir.string() + ": Is a directory");
    EXPECT_EQ(Message(), "");
    EXPECT_EQ(PageText(res::kEdidPathBox), accepted);
    // Cancel changes nothing either, and clears the earlier reason.
    page->Click(res::kOpenEdidButton);
    page->AnswerFileChoice(std::nullopt);
    EXPECT_EQ(page->FileError(), "");
    EXPECT_EQ(page->LastFileProblem().text, "");
    EXPECT_EQ(PageText(res::kEdidPathBox), accepted);
}

// Names are UTF-8 all the way to the file system, whatever the system's own
// code page holds.
TEST_F(EdidPageTest, AFileInAFolderWithLettersBeyondAsciiOpens) {
    const std::string path = WriteFile("Prüfung Ω/ÉDID 日本.bin", EdidBytes(128, 0x00));
    OpenFile(path);
    EXPECT_EQ(page->FileError(), "");
    EXPECT_EQ(Message(), "");
    EXPECT_EQ(PageText(res::kEdidPathBox), path);
}

TEST_F(EdidPageTest, NoFileChoiceWhileACommandIsPendingAndNoSetWithoutAFile) {
    page->Click(res::kFileSetButton);
    EXPECT_EQ(Wire(), V{});
    EXPECT_TRUE(dlg->BusyGateOpen());
    EXPECT_EQ(Message(), "");
    EXPECT_FALSE(dlg->Busy().Flagged());
    model.Faults().silent = true;
    page->Click(res::kEdidStatusButton);
    page->Click(res::kOpenEdidButton);
    EXPECT_FALSE(page->PendingFileChoice());
}

TEST_F(EdidPageTest, AFileIsWrittenToOneInputOrAllAndTheBlockIsTheLeadingZeroAndBytes0To254) {
    const auto file = EdidBytes(256, 0x01);
    OpenFile(WriteFile("edid.bin", file));
    const struct {
        int inputIndex;
        const char* target;
        const char* start;
    } cases[] = {{4, "03 07 05 F0", "03 07 56 00 00 01"}, {8, "03 06 FE F0", "03 06 56 00 00 01"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target);
        model.State().edidCode.fill(0x00);
        page->Select(res::kFileInputList, c.inputIndex);
        page->Click(res::kFileSetButton);
        EXPECT_EQ(BusyLabel(), "Setting . . .");
        // Announcement, then target and start, each sent on its reply.
        loop.Advance(2 * model.Timing().replyDelayMs);
        EXPECT_EQ(Wire(),
                  (V{Frame("03 08 F0 00 00 00 00 00 BB"), Frame(c.target), Frame(c.start)}));
        loop.Advance(99);
        EXPECT_EQ(Wire(), V{});
        loop.Advance(1);
        std::vector<std::uint8_t> block{0x00};
        block.insert(block.end(), file.begin(), file.begin() + 255);
        EXPECT_EQ(Wire(), V{ToHex(block)});
        Settle();
        EXPECT_EQ(BusyLabel(), "Set successfully!");
        EXPECT_TRUE(dlg->BusyGateOpen());
        EXPECT_EQ(model.State().edidCode[4], 0x17);
        EXPECT_EQ(model.State().edidCode[0], c.inputIndex == 8 ? 0x17 : 0x00);
        loop.Advance(1000);
        EXPECT_FALSE(dlg->Busy().Flagged());
        // The list is read again: what the file made of the input shows.
        EXPECT_EQ(Wire().size(), 8u);
        EXPECT_EQ(InputText(5), "Other EDID (17)");
    }
}

TEST_F(EdidPageTest, ARejectedBlockAndASilentSwitcherEndTheTransfer) {
    OpenFile(WriteFile("edid.bin", EdidBytes(128, 0x00)));
    model.Faults().silent = true;
    page->Click(res::kFileSetButton);
    DeviceSays("03 08 00");
    DeviceSays("03 07 AA 00");
    loop.Advance(100);
    Wire();
    DeviceSays("03 07 0F 00 00 01");
    EXPECT_FALSE(dlg->Busy().Flagged());
    EXPECT_EQ(Message(), "Can't find the valid data!");
    PressOk();
    EXPECT_TRUE(dlg->BusyGateOpen());

    // Silent after the block request: the block still goes, then "Time out!"
    // 7000 ms after "Set".
    page->Click(res::kFileSetButton);
    DeviceSays("03 08 00");
    DeviceSays("03 07 AA 00");
    loop.Advance(6999);
    EXPECT_EQ(Wire().size(), 4u);
    EXPECT_EQ(Message(), "");
    loop.Advance(1);
    EXPECT_EQ(Message(), "Time out!");
    EXPECT_FALSE(dlg->Busy().Flagged());
    PressOk();
    EXPECT_TRUE(dlg->BusyGateOpen());
}

}  // namespace
}  // namespace torvane::test

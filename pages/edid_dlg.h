#pragma once
// The EDID page: gives an input (or all inputs) one of the fifteen built-in
// EDIDs, the EDID of the display on an output, or an EDID read from a file,
// and lists what each input presents. Like every page it never writes to a
// link: it fills the shared command frame (or the raw block) and posts the
// send request. The page keeps no record of a pending operation; it reads
// the last command frame back to tell which reply it waits for.

#include <array>
#include <cstdint>
#include <string>

#include "pages/command_owner.h"
#include "pages/edid_file.h"
#include "pages/page.h"
#include "platform/window_timers.h"
#include "protocol/commands.h"
#include "ui/window.h"

namespace torvane {

// Position 0 is always 00 and the file's bytes follow from position 1; the
// raw block sent is the first 256 bytes.
using EdidBuffer = std::array<std::uint8_t, 257>;

class CEDIDDlg : public Window, public Page {
  public:
    explicit CEDIDDlg(PageHost& host);
    ~CEDIDDlg() override;

    // Page
    PageCode Code() const override { return PageCode::kEdid; }
    Window& PageWindow() override { return *this; }
    void CreatePage() override { Create(); }
    void OnReply(const std::uint8_t* frame) override;
    Point Placement() const override { return kPlacement; }
    PageEntry Entry() const override { return EntryOf(); }
    void ShowEdidCode(int input, int code) override;
    bool ShownByReadings() const override { return true; }
    void OnLinkLost() override { commands_.MarkLinkLost(); }
    void EndCommandsWithTheLink() override;

    static constexpr Point kPlacement{1, 56};
    static PageEntry EntryOf() { return {EdidStateQuery(1), true}; }

    // The EDID of the last accepted file.
    const EdidBuffer& Edid() const { return edid_; }
    // Takes an EDID file already read and judged, as the "..." button takes
    // the file the operator chose: `name` is what the path box shows. A bad
    // file is reported with its reason and changes nothing; an accepted one
    // with a warning is taken and the warning shown.
    void LoadEdidFile(const std::string& name, const Result<EdidFile>& file);
    // The EDID code the switcher last reported for `input` (1 to 8); -1
    // until it has answered for that input.
    int EdidCode(int input) const { return codes_[static_cast<std::size_t>(input - 1)]; }
    // Why the last file chosen could not be opened or read, in the system's
    // words; empty when it could. The page itself reports nothing then: a
    // front-end shows it after answering the file choice.
    const std::string& FileError() const { return fileError_; }
    const WindowTimers& Timers() const { return timers_; }
    const CommandOwner& Commands() const { return commands_; }
    CommandOwner& Commands() { return commands_; }
    // The last file offered (by "..." or LoadEdidFile) was taken.
    bool FileTaken() const { return fileTaken_; }

    static const char* const kFileFilter;

  protected:
    void OnInitDialog() override;
    void OnCommand(int id) override;

  private:
    // Set operations.
    void OnSetPreset();
    void OnCopy();
    void OnOpenEdid();
    void OnFileChosen(const std::string& path);
    void OnSetFile();
    CommandFrame PresetCommand() const;
    void StartSetting(const CommandFrame& unit);
    void EndSetting(const ReplyView& reply);
    void EndInRefusal(const ReplyView& reply);

    // The file transfer's handshake.
    void SendTarget();
    void SendStart();

    // The input list.
    void OnStatus();
    void OnStatusAnswer(const ReplyView& reply);
    void SendStatusQuery(int input);

    void OnTimer(int id);
    void Send(const CommandFrame& unit);
    void OnGiveUp(const CommandRecord& command);
    void ReportTimeOut();
    bool AllInputs(int list) const;
    // The input a list names, 0 for "All".
    int TargetInput(int list) const;

    PageHost& host_;
    WindowTimers timers_;
    CommandOwner commands_;
    EdidBuffer edid_{};
    std::string fileError_;
    bool fileTaken_ = false;
    std::array<int, 8> codes_{-1, -1, -1, -1, -1, -1, -1, -1};
    // The last set operation succeeded: the list is read again once its
    // result has been shown, so it shows what the inputs now present.
    bool refreshAfterResult_ = false;
};

}  // namespace torvane

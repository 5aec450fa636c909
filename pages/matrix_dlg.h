#pragma once
// The Matrix page: which input each output shows, and each output's audio
// return channel. Its buttons send route and ARC commands; its marks and
// pictures change only when the switcher confirms, so they always show what
// the switcher last said. Each visit refreshes the page through a chain of
// queries: the controller sends the first, each reply sends the next.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "pages/command_owner.h"
#include "pages/page.h"
#include "platform/window_timers.h"
#include "protocol/commands.h"
#include "ui/window.h"

namespace torvane {

class CMatrixDlg : public Window, public Page {
  public:
    static constexpr int kOutputs = 8;

    explicit CMatrixDlg(PageHost& host);
    ~CMatrixDlg() override;

    // Page
    PageCode Code() const override { return PageCode::kMatrix; }
    Window& PageWindow() override { return *this; }
    void CreatePage() override { Create(); }
    void OnReply(const std::uint8_t* frame) override;
    Point Placement() const override { return kPlacement; }
    PageEntry Entry() const override { return EntryOf(); }
    void ShowRoute(int output, int input) override;
    void ShowArc(int output, bool on) override;
    bool ShownByReadings() const override { return true; }
    void OnLinkLost() override { commands_.MarkLinkLost(); }
    void EndCommandsWithTheLink() override { commands_.LinkLost(); }

    static constexpr Point kPlacement{1, 56};
    static PageEntry EntryOf() { return {MatrixQuery(1), true}; }

    // The input last confirmed for `output` (1 to 8), as the step buttons
    // read it: 1 at start, and 0 or 9 after a step that wrapped around.
    int CurrentInput(int output) const { return currentInput_[Slot(output)]; }
    // True while any command or query of the page waits for its answer.
    bool AwaitingSwitcher() const { return commands_.AnyWaiting(); }
    const WindowTimers& Timers() const { return timers_; }
    const CommandOwner& Commands() const { return commands_; }
    CommandOwner& Commands() { return commands_; }
    // What the page shows for `output` (1 to 8): the input whose button is
    // checked, and the ARC state, until the switcher has said nothing.
    std::optional<int> ShownInput(int output) const;
    std::optional<bool> ShownArc(int output) const;

    // The operator's names of the switcher's inputs and outputs ("" for
    // none): each output's group is captioned "OUTPUT B · Projector" and each
    // IN button's tooltip names its input. Kept for a page not yet created.
    void ShowPortNames(const PortNames& inputs, const PortNames& outputs) override;

  protected:
    void OnInitDialog() override;
    void OnCommand(int id) override;

  private:
    static std::size_t Slot(int output) { return static_cast<std::size_t>(output - 1); }

    // Commands.
    void OnInputButton(int id, int output, int input);
    void OnStepButton(int output, bool next);
    void OnArcBox(int id, int output, bool on);
    void UndoOwnToggle(int id);
    void SendRoute(int output, int input, int retryTimer);
    void StartQuery(int timer, const CommandFrame& query);

    // Replies.
    void OnArcAcknowledged(const ReplyView& reply, bool on);
    void OnArcStatus(const ReplyView& reply);
    void OnRouteAcknowledged(const ReplyView& reply);
    void OnMatrixStatus(const ReplyView& reply);
    void SelectInput(int output, int input);
    void SetPicture(int output, int input);
    void ShowArcState(int output, std::uint8_t state);
    // Every pending command of the range [first, last] (ids `step` apart)
    // ends with `reply`.
    void ConfirmAll(int first, int last, int step, const ReplyView& reply);

    PageHost& host_;
    WindowTimers timers_;
    CommandOwner commands_;
    std::array<int, kOutputs> currentInput_;
    PortNames inputNames_;
    PortNames outputNames_;
};

}  // namespace torvane

#pragma once
// The Matrix page: which input each output shows, and each output's audio
// return channel. Its buttons send route and ARC commands; its marks and
// pictures change only when the switcher confirms, so they always show what
// the switcher last said. Each visit refreshes the page through a chain of
// queries: the controller sends the first, each reply sends the next.

#include <array>
#include <cstdint>

#include "pages/page.h"
#include "platform/window_timers.h"
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

    // The input last confirmed for `output` (1 to 8), as the step buttons
    // read it: 1 at start, and 0 or 9 after a step that wrapped around.
    int CurrentInput(int output) const { return currentInput_[Slot(output)]; }
    // True while any command or query of the page waits for its answer
    // (a retry, give-up or status timer of the page is running).
    bool AwaitingSwitcher() const;
    const WindowTimers& Timers() const { return timers_; }

  protected:
    void OnCommand(int id) override;

  private:
    static std::size_t Slot(int output) { return static_cast<std::size_t>(output - 1); }

    // Commands.
    void OnInputButton(int id, int output, int input);
    void OnStepButton(int output, bool next);
    void OnArcBox(int id, int output, bool on);
    void UndoOwnToggle(int id);
    void SendRoute(int output, int input, int retryTimer);

    // Replies.
    void OnArcAcknowledged(std::uint8_t output, bool on);
    void OnArcStatus(const std::uint8_t* frame);
    void OnRouteAcknowledged();
    void OnMatrixStatus(const std::uint8_t* frame);
    void SelectInput(int output, int input);
    void SetPicture(int output, int input);
    void ShowArcState(int output, std::uint8_t state);
    void WriteMatrixQuery(int output);
    void WriteArcQuery(int output);

    // Timers.
    void OnTimer(int id);
    void Retry(int id);
    void GiveUp(int id);
    void KillTimers(int first, int last, int step);

    PageHost& host_;
    WindowTimers timers_;
    std::array<int, kOutputs> currentInput_;
};

}  // namespace torvane

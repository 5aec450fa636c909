#pragma once
// The network configuration dialog: the operator chooses automatic or static
// addressing and edits the address, netmask, gateway and MAC of the switcher
// found by discovery. OK checks every group and names each one that is
// wrong; the dialog closes with OK only when all are right. The address mode
// is kept for the program's run, also when the dialog is cancelled.

#include <string>
#include <vector>

#include "network/config_packet.h"
#include "network/network_fields.h"
#include "ui/message_dlg.h"
#include "ui/modal_dialog.h"

namespace torvane {

class CConfigIPDlg : public ModalDialog {
  public:
    explicit CConfigIPDlg(CMessageDlg& message);

    // Shows the dialog filled from `fields`; `then` gets kResultOk when OK
    // closed it, kResultCancel for Cancel or the close button.
    void Open(const NetworkFields& fields, Then then);

    AddressMode Mode() const { return mode_; }
    // The edits' texts at the last OK.
    const ConfigEdits& Edits() const { return edits_; }

  protected:
    void OnInitDialog() override;
    void OnCommand(int id) override;
    void OnLeftButtonDown(Point point) override;

  private:
    void EnableAddressEdits(bool enabled);
    void OnOk();
    // Shows `messages` one after the other, each once the previous has closed.
    void ShowInTurn(std::vector<std::string> messages, std::size_t next);

    CMessageDlg& message_;
    AddressMode mode_ = AddressMode::kAuto;
    NetworkFields fields_;
    ConfigEdits edits_;
};

}  // namespace torvane

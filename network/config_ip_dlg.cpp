#include "network/config_ip_dlg.h"

#include <algorithm>

#include "res/config_ip_template.h"
#include "res/resource_ids.h"

namespace torvane {
namespace {

template <std::size_t N>
void Fill(ControlTable& table, const int (&ids)[N], const std::array<std::string, N>& texts) {
    for (std::size_t i = 0; i < N; ++i) table.SetText(ids[i], texts[i]);
}

template <std::size_t N>
std::array<std::string, N> Read(const ControlTable& table, const int (&ids)[N]) {
    std::array<std::string, N> texts;
    for (std::size_t i = 0; i < N; ++i) texts[i] = table.Text(ids[i]);
    return texts;
}

}  // namespace

CConfigIPDlg::CConfigIPDlg(CMessageDlg& message)
    : ModalDialog(res::ConfigIpDialogTemplate(), KeyFilter::kEnterEscapeSpace), message_(message) {}

void CConfigIPDlg::Open(const NetworkFields& fields, Then then) {
    fields_ = fields;
    Run(std::move(then));
}

void CConfigIPDlg::OnInitDialog() {
    Table().SetTooltip(res::kConfigCloseButton, "Close");
    const bool isStatic = mode_ == AddressMode::kStatic;
    Table().CheckRadioInGroup(isStatic ? res::kStaticIpRadio : res::kAutoIpRadio);
    if (!isStatic) EnableAddressEdits(false);
    Fill(Table(), res::kConfigIpEdits, fields_.ip);
    Fill(Table(), res::kConfigNetmaskEdits, fields_.netmask);
    Fill(Table(), res::kConfigGatewayEdits, fields_.gateway);
    Fill(Table(), res::kConfigMacEdits, fields_.mac);
}

void CConfigIPDlg::EnableAddressEdits(bool enabled) {
    for (const auto* row :
         {&res::kConfigIpEdits, &res::kConfigNetmaskEdits, &res::kConfigGatewayEdits})
        for (int id : *row) Table().SetEnabled(id, enabled);
}

void CConfigIPDlg::OnCommand(int id) {
    switch (id) {
        case res::kAutoIpRadio:
            EnableAddressEdits(false);
            mode_ = AddressMode::kAuto;
            break;
        case res::kStaticIpRadio:
            EnableAddressEdits(true);
            mode_ = AddressMode::kStatic;
            break;
        case res::kConfigOkButton:
            OnOk();
            break;
        case res::kConfigCancelButton:
        case res::kConfigCloseButton:
            EndDialog(kResultCancel);
            break;
        default:
            break;
    }
}

void CConfigIPDlg::OnLeftButtonDown(Point) { Request(WindowRequest::kStartMove); }

void CConfigIPDlg::OnOk() {
    edits_.ip = Read(Controls(), res::kConfigIpEdits);
    edits_.netmask = Read(Controls(), res::kConfigNetmaskEdits);
    edits_.gateway = Read(Controls(), res::kConfigGatewayEdits);
    edits_.mac = Read(Controls(), res::kConfigMacEdits);
    // Disabled address edits are examined too: the packet is built the same.
    const std::vector<Error> failures = CheckConfigEdits(edits_);
    if (failures.empty()) {
        EndDialog(kResultOk);
        return;
    }
    std::vector<std::string> messages;
    for (const auto& failure : failures) messages.push_back(failure.message);
    ShowInTurn(std::move(messages), 0);
}

void CConfigIPDlg::ShowInTurn(std::vector<std::string> messages, std::size_t next) {
    if (next >= messages.size()) return;
    const std::string text = messages[next];
    message_.ShowMessage(text, [this, messages = std::move(messages), next]() mutable {
        ShowInTurn(std::move(messages), next + 1);
    });
}

}  // namespace torvane

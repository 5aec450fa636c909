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

// The packet carries one byte per field: a field that is empty or does not
// fit its byte fails its group, where a larger value would silently become
// another address.
template <std::size_t N>
bool GroupFails(const std::array<std::string, N>& fields, bool (*valid)(const std::string&)) {
    return !std::all_of(fields.begin(), fields.end(), valid);
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
    result_.ip = Read(Controls(), res::kConfigIpEdits);
    result_.netmask = Read(Controls(), res::kConfigNetmaskEdits);
    result_.gateway = Read(Controls(), res::kConfigGatewayEdits);
    result_.mac = Read(Controls(), res::kConfigMacEdits);
    // Disabled address edits are examined too: the packet is built the same.
    std::vector<std::string> failures;
    if (GroupFails(result_.ip, IsAddressByteText)) failures.push_back("IP Error!");
    if (GroupFails(result_.netmask, IsAddressByteText)) failures.push_back("Netmask Error!");
    if (GroupFails(result_.gateway, IsAddressByteText)) failures.push_back("GateWay Error!");
    if (GroupFails(result_.mac, IsMacByteText)) failures.push_back("Mac Error!");
    if (failures.empty()) {
        EndDialog(kResultOk);
        return;
    }
    ShowInTurn(std::move(failures), 0);
}

void CConfigIPDlg::ShowInTurn(std::vector<std::string> messages, std::size_t next) {
    if (next >= messages.size()) return;
    const std::string text = messages[next];
    message_.ShowMessage(text, [this, messages = std::move(messages), next]() mutable {
        ShowInTurn(std::move(messages), next + 1);
    });
}

}  // namespace torvane

#include "ui/modal_dialog.h"

namespace torvane {

void ModalDialog::CloseBySystem() {
    if (Running()) EndDialog(kResultCancel);
}

void ModalDialog::Run(Then then) {
    then_ = std::move(then);
    Create();
}

void ModalDialog::EndDialog(int result) {
    if (!Running()) return;
    Then then = std::move(then_);
    then_ = nullptr;
    Destroy();
    if (then) then(result);
}

}  // namespace torvane

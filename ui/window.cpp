#include "ui/window.h"

#include <algorithm>

namespace torvane {

bool KeyFilterDiscards(KeyFilter filter, int key) {
    switch (filter) {
        case KeyFilter::kNone:
            return false;
        case KeyFilter::kEnterEscape:
            return key == kKeyEnter || key == kKeyEscape;
        case KeyFilter::kEnterEscapeSpace:
            return key == kKeyEnter || key == kKeyEscape || key == kKeySpace;
    }
    return false;
}

Window::Window(DialogTemplate dialog, KeyFilter filter)
    : template_(std::move(dialog)), filter_(filter), table_(template_) {
    table_.SetListener([this](int id) { NotifyChanged(id); });
}

void Window::Click(int id) {
    if (!open_) return;
    const Control* c = table_.Find(id);
    if (!c || !c->visible || !c->enabled) return;
    if (c->kind == ControlKind::kCheckBox && (c->style & kAutoCheck))
        table_.SetChecked(id, !c->checked);
    else if (c->kind == ControlKind::kRadioButton && (c->style & kAutoRadio))
        table_.CheckRadioInGroup(id);
    OnCommand(id);
}

void Window::Select(int id, int index) {
    if (!open_) return;
    const Control* c = table_.Find(id);
    if (!c || !c->visible || !c->enabled || c->kind != ControlKind::kDropDownList) return;
    if (index < 0 || index >= static_cast<int>(c->items.size())) return;
    table_.SetSelection(id, index);
    OnSelectionChange(id);
}

void Window::EditText(int id, const std::string& text) {
    if (!open_) return;
    const Control* c = table_.Find(id);
    if (!c || !c->enabled || c->kind != ControlKind::kMultiLineEdit) return;
    table_.SetText(id, text);
    OnEditChange(id);
}

void Window::KeyDown(int key) {
    if (!open_ || KeyFilterDiscards(filter_, key)) return;
    OnKey(key);
}

void Window::PressLabel(Point point) {
    if (!open_) return;
    OnLeftButtonDown(point);
}

void Window::SystemCommand(int command) {
    if (!open_) return;
    OnSystemCommand(command);
}

void Window::AddObserver(WindowObserver* observer) { observers_.push_back(observer); }

void Window::RemoveObserver(WindowObserver* observer) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

void Window::Create() {
    table_ = ControlTable(template_);
    table_.SetListener([this](int id) { NotifyChanged(id); });
    open_ = true;
    OnInitDialog();
    for (auto* o : std::vector<WindowObserver*>(observers_)) o->OnOpened(*this);
}

void Window::Destroy() {
    if (!open_) return;
    open_ = false;
    for (auto* o : std::vector<WindowObserver*>(observers_)) o->OnClosed(*this);
}

void Window::Request(WindowRequest request) {
    for (auto* o : std::vector<WindowObserver*>(observers_)) o->OnRequest(*this, request);
}

void Window::NotifyChanged(int id) {
    for (auto* o : std::vector<WindowObserver*>(observers_)) o->OnControlChanged(*this, id);
}

}  // namespace torvane

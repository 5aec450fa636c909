#include "ui/window.h"

#include <algorithm>
#include <cctype>

#include "ui/text_codec.h"

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
    table_.SetListener([this](int id, ControlChange what) { NotifyChanged(id, what); });
}

bool Window::Held(std::function<void()> input) {
    if (!hold_ || !hold_->Holding()) return false;
    hold_->Hold(std::move(input));
    return true;
}

void Window::Click(int id) {
    if (!open_ || Held([this, id] { Click(id); })) return;
    const Control* c = table_.Find(id);
    if (!c || !c->visible || !c->enabled) return;
    if (c->kind == ControlKind::kCheckBox && (c->style & kAutoCheck))
        table_.SetChecked(id, !c->checked);
    else if (c->kind == ControlKind::kRadioButton && (c->style & kAutoRadio))
        table_.CheckRadioInGroup(id);
    OnCommand(id);
}

void Window::Select(int id, int index) {
    if (!open_ || Held([this, id, index] { Select(id, index); })) return;
    const Control* c = table_.Find(id);
    if (!c || !c->visible || !c->enabled || c->kind != ControlKind::kDropDownList) return;
    if (index < 0 || index >= static_cast<int>(c->items.size())) return;
    table_.SetSelection(id, index);
    OnSelectionChange(id);
}

void Window::EditText(int id, const std::string& text) {
    if (!open_) return;
    const Control* c = table_.Find(id);
    if (!c || !c->enabled) return;
    if (c->kind != ControlKind::kEdit && c->kind != ControlKind::kMultiLineEdit) return;
    if (c->style & kReadOnly) return;
    if ((c->style & kNumber) &&
        !std::all_of(text.begin(), text.end(), [](unsigned char ch) { return std::isdigit(ch); }))
        return;
    table_.SetText(id, c->textLimit > 0
                           ? FirstCharacters(text, static_cast<std::size_t>(c->textLimit))
                           : text);
    OnEditChange(id);
}

void Window::KeyDown(int key) {
    if (!open_ || KeyFilterDiscards(filter_, key) || Held([this, key] { KeyDown(key); })) return;
    OnKey(key);
}

void Window::PressAt(Point point) {
    if (!open_ || Held([this, point] { PressAt(point); })) return;
    OnLeftButtonDown(point);
}

void Window::SystemCommand(int command) {
    if (!open_) return;
    OnSystemCommand(command);
}

void Window::AnswerFileChoice(const std::optional<std::string>& path) {
    if (!fileChoice_) return;
    fileChoice_.reset();
    fileProblem_ = {};
    FileChosen then = std::move(fileChosen_);
    fileChosen_ = nullptr;
    if (then) then(path);
}

void Window::ChooseFile(FileChoice choice, FileChosen then) {
    fileChoice_ = std::move(choice);
    fileChosen_ = std::move(then);
    for (auto* o : std::vector<WindowObserver*>(observers_)) o->OnFileChoice(*this);
}

void Window::ShowWindow(bool visible) {
    if (visible_ == visible) return;
    visible_ = visible;
    NotifyPlacement();
}

void Window::MoveWindow(Point topLeft) {
    if (position_.x == topLeft.x && position_.y == topLeft.y) return;
    position_ = topLeft;
    NotifyPlacement();
}

void Window::NotifyPlacement() {
    for (auto* o : std::vector<WindowObserver*>(observers_)) o->OnPlacementChanged(*this);
}

void Window::AddObserver(WindowObserver* observer) { observers_.push_back(observer); }

void Window::RemoveObserver(WindowObserver* observer) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

void Window::Create() {
    table_ = ControlTable(template_);
    table_.SetListener([this](int id, ControlChange what) { NotifyChanged(id, what); });
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

void Window::NotifyChanged(int id, ControlChange what) {
    for (auto* o : std::vector<WindowObserver*>(observers_)) o->OnControlChanged(*this, id, what);
}

}  // namespace torvane

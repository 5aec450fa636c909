#include "ui/control_table.h"

#include <algorithm>
#include <stdexcept>

namespace torvane {

ControlTable::ControlTable(const DialogTemplate& dialog) {
    controls_.reserve(dialog.controls.size());
    int nextAnonymousId = kNoControlId - 1;
    for (const auto& t : dialog.controls) {
        Control c;
        static_cast<ControlTemplate&>(c) = t;
        if (c.id == kNoControlId) c.id = nextAnonymousId--;
        // Lists start empty; their template text is their name.
        if (t.kind == ControlKind::kDropDownList) c.text.clear();
        controls_.push_back(std::move(c));
    }
}

const Control* ControlTable::Find(int id) const {
    if (id == kNoControlId) return nullptr;
    for (const auto& c : controls_)
        if (c.id == id) return &c;
    return nullptr;
}

const Control& ControlTable::At(int id) const {
    const Control* c = Find(id);
    if (!c) throw std::out_of_range("no control " + std::to_string(id));
    return *c;
}

Control& ControlTable::Mutable(int id) { return const_cast<Control&>(At(id)); }

void ControlTable::Changed(int id, ControlChange what) {
    if (listener_) listener_(id, what);
}

std::string ControlTable::Text(int id) const {
    const Control& c = At(id);
    if (c.kind != ControlKind::kDropDownList) return c.text;
    if (c.selection < 0 || c.selection >= static_cast<int>(c.items.size())) return {};
    return c.items[static_cast<std::size_t>(c.selection)];
}

template <typename T, typename Fields>
void ControlTable::Update(int id, T Fields::*field, const T& value, ControlChange what) {
    Control& c = Mutable(id);
    if (c.*field == value) return;
    c.*field = value;
    Changed(id, what);
}

void ControlTable::SetText(int id, const std::string& text) {
    Update(id, &Control::text, text, ControlChange::kText);
}

void ControlTable::SetChecked(int id, bool checked) {
    Update(id, &Control::checked, checked, ControlChange::kChecked);
}

void ControlTable::SetEnabled(int id, bool enabled) {
    Update(id, &Control::enabled, enabled, ControlChange::kEnabled);
}

void ControlTable::SetVisible(int id, bool visible) {
    Update(id, &Control::visible, visible, ControlChange::kVisible);
}

void ControlTable::SetTooltip(int id, const std::string& tooltip) {
    Update(id, &Control::tooltip, tooltip, ControlChange::kTooltip);
}

void ControlTable::MoveTo(int id, Point topLeft) {
    Control& c = Mutable(id);
    if (c.rect.x == topLeft.x && c.rect.y == topLeft.y) return;
    c.rect.x = topLeft.x;
    c.rect.y = topLeft.y;
    Changed(id, ControlChange::kMoved);
}

void ControlTable::SetImage(int id, int image) {
    Update(id, &Control::image, image, ControlChange::kImage);
}

void ControlTable::SetRange(int id, int min, int max) {
    Control& c = Mutable(id);
    if (max < min) std::swap(min, max);
    const int position = std::clamp(c.position, min, max);
    if (c.rangeMin == min && c.rangeMax == max && c.position == position) return;
    c.rangeMin = min;
    c.rangeMax = max;
    c.position = position;
    Changed(id, ControlChange::kProgress);
}

void ControlTable::SetPosition(int id, int position) {
    const Control& c = At(id);
    Update(id, &Control::position, std::clamp(position, c.rangeMin, c.rangeMax),
           ControlChange::kProgress);
}

void ControlTable::SetTextColor(int id, std::optional<Rgb> color) {
    Update(id, &Control::textColor, color, ControlChange::kTextColor);
}

void ControlTable::ResetContent(int id) {
    Control& c = Mutable(id);
    c.items.clear();
    c.selection = -1;
    Changed(id, ControlChange::kItems);
}

void ControlTable::InsertItem(int id, int index, const std::string& text) {
    Control& c = Mutable(id);
    const int size = static_cast<int>(c.items.size());
    if (index < 0 || index > size) index = size;
    c.items.insert(c.items.begin() + index, text);
    if (c.selection >= index) ++c.selection;
    Changed(id, ControlChange::kItems);
}

void ControlTable::DeleteItem(int id, int index) {
    Control& c = Mutable(id);
    if (index < 0 || index >= static_cast<int>(c.items.size())) return;
    c.items.erase(c.items.begin() + index);
    if (c.selection == index)
        c.selection = -1;
    else if (c.selection > index)
        --c.selection;
    Changed(id, ControlChange::kItems);
}

void ControlTable::SetSelection(int id, int index) {
    Control& c = Mutable(id);
    if (index < -1 || index >= static_cast<int>(c.items.size())) index = -1;
    if (c.selection == index) return;
    c.selection = index;
    Changed(id, ControlChange::kSelection);
}

void ControlTable::CheckRadioInGroup(int id) {
    std::size_t at = 0;
    while (at < controls_.size() && controls_[at].id != id) ++at;
    if (at == controls_.size()) throw std::out_of_range("no control " + std::to_string(id));
    std::size_t first = at;
    while (first > 0 && !(controls_[first].style & kGroupStart)) --first;
    std::size_t end = at + 1;
    while (end < controls_.size() && !(controls_[end].style & kGroupStart)) ++end;
    for (std::size_t i = first; i < end; ++i) {
        Control& c = controls_[i];
        if (c.kind != ControlKind::kRadioButton) continue;
        const bool wanted = (i == at);
        if (c.checked == wanted) continue;
        c.checked = wanted;
        Changed(c.id, ControlChange::kChecked);
    }
}

}  // namespace torvane

#pragma once
// The state of a window's controls, keyed by control id: what a front-end
// renders and what tests assert on. Every change is reported to the listener
// with the id of the control that changed.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/dialog_template.h"

namespace torvane {

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    bool operator==(const Rgb&) const = default;
};

// A control as the window holds it: what its template gave, plus the state
// that changes while the program runs.
struct Control : ControlTemplate {
    bool checked = false;
    std::string tooltip;
    // Drop-down lists: entries and the selected index (-1: none).
    std::vector<std::string> items;
    int selection = -1;
    // Progress bars.
    int rangeMin = 0;
    int rangeMax = 100;
    int position = 0;
    // A text colour of the window's choosing; none: the front-end's default.
    std::optional<Rgb> textColor;
};

// What a change notification is about, so that a front-end updates only
// that (a list whose selection changed keeps its open drop-down open).
enum class ControlChange {
    kText,
    kChecked,
    kEnabled,
    kVisible,
    kTooltip,
    kMoved,
    kItems,
    kSelection,
    kImage,
    kProgress,
    kTextColor,
};

class ControlTable {
  public:
    using Listener = std::function<void(int id, ControlChange what)>;

    ControlTable() = default;
    explicit ControlTable(const DialogTemplate& dialog);

    const std::vector<Control>& All() const { return controls_; }
    const Control* Find(int id) const;
    bool Has(int id) const { return Find(id) != nullptr; }
    // Throws std::out_of_range for an id the template does not have.
    const Control& At(int id) const;

    // The control's text; for a drop-down list the selected entry's text, or
    // empty without a selection.
    std::string Text(int id) const;
    bool Checked(int id) const { return At(id).checked; }
    bool Enabled(int id) const { return At(id).enabled; }
    bool Visible(int id) const { return At(id).visible; }

    void SetText(int id, const std::string& text);
    void SetChecked(int id, bool checked);
    void SetEnabled(int id, bool enabled);
    void SetVisible(int id, bool visible);
    void SetTooltip(int id, const std::string& tooltip);
    void MoveTo(int id, Point topLeft);
    // Picture controls: the bitmap or icon resource shown.
    void SetImage(int id, int image);
    // Progress bars; the position is kept inside the range.
    void SetRange(int id, int min, int max);
    void SetPosition(int id, int position);
    void SetTextColor(int id, std::optional<Rgb> color);

    // Drop-down list operations, as the list control offers them.
    void ResetContent(int id);
    void InsertItem(int id, int index, const std::string& text);
    void DeleteItem(int id, int index);
    void SetSelection(int id, int index);
    int Selection(int id) const { return At(id).selection; }
    const std::vector<std::string>& Items(int id) const { return At(id).items; }

    // Checks `id` and unchecks the other radio buttons of its group, as an
    // automatic radio button does when clicked.
    void CheckRadioInGroup(int id);

    void SetListener(Listener listener) { listener_ = std::move(listener); }

  private:
    Control& Mutable(int id);
    void Changed(int id, ControlChange what);
    // Sets one field and tells the listener, only when the value changes.
    template <typename T, typename Fields>
    void Update(int id, T Fields::*field, const T& value, ControlChange what);

    std::vector<Control> controls_;
    Listener listener_;
};

}  // namespace torvane

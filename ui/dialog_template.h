#pragma once
// Dialog templates as data: what a window looks like when it is created. A
// window builds its control table from its template, anew for each run of a
// modal dialog.

#include <string>
#include <vector>

namespace torvane {

// Rectangles and points are in dialog units; a front-end converts them with
// its font's metrics.
struct Point {
    int x = 0;
    int y = 0;
};

struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool Contains(Point p) const {
        return p.x >= x && p.x < x + width && p.y >= y && p.y < y + height;
    }
};

enum class ControlKind {
    kPushButton,
    kLabel,
    kGroupBox,
    kRadioButton,
    kCheckBox,
    kDropDownList,
    kEdit,  // single line
    kMultiLineEdit,
    kPicture,
    kProgressBar,
    kEtchedLine,  // a sunken separator line
};

// Style flags a control's behaviour depends on.
enum ControlStyle : unsigned {
    kNoStyle = 0,
    kAutoCheck = 1u << 0,   // a check box that toggles itself when clicked
    kAutoRadio = 1u << 1,   // a radio button that checks itself and unchecks its group
    kGroupStart = 1u << 2,  // first control of a group (radio buttons group up to the next)
    kDefaultButton = 1u << 3,
    kSorted = 1u << 4,  // list that sorts added entries (inserted ones stay in place)
    kVerticalScroll = 1u << 5,
    kAutoVScroll = 1u << 6,
    kBorder = 1u << 7,
    kReadOnly = 1u << 8,
    kPushLike = 1u << 9,  // a check box drawn as a button that stays pressed while checked
    kNumber = 1u << 10,   // an edit that takes digits only
};

// Controls without an identifier of their own (plain labels, frames) carry
// this one in their template; the control table gives each of them an id of
// its own below it, so front-ends can still address them.
inline constexpr int kNoControlId = -1;

struct ControlTemplate {
    int id = kNoControlId;
    ControlKind kind = ControlKind::kLabel;
    std::string text;
    Rect rect;
    unsigned style = kNoStyle;
    bool visible = true;
    bool enabled = true;
    // Bitmap or icon resource a picture control shows (0: none).
    int image = 0;
    // Edits: the most characters the operator can enter (0: no limit).
    int textLimit = 0;
};

struct DialogTemplate {
    int id = 0;
    int width = 0;
    int height = 0;
    std::string font;
    int fontPoints = 9;
    std::vector<ControlTemplate> controls;
};

}  // namespace torvane

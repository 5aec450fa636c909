#pragma once
// How the templates of res/ write a control: one line each, as a dialog
// resource script would.

#include <string>
#include <utility>

#include "ui/dialog_template.h"

namespace torvane::res {

inline ControlTemplate MakeControl(int id, ControlKind kind, std::string text, Rect rect,
                                   unsigned style = kNoStyle, bool visible = true) {
    ControlTemplate t;
    t.id = id;
    t.kind = kind;
    t.text = std::move(text);
    t.rect = rect;
    t.style = style;
    t.visible = visible;
    return t;
}

// A picture control or an icon button: the resource it shows.
inline ControlTemplate WithImage(ControlTemplate t, int image) {
    t.image = image;
    return t;
}

inline ControlTemplate Picture(int id, int image, Rect rect) {
    return WithImage(MakeControl(id, ControlKind::kPicture, "", rect), image);
}

}  // namespace torvane::res

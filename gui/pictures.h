#pragma once
// The program's pictures and icons by resource id, drawn once in code at
// first use: the information picture, the check mark, the title buttons'
// icons and the program's icon. An id without a picture gives a null pixmap.

#include <QPixmap>

namespace torvane::gui {

// The Minimize button's icons, which no template names.
inline constexpr int kMinimizeIdleIcon = 130;
inline constexpr int kMinimizeActiveIcon = 131;

const QPixmap& Picture(int resourceId);

}  // namespace torvane::gui

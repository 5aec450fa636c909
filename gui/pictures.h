#pragma once
// The program's pictures and icons by resource id, drawn once in code at
// first use: the information picture, the check mark, the title buttons'
// icons and the program's icon. An id without a picture gives a null pixmap.

#include <QPixmap>

namespace torvane::gui {

const QPixmap& Picture(int resourceId);

}  // namespace torvane::gui

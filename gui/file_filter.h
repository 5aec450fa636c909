#pragma once
// A window's file filter, "Description(*.ext)|*.ext||" (pairs of description
// and patterns, ended by an empty pair), as a file dialog's name filters.
// File names on this platform are case-sensitive and the filters name one
// case, so each pattern is offered in both cases: an EDID file "edid.bin"
// is found by a filter for "*.BIN".

#include <QStringList>
#include <string>

namespace torvane::gui {

QStringList FileDialogFilters(const std::string& filter);
// The same, joined as QFileDialog takes them in one string.
QString FileDialogFilter(const std::string& filter);

}  // namespace torvane::gui

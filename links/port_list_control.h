#pragma once
// The port list as the refresh sees it: a drop-down list without typing.
// The controller's window model implements it for its port combo box.

#include <string>

namespace torvane {

class PortListControl {
  public:
    virtual ~PortListControl() = default;
    // Removes every entry; nothing is selected afterwards.
    virtual void ResetContent() = 0;
    // Inserts `text` at `index` (entries stay where inserted: no sorting).
    // The selected entry stays selected; its index moves with it.
    virtual void InsertString(int index, const std::string& text) = 0;
    // Deletes the entry at `index`; the selected entry, if another, stays
    // selected. Deleting the selected entry leaves none selected.
    virtual void DeleteString(int index) = 0;
    // The selected index, -1 when none.
    virtual int GetCurSel() const = 0;
    virtual void SetCurSel(int index) = 0;
    // The selected entry's text; empty without a selection.
    virtual std::string GetText() const = 0;
};

}  // namespace torvane

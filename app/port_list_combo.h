#pragma once
// The port list refresh works on the main window's port combo box through
// this: the list operations of a drop-down list over the control table.

#include "links/port_list_control.h"
#include "ui/control_table.h"

namespace torvane {

class PortListCombo : public PortListControl {
  public:
    PortListCombo(ControlTable& table, int id) : table_(table), id_(id) {}
    void ResetContent() override { table_.ResetContent(id_); }
    void InsertString(int index, const std::string& text) override {
        table_.InsertItem(id_, index, text);
    }
    void DeleteString(int index) override { table_.DeleteItem(id_, index); }
    int GetCurSel() const override { return table_.Selection(id_); }
    void SetCurSel(int index) override { table_.SetSelection(id_, index); }
    std::string GetText() const override { return table_.Text(id_); }

  private:
    ControlTable& table_;
    int id_;
};

}  // namespace torvane

#pragma once
// A drop-down port list as the system's combo box behaves: inserted entries
// stay where they are put, and the selected entry stays selected while others
// are inserted or deleted around it.

#include <string>
#include <vector>

#include "links/port_list_control.h"

namespace torvane::test {

class FakePortList : public PortListControl {
  public:
    void ResetContent() override {
        ++changes;
        items.clear();
        selected = -1;
    }
    void InsertString(int index, const std::string& text) override {
        ++changes;
        items.insert(items.begin() + index, text);
        if (selected >= index) ++selected;
    }
    void DeleteString(int index) override {
        ++changes;
        items.erase(items.begin() + index);
        if (selected == index)
            selected = -1;
        else if (selected > index)
            --selected;
    }
    int GetCurSel() const override { return selected; }
    void SetCurSel(int index) override {
        ++changes;
        ++selectionCalls;
        selected = index >= 0 && index < static_cast<int>(items.size()) ? index : -1;
    }
    std::string GetText() const override { return selected < 0 ? "" : items[selected]; }

    std::vector<std::string> items;
    int selected = -1;
    int changes = 0;
    int selectionCalls = 0;
};

}  // namespace torvane::test

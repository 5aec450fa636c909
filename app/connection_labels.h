#pragma once
// The General page's sixteen connection labels, IN1 to IN8 then OUTA to
// OUTH: the state the switcher last reported for each ("" before it did),
// followed by the operator's name for it.

#include <array>
#include <string>

#include "ui/control_table.h"

namespace torvane {

class ConnectionLabels {
  public:
    using PortNames = std::array<std::string, 8>;

    explicit ConnectionLabels(ControlTable& table) : table_(table) {}

    // Every label empty, as before the first status reading.
    void Clear();
    // Input or output `n` (1 to 8) is `connected`, as the switcher said.
    void Show(bool input, int n, bool connected);
    void ShowNames(const PortNames& inputs, const PortNames& outputs);

  private:
    void ShowLabel(int index);

    ControlTable& table_;
    std::array<std::string, 16> states_;
    PortNames inputNames_;
    PortNames outputNames_;
};

}  // namespace torvane

#pragma once
// The texts of the EDID page: the fifteen built-in presets, the items of its
// input and output selectors, and what the input list shows for each EDID
// code the switcher reports.

#include <array>
#include <cstdint>
#include <string>

namespace torvane {

inline constexpr int kEdidPresetCount = 15;
// Index of "All Input" in every input selector (after "IN1" to "IN8").
inline constexpr int kAllInputsIndex = 8;

// In list order; a Set EDID Mode command carries the position plus 1, a
// status answer the position itself.
extern const std::array<const char*, kEdidPresetCount> kEdidPresetTexts;
extern const std::array<const char*, 9> kEdidInputItems;   // "IN1" ... "All Input"
extern const std::array<const char*, 8> kEdidOutputItems;  // "HDMI OUTA" ... "HDMI OUTH"

// The text for an EDID code of a status answer: a preset (00 to 0E), the
// copy of an output's EDID (0F to 16), or any other EDID named by its code
// ("Other EDID (17)": the switcher reports 17 after an EDID file was written).
std::string EdidCodeText(std::uint8_t code);

}  // namespace torvane

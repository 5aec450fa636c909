#pragma once
// Identifiers of the EDID page's template and its controls.

namespace torvane::res {

inline constexpr int kEdidPage = 140;

// "Manual Mode": presets, copies and EDID files.
inline constexpr int kManualModeGroup = 1079;
inline constexpr int kPresetLabel = 1080;
inline constexpr int kPresetList = 1081;
inline constexpr int kPresetToLabel = 1082;
inline constexpr int kPresetInputList = 1083;
inline constexpr int kPresetSetButton = 1084;
inline constexpr int kCopyLabel = 1085;
inline constexpr int kCopyOutputList = 1086;
inline constexpr int kCopyToLabel = 1087;
inline constexpr int kCopyInputList = 1088;
inline constexpr int kCopySetButton = 1089;
inline constexpr int kFileToLabel = 1090;
inline constexpr int kFileInputList = 1091;
inline constexpr int kFileSetButton = 1092;
inline constexpr int kOpenEdidLabel = 1103;
inline constexpr int kOpenEdidButton = 1104;
inline constexpr int kEdidPathBox = 1042;

// "Input EDID List": per input a name label ("IN1:") and a value label.
inline constexpr int kEdidNameLabels[8] = {1105, 1106, 1107, 1108, 1114, 1116, 1117, 1118};
inline constexpr int kEdidValueLabels[8] = {1109, 1110, 1111, 1112, 1115, 1119, 1120, 1121};
inline constexpr int kEdidStatusButton = 1113;

}  // namespace torvane::res

#pragma once
// Identifiers of the Upgrade page's template and its controls.

namespace torvane::res {

inline constexpr int kUpgradePage = 144;

inline constexpr int kFirmwarePathBox = 1042;    // read-only: the loaded image's path
inline constexpr int kOffPageOpenButton = 1088;  // outside the page's area, no action
inline constexpr int kUpgradeButton = 1090;
inline constexpr int kDeviceTextSetButton = 1091;  // hidden
inline constexpr int kDeviceLineLabel = 1092;
inline constexpr int kUpgradeLog = 1093;  // the "Messages" log
inline constexpr int kUpgradeProgress = 1094;
inline constexpr int kDeviceTextLabel = 1095;
inline constexpr int kFirmwareOpenButton = 1125;
inline constexpr int kDeviceTextFirstHalf = 1127;   // hidden
inline constexpr int kDeviceTextSecondHalf = 1128;  // hidden

}  // namespace torvane::res

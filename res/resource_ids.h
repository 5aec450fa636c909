#pragma once
// Identifiers of the dialog templates, their controls and the pictures they
// show. Control ids are only unique within their own template.

namespace torvane::res {

// Dialog templates.
inline constexpr int kAboutBox = 100;
inline constexpr int kMainWindow = 102;
inline constexpr int kMatrixPage = 134;
inline constexpr int kMessageDialog = 135;
inline constexpr int kConfigIpDialog = 139;
inline constexpr int kBusyDialog = 142;

// Pictures and icons.
inline constexpr int kMainIcon = 128;
inline constexpr int kCloseIdleIcon = 129;
inline constexpr int kCloseActiveIcon = 132;
inline constexpr int kInfoBitmap = 136;
inline constexpr int kCheckMarkBitmap = 143;

// Main window (102).
inline constexpr int kCloseButton = 1002;
inline constexpr int kMinimizeButton = 1005;
inline constexpr int kGeneralLabel = 1008;
inline constexpr int kEdidLabel = 1011;
inline constexpr int kMatrixLabel = 1012;
inline constexpr int kUpgradeLabel = 1013;
inline constexpr int kControlModeGroup = 1015;
inline constexpr int kComModeRadio = 1016;
inline constexpr int kTcpModeRadio = 1017;
inline constexpr int kComGroup = 1018;
inline constexpr int kPortLabel = 1019;
inline constexpr int kPortList = 1020;
inline constexpr int kComConnectButton = 1021;
inline constexpr int kDeviceInfoGroup = 1022;
inline constexpr int kStatusButton = 1024;
inline constexpr int kClearLabelsButton = 1025;
inline constexpr int kFirstInputLabel = 1026;   // 1026 to 1033: inputs 1 to 8
inline constexpr int kFirstOutputLabel = 1034;  // 1034 to 1041: outputs A to H
inline constexpr int kReceiveLog = 1042;
inline constexpr int kSendLog = 1043;
inline constexpr int kTcpConnectButton = 1045;
inline constexpr int kSearchButton = 1046;
inline constexpr int kConfigButton = 1047;
inline constexpr int kSwitcherIpLabel = 1059;
inline constexpr int kSwitcherIpList = 1060;
inline constexpr int kTcpGroup = 1063;
inline constexpr int kOffWindowFactoryResetButton = 1095;
inline constexpr int kEnableBeepBox = 1096;
inline constexpr int kOffWindowFactoryResetGroup = 1097;
inline constexpr int kBeepGroup = 1098;
inline constexpr int kPowerGroup = 1099;
inline constexpr int kPowerOnBox = 1100;
inline constexpr int kClearLogsButton = 1123;
inline constexpr int kFactoryResetGroup = 1124;
inline constexpr int kFactoryResetButton = 1125;
inline constexpr int kRebootGroup = 1127;
inline constexpr int kRebootButton = 1128;

// The controls of the message dialog (135) and the busy dialog (142) are
// named by CMessageDlg and CStatusDlg, whose logic needs them.

// Matrix page (134): one group per output, A to H. The ids of outputs A to D
// are not in input order; this table is the only place that knows them.
struct MatrixOutputIds {
    int inputs[8];  // the push-like boxes IN1 to IN8
    int previous;   // step buttons
    int next;
    int arcOn;
    int arcOff;
    int picture;  // shows the digit of the input routed to the output
    int group;    // the frame captioned "OUTPUT A" and the output's name
};
inline constexpr MatrixOutputIds kMatrixOutputs[8] = {
    {{1101, 1102, 1103, 1104, 1105, 1106, 1131, 1132}, 1116, 1118, 1107, 1108, 1114, 1205},
    {{1121, 1122, 1109, 1110, 1133, 1142, 1143, 1144}, 1119, 1123, 1111, 1112, 1120, 1206},
    {{1126, 1128, 1113, 1117, 1145, 1146, 1147, 1148}, 1134, 1136, 1138, 1140, 1124, 1207},
    {{1127, 1129, 1115, 1130, 1149, 1150, 1151, 1152}, 1135, 1137, 1139, 1141, 1125, 1208},
    {{1157, 1158, 1159, 1160, 1161, 1162, 1163, 1164}, 1189, 1193, 1197, 1201, 1153, 1209},
    {{1165, 1166, 1167, 1168, 1169, 1170, 1171, 1172}, 1190, 1194, 1198, 1202, 1154, 1210},
    {{1173, 1174, 1175, 1176, 1177, 1178, 1179, 1180}, 1191, 1195, 1199, 1203, 1155, 1211},
    {{1181, 1182, 1183, 1184, 1185, 1186, 1187, 1188}, 1192, 1196, 1200, 1204, 1156, 1212},
};
// Bitmaps of the digits 1 to 8 (80 x 80 pixels, green on black).
inline constexpr int kDigitBitmaps[8] = {146, 154, 155, 156, 157, 158, 159, 160};
// The same square without a digit: no routing confirmed for the output yet.
inline constexpr int kUnknownInputBitmap = 163;
inline constexpr int kNextInputIcon = 161;      // black triangle pointing right
inline constexpr int kPreviousInputIcon = 162;  // black triangle pointing left

// About box (100).
inline constexpr int kAboutOkButton = 1;
inline constexpr int kAboutIcon = 1200;
inline constexpr int kAboutNameLabel = 1201;
inline constexpr int kAboutVersionLabel = 1202;

// Network configuration dialog (139).
inline constexpr int kConfigInfoGroup = 1064;
inline constexpr int kAutoIpRadio = 1065;
inline constexpr int kStaticIpRadio = 1066;
inline constexpr int kConfigIpLabel = 1067;
inline constexpr int kConfigOkButton = 1070;
inline constexpr int kConfigCancelButton = 1071;
inline constexpr int kConfigCloseButton = 1072;
inline constexpr int kConfigMacLabel = 1077;
inline constexpr int kConfigGatewayLabel = 1132;
inline constexpr int kConfigNetmaskLabel = 1134;
// The edits, byte 1 to byte 4 (MAC: 1 to 6) from left to right.
inline constexpr int kConfigIpEdits[] = {1042, 1043, 1044, 1045};
inline constexpr int kConfigNetmaskEdits[] = {1135, 1137, 1136, 1138};
inline constexpr int kConfigGatewayEdits[] = {1128, 1129, 1130, 1131};
inline constexpr int kConfigMacEdits[] = {1078, 1079, 1080, 1081, 1082, 1083};

// System menu command of the About item.
inline constexpr int kAboutCommand = 0x10;

}  // namespace torvane::res

// Resource, control and command ids of the program.
#pragma once

namespace arkseal {

inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDS_ABOUTBOX = 101;
inline constexpr int IDD_MAIN = 102;
inline constexpr int IDR_MAINFRAME = 128;

inline constexpr int IDC_PROGRESS = 1003;
inline constexpr int IDC_FILENAME = 1004;
inline constexpr int IDC_PASSPHRASE = 1005;
inline constexpr int IDC_PASSPHRASE2 = 1006;
inline constexpr int IDC_BROWSE = 1007;
inline constexpr int IDC_ENCRYPT = 1008;
inline constexpr int IDC_STATUS = 1009;
inline constexpr int IDC_DECRYPT = 1010;

// System-menu command: below 0xF000 and with its low four bits clear, as
// the system menu's own commands use those bits.
inline constexpr unsigned IDM_ABOUTBOX = 0x0010;

}  // namespace arkseal

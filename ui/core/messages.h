// Message numbers, command ids and parameter types of the dialog layer.
//
// The numbers follow the Windows values the program's messages were first
// defined with, so that a message number means the same thing everywhere
// (WM_USER = 0x400; the job's progress message is WM_USER + 67).
#pragma once

#include <cstdint>
#include <string>

namespace arkseal {

using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

inline constexpr unsigned WM_CLOSE = 0x0010;
inline constexpr unsigned WM_ENDSESSION = 0x0016;  // the process was asked to end (a termination signal)
inline constexpr unsigned WM_COMMAND = 0x0111;     // wParam: control id (low 16 bits), notification (high 16 bits)
inline constexpr unsigned WM_SYSCOMMAND = 0x0112;  // wParam: system-menu command
inline constexpr unsigned WM_TIMER = 0x0113;       // wParam: timer id
inline constexpr unsigned WM_DROPFILES = 0x0233;   // wParam: address of the DroppedFiles, valid during the call
inline constexpr unsigned WM_USER = 0x0400;

inline constexpr unsigned BN_CLICKED = 0;
inline constexpr unsigned EN_CHANGE = 0x0300;   // an edit's text has changed
inline constexpr unsigned EN_MAXTEXT = 0x0501;  // an edit refused text beyond its limit (typed or pasted)

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// Message box types: the buttons, the icon and the default button.
inline constexpr unsigned MB_OK = 0x0000;
inline constexpr unsigned MB_YESNO = 0x0004;
inline constexpr unsigned MB_ICONERROR = 0x0010;
inline constexpr unsigned MB_ICONWARNING = 0x0030;
inline constexpr unsigned MB_ICONINFORMATION = 0x0040;
inline constexpr unsigned MB_ICONMASK = 0x00F0;
inline constexpr unsigned MB_DEFBUTTON2 = 0x0100;  // the second button (No) is the default

inline constexpr unsigned SC_CLOSE = 0xF060;

// The texts of a question's two buttons, which say what each answer does
// ("Decrypt anyway", "Cancel"); empty: Yes and No.
struct ButtonTexts {
    std::string yes;
    std::string no;
};

constexpr WPARAM MakeCommandParam(int controlId, unsigned notifyCode) {
    return (static_cast<WPARAM>(notifyCode & 0xFFFF) << 16) | (static_cast<WPARAM>(controlId) & 0xFFFF);
}
constexpr int CommandControlId(WPARAM wParam) { return static_cast<std::int16_t>(wParam & 0xFFFF); }
constexpr unsigned CommandNotifyCode(WPARAM wParam) { return static_cast<unsigned>((wParam >> 16) & 0xFFFF); }

}  // namespace arkseal

// Dialog templates: a dialog described as data, the way a resource script
// describes it. Positions and sizes are in dialog units, which the layer
// converts to pixels from the dialog font (4 horizontal units are one
// average character width, 8 vertical units one character height). The
// controls' order is their tab order. A static text names the edit or
// progress bar that follows it (its accessible name), and with a mnemonic
// ('&') it is that control's label: Alt and the letter give it the focus.
#pragma once

#include <cstdint>
#include <span>

namespace arkseal {

enum class ControlKind { PushButton, StaticText, StaticIcon, Edit, ProgressBar };

// Control styles beyond "child" and "visible", which every control has.
enum ControlStyle : std::uint32_t {
    kTabStop = 1u << 0,
    kGroup = 1u << 1,          // starts a group of controls
    kDefPushButton = 1u << 2,  // the button that Enter presses
    kLeftAligned = 1u << 3,    // static text: left-aligned, wrapping at the control's width
    kNoPrefix = 1u << 4,       // static text: '&' is shown, not taken as a mnemonic mark
    kIconImage = 1u << 5,      // static: shows an icon resource
    kBorder = 1u << 6,
    kPassword = 1u << 7,  // edit: characters are masked
    kAutoHorizontalScroll = 1u << 8,
};

// Window styles of the dialog itself.
enum DialogStyle : std::uint32_t {
    kPopup = 1u << 0,
    kVisible = 1u << 1,
    kCaption = 1u << 2,
    kSystemMenu = 1u << 3,
    kModalFrame = 1u << 4,
    kAppWindow = 1u << 5,  // extended: the window has its own taskbar entry
};

struct ControlTemplate {
    int id;            // -1: not addressed by the program
    const char* name;  // object name of the widget, for tests and accessibility
    ControlKind kind;
    const char* text;  // 8-bit text; null for none
    int x, y, width, height;
    std::uint32_t styles;  // ControlStyle bits
    int imageId = 0;       // icon resource of a static icon
};

struct DialogTemplate {
    int id;
    const char* name;
    const char* caption;
    int width, height;
    const char* fontFace;
    int fontPoints;
    std::uint32_t styles;  // DialogStyle bits
    std::span<const ControlTemplate> controls;
};

}  // namespace arkseal

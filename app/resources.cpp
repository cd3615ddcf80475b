#include <arkseal/app/resources.h>

#include <arkseal/app/resource_ids.h>
#include <arkseal/ui/core/messages.h>

namespace arkseal {

namespace {

#include <arkseal/app/icons/arkseal_16.xpm>
#include <arkseal/app/icons/arkseal_32.xpm>

const ControlTemplate kAboutControls[] = {
    {-1, "about_icon", ControlKind::StaticIcon, nullptr, 11, 17, 20, 20, kIconImage, IDR_MAINFRAME},
    {-1, "about_version", ControlKind::StaticText, "Arkseal Version 1.0", 40, 10, 119, 8,
     kLeftAligned | kNoPrefix | kGroup},
    {-1, "about_cipher", ControlKind::StaticText, "Uses 256-bit AES (Rjindael) encryption in CFB mode", 40, 25, 125, 17,
     kLeftAligned | kGroup},
    {IDOK, "IDOK", ControlKind::PushButton, "OK", 178, 7, 50, 14, kDefPushButton | kGroup | kTabStop},
};

// Template order is tab order: Encrypt comes first and so has the focus.
// Each label comes just before the control it names (which takes its text
// as accessible name and, with a mnemonic, is reached by Alt and the
// letter); labels are no tab stops, so this leaves the tab order alone.
const ControlTemplate kMainControls[] = {
    {IDC_ENCRYPT, "IDC_ENCRYPT", ControlKind::PushButton, "&Encrypt", 228, 7, 50, 14, kDefPushButton | kTabStop},
    {IDCANCEL, "IDCANCEL", ControlKind::PushButton, "&Quit", 228, 42, 50, 14, kTabStop},
    {IDC_STATUS, "label_status", ControlKind::StaticText, "Status:", 7, 74, 271, 8, kLeftAligned | kNoPrefix | kGroup},
    {IDC_PROGRESS, "IDC_PROGRESS", ControlKind::ProgressBar, nullptr, 7, 83, 271, 13, kBorder},
    {-1, "label_filename", ControlKind::StaticText, "&Filename:", 7, 7, 48, 12, kLeftAligned | kGroup},
    {IDC_FILENAME, "IDC_FILENAME", ControlKind::Edit, nullptr, 55, 7, 104, 14,
     kBorder | kTabStop | kAutoHorizontalScroll},
    {-1, "label_passphrase", ControlKind::StaticText, "&Passphrase:", 7, 23, 48, 14, kLeftAligned | kGroup},
    {IDC_PASSPHRASE, "IDC_PASSPHRASE", ControlKind::Edit, nullptr, 55, 24, 155, 14,
     kPassword | kBorder | kTabStop | kAutoHorizontalScroll},
    {-1, "label_passphrase2", ControlKind::StaticText, "&Re-enter passphrase:", 7, 42, 48, 21, kLeftAligned | kGroup},
    {IDC_PASSPHRASE2, "IDC_PASSPHRASE2", ControlKind::Edit, nullptr, 55, 42, 155, 14,
     kPassword | kBorder | kTabStop | kAutoHorizontalScroll},
    {IDC_BROWSE, "IDC_BROWSE", ControlKind::PushButton, "&Browse...", 162, 7, 49, 14, kTabStop},
    {IDC_DECRYPT, "IDC_DECRYPT", ControlKind::PushButton, "&Decrypt", 228, 24, 50, 14, kTabStop},
};

const DialogTemplate kDialogs[] = {
    {IDD_ABOUTBOX, "IDD_ABOUTBOX", "About Arkseal", 235, 55, "MS Sans Serif", 8,
     kPopup | kCaption | kSystemMenu | kModalFrame, kAboutControls},
    {IDD_MAIN, "IDD_MAIN", "Arkseal", 285, 103, "MS Sans Serif", 8,
     kPopup | kVisible | kCaption | kSystemMenu | kModalFrame | kAppWindow, kMainControls},
};

const StringResource kStrings[] = {
    {IDS_ABOUTBOX, "&About Arkseal..."},
};

const IconResource kIcons[] = {
    {IDR_MAINFRAME, arkseal_32_xpm, arkseal_16_xpm},
};

}  // namespace

const ResourceTable kArksealResources = {"Arkseal", kDialogs, kStrings, kIcons};

const VersionRecord kVersionRecord = {
    {1, 0, 0, 1},
    {1, 0, 0, 1},
    0x3F,
    true,
    "040904B0",  // US English, Unicode
    "",
    "Arkseal MFC Application",
    "1, 0, 0, 1",
    "Arkseal",
    "",
    "Arkseal.EXE",
    "Arkseal Application",
    "1, 0, 0, 1",
};

}  // namespace arkseal

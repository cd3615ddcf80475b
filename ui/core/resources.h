// The program's resources: dialog templates, the string table and icons,
// held as data by the program and handed to its application object.
#pragma once

#include <span>
#include <string>

#include <arkseal/ui/core/dialog_template.h>

namespace arkseal {

struct StringResource {
    int id;
    const char* text;
};

// An icon in two sizes, each an XPM image (the text form of a palette
// image, which is also C source).
struct IconResource {
    int id;
    const char* const* large;  // 32 x 32
    const char* const* small;  // 16 x 16
};

struct ResourceTable {
    const char* moduleName;  // the program's name, its default title (caption of message boxes)
    std::span<const DialogTemplate> dialogs;
    std::span<const StringResource> strings;
    std::span<const IconResource> icons;
};

// Look-ups in the current application's resources; null or empty when
// the id is unknown.
const DialogTemplate* FindDialogTemplate(int id);
const IconResource* FindIcon(int id);
std::string LoadString(int id);

}  // namespace arkseal

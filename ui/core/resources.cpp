#include <arkseal/ui/core/resources.h>

#include <arkseal/ui/core/application.h>

namespace arkseal {

const DialogTemplate* FindDialogTemplate(int id) {
    if (CurrentApplication() == nullptr) return nullptr;
    for (const DialogTemplate& dialog : CurrentApplication()->Resources().dialogs) {
        if (dialog.id == id) return &dialog;
    }
    return nullptr;
}

const IconResource* FindIcon(int id) {
    if (CurrentApplication() == nullptr) return nullptr;
    for (const IconResource& icon : CurrentApplication()->Resources().icons) {
        if (icon.id == id) return &icon;
    }
    return nullptr;
}

std::string LoadString(int id) {
    if (CurrentApplication() == nullptr) return {};
    for (const StringResource& string : CurrentApplication()->Resources().strings) {
        if (string.id == id) return string.text;
    }
    return {};
}

}  // namespace arkseal

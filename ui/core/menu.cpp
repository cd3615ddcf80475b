#include <arkseal/ui/core/menu.h>

namespace arkseal {

void Menu::AppendMenu(unsigned flags, unsigned command, const std::string& text) {
    if (flags & MF_SEPARATOR) {
        items_.push_back({true, 0, {}});
    } else {
        items_.push_back({false, command, text});
    }
}

}  // namespace arkseal

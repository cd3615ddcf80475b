// A menu of command items and separators (the system menu).
#pragma once

#include <string>
#include <vector>

namespace arkseal {

inline constexpr unsigned MF_STRING = 0x0000;
inline constexpr unsigned MF_SEPARATOR = 0x0800;

class Menu {
public:
    struct Item {
        bool separator;
        unsigned command;
        std::string text;  // 8-bit, '&' marks the mnemonic
    };

    // Adds an item at the end: a separator (MF_SEPARATOR) or a text item
    // (MF_STRING) that sends its command when chosen.
    void AppendMenu(unsigned flags, unsigned command = 0, const std::string& text = {});

    const std::vector<Item>& Items() const { return items_; }

private:
    std::vector<Item> items_;
};

}  // namespace arkseal

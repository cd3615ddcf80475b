#include <arkseal/cli/shell_quoted.h>

#include <cstdint>
#include <cstdio>

namespace arkseal {

namespace {

bool Plain(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '_' ||
           c == '-' || c == '/' || c == '+' || c == ',' || c == ':' || c == '@' || c == '%';
}

// The length of the valid UTF-8 sequence at text[i] of a printable code
// point (U+00A0 and up), or 0.
std::size_t PrintableSequence(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    std::uint32_t code = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, code = lead & 0x07;
    } else {
        return 0;
    }
    if (i + length > text.size()) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        code = code << 6 | (byte(i + k) & 0x3F);
    }
    const std::uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return code >= 0xA0 ? length : 0;
}

// As C writes it: \n, \t, ... where there is a letter for it, else in octal.
std::string Escaped(unsigned char c) {
    static constexpr char kLetters[] = "abtnvfr";  // bytes 7 to 13
    if (c >= 7 && c <= 13) return {'\\', kLetters[c - 7]};
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, "\\%03o", c);
    return escaped;
}

}  // namespace

std::string ShellQuoted(std::string_view name) {
    bool bare = !name.empty();
    for (unsigned char c : name) bare = bare && Plain(c);
    if (bare) return std::string(name);
    std::string quoted;
    bool inQuotes = false;
    const auto quote = [&](bool open) {
        if (inQuotes != open) quoted += '\'';
        inQuotes = open;
    };
    for (std::size_t i = 0; i < name.size();) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (c >= 0x20 && c < 0x7F) {
            quote(true);
            quoted += c == '\'' ? std::string("'\\''") : std::string(1, static_cast<char>(c));
            ++i;
        } else if (const std::size_t length = PrintableSequence(name, i); length > 0) {
            quote(true);
            quoted.append(name.substr(i, length));
            i += length;
        } else {
            quote(false);
            quoted += "$'" + Escaped(c) + "'";
            ++i;
        }
    }
    quote(false);
    return quoted.empty() ? "''" : quoted;
}

}  // namespace arkseal

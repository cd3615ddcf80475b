// Small files of well-known types, and bytes that look random, for the
// tests of the checks that look at content before a job.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace arkseal::test {

using ContentBytes = std::vector<std::uint8_t>;

inline ContentBytes AsBytes(const std::string& text) { return ContentBytes(text.begin(), text.end()); }

inline ContentBytes PdfFixture() {
    return AsBytes(
        "%PDF-1.4\n1 0 obj\n<< /Type /Catalog /Pages 2 0 R >>\nendobj\n"
        "2 0 obj\n<< /Type /Pages /Kids [] /Count 0 >>\nendobj\ntrailer\n<< /Root 1 0 R >>\n%%EOF\n");
}

// The signature and an image header chunk: 1 x 1 pixel, 8-bit grey.
inline ContentBytes PngFixture() {
    return {0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48, 0x44,
            0x52, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x08, 0x00, 0x00, 0x00, 0x00, 0x3a,
            0x7e, 0x9b, 0x55, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};
}

inline ContentBytes TextFixture(std::size_t lines = 40) {
    std::string text;
    for (std::size_t i = 0; i < lines; ++i) text += "Line " + std::to_string(i) + " of the quarterly report.\n";
    return AsBytes(text);
}

inline ContentBytes RandomFixture(std::size_t size, unsigned seed = 1) {
    std::mt19937 generator(seed);
    ContentBytes bytes(size);
    for (auto& byte : bytes) byte = static_cast<std::uint8_t>(generator());
    return bytes;
}

}  // namespace arkseal::test

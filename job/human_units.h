// Sizes and durations as a person reads them, for every text that names
// them: the window's status line and boxes, the command line's messages.
#pragma once

#include <cstdint>
#include <string>

namespace arkseal {

// "512 bytes", "3.2 KB", "3.2 MB", "1.5 GB" (powers of 1000).
std::string SizeText(std::int64_t bytes);

// "47.7 MB (50069504 bytes)": the exact count after the human one, where a
// person may want to compare it with what a file listing says; bare below
// 1000 bytes.
std::string SizeWithBytesText(std::int64_t bytes);

// Whole seconds rounded up: "0:12", "59:59", "1:02:03".
std::string DurationText(double seconds);

}  // namespace arkseal

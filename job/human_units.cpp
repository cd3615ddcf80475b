#include <arkseal/job/human_units.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>

namespace arkseal {

std::string SizeText(std::int64_t bytes) {
    static constexpr const char* kUnits[] = {"KB", "MB", "GB", "TB"};
    if (bytes < 1000) return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
    double value = static_cast<double>(bytes) / 1000;
    std::size_t unit = 0;
    while (value >= 999.95 && unit + 1 < std::size(kUnits)) {
        value /= 1000;
        ++unit;
    }
    char text[48];
    std::snprintf(text, sizeof text, "%.1f %s", value, kUnits[unit]);
    return text;
}

std::string SizeWithBytesText(std::int64_t bytes) {
    if (bytes < 1000) return SizeText(bytes);
    return SizeText(bytes) + " (" + std::to_string(bytes) + " bytes)";
}

std::string DurationText(double seconds) {
    const auto total = static_cast<long long>(std::ceil(std::max(seconds, 0.0)));
    char text[48];
    if (total >= 3600) {
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", total / 3600, total / 60 % 60, total % 60);
    } else {
        std::snprintf(text, sizeof text, "%lld:%02lld", total / 60, total % 60);
    }
    return text;
}

}  // namespace arkseal

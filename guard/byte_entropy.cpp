#include <arkseal/guard/byte_entropy.h>

#include <array>
#include <cmath>

namespace arkseal {

namespace {

// n random draws from 256 values show 256·(1 − (255/256)^n) distinct ones
// on average; random bytes reach at least 80 % of that.
bool UsesEnoughDistinctValues(std::size_t distinct, std::size_t n) {
    const double expected = 256.0 * (1.0 - std::pow(255.0 / 256.0, static_cast<double>(n)));
    return static_cast<double>(distinct) >= 0.8 * expected;
}

}  // namespace

ByteEntropy MeasureByteEntropy(std::span<const std::uint8_t> bytes) {
    ByteEntropy result;
    const std::size_t n = bytes.size();
    if (n == 0) return result;
    std::array<std::size_t, 256> counts{};
    for (std::uint8_t byte : bytes) ++counts[byte];
    std::size_t distinct = 0;
    double entropy = 0;
    for (std::size_t count : counts) {
        if (count == 0) continue;
        ++distinct;
        const double p = static_cast<double>(count) / static_cast<double>(n);
        entropy -= p * std::log2(p);
    }
    result.bitsPerByte = entropy;
    result.flatnessGap = 2.0 * static_cast<double>(n) * std::log(2.0) * (8.0 - entropy);
    result.looksRandom = n >= kRandomMinimumBytes && result.flatnessGap < kRandomFlatnessGapLimit &&
                         UsesEnoughDistinctValues(distinct, n);
    return result;
}

}  // namespace arkseal

// How random a run of bytes looks, from its byte histogram alone.
//
// H is the Shannon entropy of the histogram in bits per byte (8 for a flat
// histogram). The G statistic 2·n·ln2·(8 − H) measures how far the
// histogram is from flat; for n random bytes it follows a chi-square law
// with 255 degrees of freedom (mean 255, standard deviation 22.6), for
// text, code and most structured data it is in the thousands once n reaches
// a few hundred bytes. Compressed data sits in between. Short runs cannot
// reach a flat histogram, so random bytes are also expected to use about as
// many distinct values as n random draws from 256 would.
#pragma once

#include <cstdint>
#include <span>

namespace arkseal {

struct ByteEntropy {
    double bitsPerByte = 0;  // H
    double flatnessGap = 0;  // G = 2·n·ln2·(8 − H)
    bool looksRandom = false;
};

// G below this passes for random: 6.4 standard deviations above the mean,
// which random data exceeds less than once in 10^8.
inline constexpr double kRandomFlatnessGapLimit = 400;
// Fewer bytes than this say nothing either way: never random.
inline constexpr std::size_t kRandomMinimumBytes = 32;

ByteEntropy MeasureByteEntropy(std::span<const std::uint8_t> bytes);

}  // namespace arkseal

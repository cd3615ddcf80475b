// How long a passphrase would stand up to someone who has an encrypted file.
//
// The key is the first half of one unsalted SHA-512 of the passphrase, so
// an attacker tries candidates at the speed of SHA-512 itself: about 10^10
// a second on one current graphics card. zxcvbn estimates how many guesses
// a clever attacker needs (dictionary words, names, keyboard runs, dates,
// repeats and their common substitutions); the time is that many guesses at
// that rate. A passphrase found within a year is weak.
#pragma once

#include <string>
#include <string_view>

namespace arkseal {

inline constexpr double kAttackerGuessesPerSecond = 1e10;
inline constexpr double kWeakBelowSeconds = 365.25 * 24 * 3600;

struct PassphraseStrength {
    double guessesLog2 = 0;  // zxcvbn's estimate, in bits
    double seconds = 0;      // to find it at kAttackerGuessesPerSecond
    bool weak = true;        // found in under kWeakBelowSeconds
};

// The passphrase is 8-bit text (UTF-8) up to its first NUL.
PassphraseStrength EstimatePassphraseStrength(std::string_view passphrase);

// The time in words: "less than a second", "about 3 hours", "about 40
// years", "more than a million years".
std::string DescribeGuessingTime(double seconds);

}  // namespace arkseal

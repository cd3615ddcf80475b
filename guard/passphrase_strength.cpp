#include <arkseal/guard/passphrase_strength.h>

#include <zxcvbn.h>

#include <cmath>

#include <arkseal/base/wipe.h>

namespace arkseal {

PassphraseStrength EstimatePassphraseStrength(std::string_view passphrase) {
    PassphraseStrength strength;
    std::string text(passphrase);
    strength.guessesLog2 = text.empty() ? 0.0 : ZxcvbnMatch(text.c_str(), nullptr, nullptr);
    SecureWipe(text.data(), text.size());
    strength.seconds = std::exp2(strength.guessesLog2) / kAttackerGuessesPerSecond;
    strength.weak = strength.seconds < kWeakBelowSeconds;
    return strength;
}

std::string DescribeGuessingTime(double seconds) {
    struct Unit {
        const char* name;
        double seconds;
    };
    static constexpr Unit kUnits[] = {
        {"year", 365.25 * 24 * 3600}, {"day", 24 * 3600}, {"hour", 3600}, {"minute", 60}, {"second", 1},
    };
    if (seconds >= 1e6 * kUnits[0].seconds) return "more than a million years";
    for (const Unit& unit : kUnits) {
        if (seconds < unit.seconds) continue;
        const long count = std::lround(seconds / unit.seconds);
        return "about " + std::to_string(count) + " " + unit.name + (count == 1 ? "" : "s");
    }
    return "less than a second";
}

}  // namespace arkseal

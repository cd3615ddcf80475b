// zxcvbn's estimate turned into a time at the attacker's rate, the weak
// threshold, and the time in words.
#include <arkseal/guard/passphrase_strength.h>

#include <gtest/gtest.h>

#include <cmath>

namespace arkseal {
namespace {

TEST(PassphraseStrengthTest, WeakMeansFoundWithinAYearAtTheStatedRate) {
    struct Case {
        const char* passphrase;
        bool weak;
    };
    const Case cases[] = {
        {"", true},
        {"password", true},
        {"abc", true},
        {"Tr0ub4dor&3", true},
        {"correct horse", true},
        {"my dog ate 3 blue kites", false},
        {"Xq7#vB9!mK2$pL4@wN8^", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.passphrase);
        const PassphraseStrength strength = EstimatePassphraseStrength(c.passphrase);
        EXPECT_EQ(strength.weak, c.weak) << strength.guessesLog2;
        EXPECT_NEAR(strength.seconds, std::exp2(strength.guessesLog2) / kAttackerGuessesPerSecond,
                    strength.seconds * 1e-12);
    }
    EXPECT_EQ(EstimatePassphraseStrength("").guessesLog2, 0);
    EXPECT_LT(EstimatePassphraseStrength("Tr0ub4dor").guessesLog2,
              EstimatePassphraseStrength("Tr0ub4dor&3").guessesLog2);
}

TEST(PassphraseStrengthTest, SaysTheTimeInWords) {
    struct Case {
        double seconds;
        const char* words;
    };
    const Case cases[] = {
        {0, "less than a second"},
        {0.4, "less than a second"},
        {1, "about 1 second"},
        {59.4, "about 59 seconds"},
        {90, "about 2 minutes"},
        {3 * 3600.0 + 600, "about 3 hours"},
        {86400, "about 1 day"},
        {40 * 365.25 * 86400, "about 40 years"},
        {2e6 * 365.25 * 86400, "more than a million years"},
        {1e300, "more than a million years"},
    };
    for (const Case& c : cases) EXPECT_EQ(DescribeGuessingTime(c.seconds), c.words) << c.seconds;
}

}  // namespace
}  // namespace arkseal

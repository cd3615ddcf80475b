// The looks before a job that the desktop program turns into questions,
// here refusals: without --force, a file whose content or passphrase gives a
// reason to stop is refused before any file is changed.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <arkseal/guard/content_judgement.h>
#include <arkseal/guard/passphrase_strength.h>

namespace arkseal {

// Why the judgement stands in the way, as a phrase ("looks like PDF
// document, not an encrypted file"); empty when nothing does.
std::string ConcernText(const ContentJudgement& judgement);

// Judges each file's head for the direction. True when none raises a
// concern; otherwise false with "FILE: reason" lines in *errors (a head that
// cannot be read is one too).
bool ContentAllowsJob(const std::vector<std::string>& files, bool encrypt, std::string_view passphrase,
                      std::vector<std::string>* errors);

// "about 3 hours at 10^10 guesses a second (one graphics card)"
std::string GuessingTimeText(const PassphraseStrength& strength);

}  // namespace arkseal

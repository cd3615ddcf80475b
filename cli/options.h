// The command line of arkseal-cli:
//   arkseal-cli [options] encrypt|decrypt|resume|inspect FILE...
// The passphrase never comes from the command line or the environment, which
// other users can read; only from the terminal, a file descriptor or a file.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace arkseal {

struct CliOptions {
    bool help = false;
    bool version = false;
    bool encrypt = true;
    bool resume = false;   // finish the files' unfinished jobs, in their own directions
    bool inspect = false;  // look at the files and change nothing
    bool force = false;    // go ahead where the looks before a job would refuse
    bool quiet = false;
    std::size_t jobs = 0;  // files worked on at once; 0: one per usable processor
    std::optional<int> passphraseFd;
    std::optional<std::string> passphraseFile;
    std::vector<std::string> files;
};

// Fills options from argv; false with *error set when the command line is
// not usable. --help and --version need nothing else.
bool ParseCliOptions(int argc, char** argv, CliOptions* options, std::string* error);

// The --help text.
const char* CliUsage();

}  // namespace arkseal

// The command line of arkseal-cli:
//   arkseal-cli [options] encrypt|decrypt|resume FILE...
// The passphrase never comes from the command line or the environment, which
// other users can read; only from the terminal, a file descriptor or a file.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "job/in_place_job.h"

namespace arkseal {

struct CliOptions {
    bool help = false;
    bool version = false;
    JobMode mode = JobMode::kEncrypt;
    bool quiet = false;
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

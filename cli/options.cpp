#include <arkseal/cli/options.h>

#include <getopt.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace arkseal {

namespace {

enum LongOnly { kPassphraseFd = 256, kPassphraseFile, kVersion, kForce };

const option kLongOptions[] = {
    {"help", no_argument, nullptr, 'h'},
    {"force", no_argument, nullptr, kForce},
    {"quiet", no_argument, nullptr, 'q'},
    {"jobs", required_argument, nullptr, 'j'},
    {"passphrase-fd", required_argument, nullptr, kPassphraseFd},
    {"passphrase-file", required_argument, nullptr, kPassphraseFile},
    {"version", no_argument, nullptr, kVersion},
    {nullptr, 0, nullptr, 0},
};

// The option getopt stopped at, as the user wrote it: a long one from the
// word just read (getopt has moved past it; the words before it may be
// operands it skipped), a short one from optopt (it may sit in a cluster).
std::string OffendingOption(char** argv) {
    const std::string word = argv[optind - 1];
    if (word.rfind("--", 0) == 0) return word.substr(0, word.find('='));
    return std::string("-") + static_cast<char>(optopt);
}

bool ParseNumber(const char* text, long lowest, int* number) {
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || value < lowest || value > INT_MAX) return false;
    *number = static_cast<int>(value);
    return true;
}

}  // namespace

bool ParseCliOptions(int argc, char** argv, CliOptions* options, std::string* error) {
    *options = CliOptions{};
    optind = 1;
    opterr = 0;
    for (;;) {
        const int c = getopt_long(argc, argv, ":hqj:", kLongOptions, nullptr);
        if (c == -1) break;
        switch (c) {
            case 'h': options->help = true; break;
            case 'q': options->quiet = true; break;
            case kVersion: options->version = true; break;
            case kForce: options->force = true; break;
            case 'j': {
                int jobs = 0;
                if (!ParseNumber(optarg, 1, &jobs)) {
                    *error = std::string("--jobs needs a number of files of at least 1, not '") + optarg + "'";
                    return false;
                }
                options->jobs = static_cast<std::size_t>(jobs);
                break;
            }
            case kPassphraseFd: {
                int fd = 0;
                if (!ParseNumber(optarg, 0, &fd)) {
                    *error = std::string("--passphrase-fd needs a file descriptor number, not '") + optarg + "'";
                    return false;
                }
                options->passphraseFd = fd;
                break;
            }
            case kPassphraseFile: options->passphraseFile = optarg; break;
            case ':': *error = "option " + OffendingOption(argv) + " needs a value"; return false;
            default: *error = "unknown option " + OffendingOption(argv); return false;
        }
    }
    if (options->help || options->version) return true;
    if (options->passphraseFd && options->passphraseFile) {
        *error = "give either --passphrase-fd or --passphrase-file, not both";
        return false;
    }
    if (optind >= argc) {
        *error = "say encrypt, decrypt, resume or inspect";
        return false;
    }
    const std::string command = argv[optind++];
    if (command == "encrypt") {
        options->encrypt = true;
    } else if (command == "decrypt") {
        options->encrypt = false;
    } else if (command == "resume") {
        options->resume = true;
    } else if (command == "inspect") {
        options->inspect = true;
    } else {
        *error = "unknown command '" + command + "' (say encrypt, decrypt, resume or inspect)";
        return false;
    }
    for (int i = optind; i < argc; ++i) options->files.emplace_back(argv[i]);
    if (options->files.empty()) {
        *error = "name at least one file to " + command;
        return false;
    }
    return true;
}

const char* CliUsage() {
    return "Usage: arkseal-cli [OPTION]... encrypt FILE...\n"
           "       arkseal-cli [OPTION]... decrypt FILE...\n"
           "       arkseal-cli [OPTION]... resume FILE...\n"
           "       arkseal-cli [--passphrase-fd N | --passphrase-file PATH] inspect FILE...\n"
           "Encrypt or decrypt each FILE in place with a passphrase, exactly as the\n"
           "Arkseal desktop program does, several files at once (-j); inspect shows what\n"
           "each FILE looks like to the checks below, and changes nothing. resume finishes\n"
           "the unfinished job of each FILE (one cut short by a crash, a kill, a power\n"
           "cut, a stop or an I/O failure) in the direction it was started, with the same\n"
           "passphrase; a wrong one is refused before anything changes.\n"
           "\n"
           "Without a passphrase option the passphrase is asked for on the terminal: twice\n"
           "to encrypt, once to decrypt or resume (a wrong one is caught before any change\n"
           "where the content or the journal can tell); inspect then judges without one.\n"
           "  --passphrase-fd N       read the passphrase from file descriptor N\n"
           "  --passphrase-file PATH  read the passphrase from the file PATH\n"
           "                          (the first line, without its newline; at most\n"
           "                          256 bytes, refused as soon as it is longer)\n"
           "      --force             go ahead where the content checks or an empty\n"
           "                          passphrase would refuse\n"
           "  -j, --jobs N            work on up to N files at once, each in its own thread\n"
           "                          (default: one per processor this program may use)\n"
           "  -q, --quiet             show no progress bar and no passphrase warning\n"
           "  -h, --help              show this help and exit\n"
           "      --version           show the version and exit\n"
           "\n"
           "Every file is checked before any is changed: all must exist and be writable,\n"
           "and encrypt and decrypt refuse a file that has an unfinished job.\n"
           "Its content is looked at too, and unless --force the run is refused when\n"
           "decrypt meets a file of a known plain type (PDF, PNG, text, ...) or one that\n"
           "does not decrypt to anything recognisable with the passphrase (it may be\n"
           "wrong), or when encrypt meets a file that looks encrypted already. Encrypt\n"
           "refuses an empty passphrase and warns of one that is guessed within a year.\n"
           "Files are started in the order named; one progress bar for all of them is\n"
           "shown on standard error when it is a terminal.\n"
           "SIGINT, SIGTERM or SIGHUP stop every file in progress at its next chunk, with\n"
           "its journal saved, and start no other: 'arkseal-cli resume FILE' finishes it\n"
           "later.\n"
           "\n"
           "File names with control characters or shell characters are shown quoted and\n"
           "escaped, as ls's shell-escape quoting shows them.\n"
           "\n"
           "Exit status: 0 all files done; 1 input refused (also a wrong passphrase on\n"
           "resume), nothing changed; 2 a file could not be read or written (the message\n"
           "names the file and how much was done, and how to resume it); 64 the command\n"
           "line is wrong, nothing was done. Once a file fails or is refused, the files in\n"
           "progress finish and no other is started; each file's outcome is reported.\n"
           "128+N stopped by signal N.\n"
           "\n"
           "The format has no integrity check: a wrong passphrase would decrypt to garbage.\n"
           "The content checks refuse that where the result would be recognisably wrong\n"
           "(and resume refuses a wrong passphrase outright); --force decrypts anyway.\n"
           "See arkseal-cli(1).\n";
}

}  // namespace arkseal

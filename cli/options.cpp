#include "cli/options.h"

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
    {"passphrase-fd", required_argument, nullptr, kPassphraseFd},
    {"passphrase-file", required_argument, nullptr, kPassphraseFile},
    {"version", no_argument, nullptr, kVersion},
    {nullptr, 0, nullptr, 0},
};

bool ParseFd(const char* text, int* fd) {
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || value < 0 || value > INT_MAX) return false;
    *fd = static_cast<int>(value);
    return true;
}

}  // namespace

bool ParseCliOptions(int argc, char** argv, CliOptions* options, std::string* error) {
    *options = CliOptions{};
    optind = 1;
    opterr = 0;
    for (;;) {
        const int previous = optind;
        const int c = getopt_long(argc, argv, ":hq", kLongOptions, nullptr);
        if (c == -1) break;
        switch (c) {
            case 'h': options->help = true; break;
            case 'q': options->quiet = true; break;
            case kVersion: options->version = true; break;
            case kForce: options->force = true; break;
            case kPassphraseFd: {
                int fd = 0;
                if (!ParseFd(optarg, &fd)) {
                    *error = std::string("--passphrase-fd needs a file descriptor number, not '") + optarg + "'";
                    return false;
                }
                options->passphraseFd = fd;
                break;
            }
            case kPassphraseFile: options->passphraseFile = optarg; break;
            case ':': *error = std::string("option ") + argv[previous] + " needs a value"; return false;
            default: *error = std::string("unknown option ") + argv[previous]; return false;
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
           "Encrypt or decrypt each FILE in place with a passphrase, one after the other,\n"
           "exactly as the Arkseal desktop program does; inspect shows what each FILE\n"
           "looks like to the checks below, and changes nothing. resume finishes the\n"
           "unfinished job of each FILE (one cut short by a crash, a kill, a power cut,\n"
           "a stop or an I/O failure) in the direction it was started, with the same\n"
           "passphrase; a wrong one is refused before anything changes.\n"
           "\n"
           "Without a passphrase option the passphrase is asked for twice on the terminal\n"
           "(inspect then judges without one).\n"
           "  --passphrase-fd N       read the passphrase from file descriptor N\n"
           "  --passphrase-file PATH  read the passphrase from the file PATH\n"
           "                          (the first line, without its newline)\n"
           "      --force             go ahead where the content checks or an empty\n"
           "                          passphrase would refuse\n"
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
           "A progress bar is shown on standard error when it is a terminal.\n"
           "SIGINT, SIGTERM or SIGHUP stop the file in progress at its next chunk, with\n"
           "its journal saved: 'arkseal-cli resume FILE' finishes it later.\n"
           "\n"
           "Exit status: 0 all files done; 1 usage or input refused (also a wrong\n"
           "passphrase on resume), nothing changed; 2 a file could not be read or written\n"
           "(the message names the file and how much was done, and how to resume it;\n"
           "later files are left alone); 128+N stopped by signal N.\n"
           "\n"
           "There is no integrity check: decrypting with a wrong passphrase silently gives\n"
           "garbage. See arkseal-cli(1).\n";
}

}  // namespace arkseal

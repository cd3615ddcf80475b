#include "cli/cli_program.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/content_checks.h"
#include "cli/file_checks.h"
#include "cli/file_job_runner.h"
#include "cli/inspect_command.h"
#include "cli/options.h"
#include "cli/passphrase_input.h"
#include "cli/progress_bar.h"
#include "cli/stop_signals.h"
#include "job/secret_memory.h"

#ifndef ARKSEAL_VERSION
#define ARKSEAL_VERSION "unknown"
#endif

namespace arkseal {

namespace {

void Complain(const std::string& text) { std::fprintf(stderr, "arkseal-cli: %s\n", text.c_str()); }

// The job's messages are written for a message box, on several lines.
std::string OneLine(std::string text) {
    for (char& c : text) {
        if (c == '\n') c = ' ';
    }
    return text;
}

int StoppedStatus() { return 128 + StopSignal(); }

void ReportStop(const std::vector<std::string>& files, std::size_t next) {
    std::string text = std::string("stopped (") + strsignal(StopSignal()) + "); not started:";
    for (std::size_t i = next; i < files.size(); ++i) text += " " + files[i];
    Complain(text);
}

void ReportNotStarted(const std::vector<std::string>& files, std::size_t next) {
    if (next >= files.size()) return;
    std::string text = "not started, left unchanged:";
    for (std::size_t i = next; i < files.size(); ++i) text += " " + files[i];
    Complain(text);
}

bool FilesUsable(const CliOptions& options, ClaimedFiles* claims) {
    std::vector<std::string> errors;
    if (CheckFiles(options.files, options.resume, &errors, claims)) return true;
    for (const std::string& error : errors) Complain(error);
    Complain("nothing was changed");
    return false;
}

PassphraseResult GetPassphrase(const CliOptions& options, Passphrase* passphrase, std::string* error) {
    if (options.passphraseFd) {
        return ReadPassphraseFromFd(*options.passphraseFd, "file descriptor " + std::to_string(*options.passphraseFd),
                                    passphrase, error);
    }
    if (options.passphraseFile) return ReadPassphraseFromFile(*options.passphraseFile, passphrase, error);
    return PromptPassphrase(passphrase, error);
}

// Inspect reads a passphrase only when one is given; it never asks.
int Inspect(const CliOptions& options) {
    if (!options.passphraseFd && !options.passphraseFile) return RunInspect(options.files, std::nullopt);
    Passphrase passphrase;
    std::string error;
    switch (GetPassphrase(options, &passphrase, &error)) {
        case PassphraseResult::kRead: return RunInspect(options.files, passphrase.View());
        case PassphraseResult::kRefused: Complain(error); return kExitRefused;
        case PassphraseResult::kInterrupted: return StoppedStatus();
    }
    return kExitRefused;
}

// Encrypting with the empty passphrase is refused without --force; a weak
// one is worth a warning. A resume has its passphrase from the job.
bool PassphraseFitsJob(const CliOptions& options, std::string_view passphrase) {
    if (!options.encrypt || options.resume) return true;
    if (passphrase.empty() && !options.force) {
        Complain(
            "the passphrase is empty: anyone could decrypt the files; nothing was changed (--force encrypts anyway)");
        return false;
    }
    const PassphraseStrength strength = EstimatePassphraseStrength(passphrase);
    if (strength.weak && !options.quiet) {
        Complain("warning: this passphrase is weak; it would be guessed in " + GuessingTimeText(strength));
    }
    return true;
}

// A half-done file is neither plain nor encrypted: a resume is not looked at.
bool ContentFitsJob(const CliOptions& options, std::string_view passphrase) {
    std::vector<std::string> errors;
    if (options.force || options.resume || ContentAllowsJob(options.files, options.encrypt, passphrase, &errors))
        return true;
    for (const std::string& error : errors) Complain(error);
    Complain("nothing was changed");
    return false;
}

JobMode Mode(const CliOptions& options) {
    if (options.resume) return JobMode::kResume;
    return options.encrypt ? JobMode::kEncrypt : JobMode::kDecrypt;
}

std::string Label(const std::vector<std::string>& files, std::size_t index) {
    if (files.size() == 1) return files[index];
    return "[" + std::to_string(index + 1) + "/" + std::to_string(files.size()) + "] " + files[index];
}

}  // namespace

int RunCli(int argc, char** argv) {
    CliOptions options;
    std::string error;
    if (!ParseCliOptions(argc, argv, &options, &error)) {
        Complain(error);
        std::fputs("Try 'arkseal-cli --help'.\n", stderr);
        return kExitRefused;
    }
    if (options.help) {
        std::fputs(CliUsage(), stdout);
        return kExitDone;
    }
    if (options.version) {
        std::printf("arkseal-cli %s\n", ARKSEAL_VERSION);
        return kExitDone;
    }
    InstallStopSignals();
    if (options.inspect) return Inspect(options);

    // Everything is checked before the first file is touched: the files
    // before the passphrase is asked for, and again after, as the prompt
    // may have taken a while. From the first check on, the files are held
    // against other jobs.
    ClaimedFiles claims;
    if (!FilesUsable(options, &claims)) return kExitRefused;
    const KeysHeld keysHeld;
    Passphrase passphrase;
    switch (GetPassphrase(options, &passphrase, &error)) {
        case PassphraseResult::kRead: break;
        case PassphraseResult::kRefused: Complain(error); return kExitRefused;
        case PassphraseResult::kInterrupted: ReportStop(options.files, 0); return StoppedStatus();
    }
    if (!FilesUsable(options, &claims)) return kExitRefused;
    if (!PassphraseFitsJob(options, passphrase.View())) return kExitRefused;
    if (!ContentFitsJob(options, passphrase.View())) return kExitRefused;

    ProgressBar progress(stderr, !options.quiet && IsTerminal(stderr));
    FileJobRunner runner(Mode(options), progress);
    const std::vector<std::string>& files = options.files;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (StopSignal() != 0) {
            ReportStop(files, i);
            return StoppedStatus();
        }
        claims.Release(i);
        const JobResult result = runner.Run(files[i], Label(files, i), passphrase, i + 1 == files.size());
        const std::string text = JobResultText(result, files[i]);
        if (!text.empty()) Complain(files[i] + ": " + OneLine(text));
        switch (OutcomeOf(result)) {
            case JobOutcome::kDone: break;
            case JobOutcome::kStopped: ReportStop(files, i + 1); return StoppedStatus();
            case JobOutcome::kRefused: ReportNotStarted(files, i + 1); return kExitRefused;
            case JobOutcome::kFailed: ReportNotStarted(files, i + 1); return kExitJobFailed;
        }
    }
    return kExitDone;
}

}  // namespace arkseal

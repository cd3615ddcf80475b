#include <arkseal/cli/cli_program.h>

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include <arkseal/cli/content_checks.h>
#include <arkseal/cli/file_checks.h>
#include <arkseal/cli/file_job_runner.h>
#include <arkseal/cli/inspect_command.h>
#include <arkseal/cli/options.h>
#include <arkseal/cli/passphrase_input.h>
#include <arkseal/cli/progress_bar.h>
#include <arkseal/cli/shell_quoted.h>
#include <arkseal/cli/stop_signals.h>
#include <arkseal/job/secret_memory.h>

#ifndef ARKSEAL_VERSION
#define ARKSEAL_VERSION "unknown"
#endif

namespace arkseal {

namespace {

void Complain(const std::string& text) { std::fprintf(stderr, "arkseal-cli: %s\n", text.c_str()); }

int StoppedStatus() { return 128 + StopSignal(); }

std::string Listed(const std::vector<std::string>& files) {
    std::string text;
    for (const std::string& file : files) text += " " + ShellQuoted(file);
    return text;
}

void ReportStop(const std::vector<std::string>& notStarted) {
    std::string text = std::string("stopped (") + strsignal(StopSignal()) + ")";
    if (!notStarted.empty()) text += "; not started:" + Listed(notStarted);
    Complain(text);
}

void ReportNotStarted(const std::vector<std::string>& notStarted) {
    if (!notStarted.empty()) Complain("not started, left unchanged:" + Listed(notStarted));
}

// The worst outcome decides: a stop signal that kept a file from being
// finished, then an I/O failure, then a refusal.
int ExitStatus(const std::vector<std::string>& files, const std::vector<std::optional<JobResult>>& results) {
    std::vector<std::string> notStarted;
    bool stopped = false;
    bool failed = false;
    bool refused = false;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (!results[i]) {
            notStarted.push_back(files[i]);
            continue;
        }
        switch (OutcomeOf(*results[i])) {
            case JobOutcome::kDone: break;
            case JobOutcome::kStopped: stopped = true; break;
            case JobOutcome::kRefused: refused = true; break;
            case JobOutcome::kFailed: failed = true; break;
        }
    }
    if (StopSignal() != 0 && (stopped || !notStarted.empty())) {
        ReportStop(notStarted);
        return StoppedStatus();
    }
    ReportNotStarted(notStarted);
    if (failed) return kExitJobFailed;
    if (refused) return kExitRefused;
    return kExitDone;
}

JobMode Mode(const CliOptions& options) {
    if (options.resume) return JobMode::kResume;
    return options.encrypt ? JobMode::kEncrypt : JobMode::kDecrypt;
}

bool FilesUsable(const CliOptions& options, ClaimedFiles* claims) {
    std::vector<std::string> errors;
    if (CheckFiles(options.files, Mode(options), &errors, claims)) return true;
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
    // Only encrypting asks twice: a mistyped passphrase to decrypt or resume
    // with is caught by the content checks or the journal before any change.
    return PromptPassphrase(passphrase, error, options.encrypt && !options.resume);
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

}  // namespace

int RunCli(int argc, char** argv) {
    CliOptions options;
    std::string error;
    if (!ParseCliOptions(argc, argv, &options, &error)) {
        Complain(error);
        std::fputs("Try 'arkseal-cli --help'.\n", stderr);
        return kExitUsage;
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
        case PassphraseResult::kInterrupted: ReportStop(options.files); return StoppedStatus();
    }
    if (!FilesUsable(options, &claims)) return kExitRefused;
    if (!PassphraseFitsJob(options, passphrase.View())) return kExitRefused;
    if (!ContentFitsJob(options, passphrase.View())) return kExitRefused;

    ProgressBar progress(stderr, !options.quiet && IsTerminal(stderr));
    FileJobRunner runner(Mode(options), options.jobs != 0 ? options.jobs : UsableProcessors(), progress);
    const std::vector<std::string>& files = options.files;
    const auto results = runner.Run(files, passphrase, claims, [&](std::size_t index, const JobResult& result) {
        const std::string file = ShellQuoted(files[index]);
        const std::string text = JobResultLine(result, file);
        if (!text.empty()) Complain(file + ": " + text);
    });
    return ExitStatus(files, results);
}

}  // namespace arkseal

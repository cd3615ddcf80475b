#include <arkseal/job/job_result.h>

#include <system_error>

#include <arkseal/job/human_units.h>
#include <arkseal/job/job_texts.h>

namespace arkseal {

namespace {

std::string Reason(int error) { return " (" + std::generic_category().message(error) + ")"; }

const char* Action(JobStep step) {
    switch (step) {
        case JobStep::kMeasure: return "measure the file";
        case JobStep::kJournal: return "write the job's journal";
        case JobStep::kRead: return "read the file";
        case JobStep::kWrite: return "write the file";
        case JobStep::kSync: return "save the file to disk";
        case JobStep::kClose: return "close the file";
        default: return "process the file";
    }
}

std::string HowFar(const JobResult& result) {
    if (result.processed == 0 && !result.resumable) return "The file is unchanged.";
    if (result.processed >= result.length) {
        return "All " + SizeWithBytesText(result.length) + " were processed, but the file on disk may be incomplete.";
    }
    return "The first " + SizeWithBytesText(result.processed) + " of " + SizeText(result.length) +
           " were processed; the rest of the file is unchanged.";
}

std::string Hint(const JobResult& result, const std::string& file, const char* lineBreak) {
    if (!result.resumable) return {};
    return lineBreak +
           std::string(
               "The job can be finished later with the same passphrase: Encrypt or Decrypt in Arkseal, or "
               "arkseal-cli resume ") +
           file;
}

const char* Direction(bool encrypt) { return encrypt ? "encryption" : "decryption"; }

}  // namespace

JobOutcome OutcomeOf(const JobResult& result) {
    switch (result.step) {
        case JobStep::kDone: return JobOutcome::kDone;
        case JobStep::kStopped: return JobOutcome::kStopped;
        case JobStep::kClaim:
        case JobStep::kNoJob:
        case JobStep::kNotStarted:
        case JobStep::kUnfinished:
        case JobStep::kWrongPassphrase:
        case JobStep::kJournalUnusable: return JobOutcome::kRefused;
        default: return JobOutcome::kFailed;
    }
}

namespace {

// The text with its lines joined by lineBreak.
std::string Describe(const JobResult& result, const std::string& file, const char* lineBreak) {
    switch (result.step) {
        case JobStep::kDone:
            if (result.appended == 0) return {};
            return SizeWithBytesText(result.appended) +
                   " were added to the file by another program while it was processed; they were left as they "
                   "are.";
        case JobStep::kOpen:
            return CannotOpenText(result.resumed   ? JobMode::kResume
                                  : result.encrypt ? JobMode::kEncrypt
                                                   : JobMode::kDecrypt) +
                   "[?]" + (result.error != 0 ? Reason(result.error) : "");
        case JobStep::kShrunk:
            return std::string("The file was cut short by another program while it was processed: it is no longer ") +
                   SizeWithBytesText(result.length) + " long." + lineBreak + HowFar(result) +
                   Hint(result, file, lineBreak);
        case JobStep::kReplaced:
            return std::string("The file was replaced by another one while it was processed.") + lineBreak +
                   HowFar(result) + Hint(result, file, lineBreak);
        case JobStep::kDamaged:
            return "The job cannot be finished: the file was changed by another program near byte " +
                   std::to_string(result.at) +
                   ", which holds neither what the job found there nor what it would write.";
        case JobStep::kStopped:
            if (!result.resumable) return "Stopped; the file is unchanged.";
            return "Stopped after " + SizeWithBytesText(result.processed) + " of " + SizeText(result.length) + "." +
                   Hint(result, file, lineBreak);
        case JobStep::kClaim: return result.claim.Refusal() + lineBreak + "The file is unchanged.";
        case JobStep::kNoJob: return "There is no unfinished job on this file.";
        case JobStep::kNotStarted:
            return "The interrupted job had not changed the file yet: it is unchanged. Start the job again.";
        case JobStep::kUnfinished:
            return std::string("The file has an unfinished ") + Direction(result.encrypt) + " (" +
                   SizeText(result.processed) + " of " + SizeText(result.length) +
                   " done). Finish it first, with the same passphrase: Encrypt or Decrypt in Arkseal, or "
                   "arkseal-cli resume " +
                   file;
        case JobStep::kWrongPassphrase:
            return "This is not the passphrase the unfinished job was started with. Nothing was changed.";
        case JobStep::kJournalUnusable:
            return "The journal of the unfinished job is damaged or belongs to another file. Nothing was "
                   "changed.";
        default:
            return std::string("Could not ") + Action(result.step) + Reason(result.error) + "." + lineBreak +
                   HowFar(result) + Hint(result, file, lineBreak);
    }
}

}  // namespace

std::string JobResultText(const JobResult& result, const std::string& file) { return Describe(result, file, "\n"); }

std::string JobResultLine(const JobResult& result, const std::string& file) { return Describe(result, file, " "); }

}  // namespace arkseal

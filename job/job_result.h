// How a job ended, as a record: what failed, why (errno), and how far the
// job got. The dialog shows the text built from it; the command line reads
// the record to choose its exit status.
#pragma once

#include <cstdint>
#include <string>

#include <arkseal/job/file_claim.h>

namespace arkseal {

enum class JobStep {
    kDone,
    // Failures: the job stopped part-way; resumable tells whether it can be
    // finished later.
    kOpen,
    kMeasure,
    kJournal,
    kRead,
    kWrite,
    kSync,
    kClose,
    kShrunk,    // the file became shorter than the job's length
    kReplaced,  // the path now names another file
    kDamaged,   // a sector is neither what the job found nor what it writes
    // A stop request, honoured at a chunk boundary.
    kStopped,
    // Refusals: nothing was changed.
    kClaim,  // not a regular file, or held by another job
    kNoJob,
    kNotStarted,
    kUnfinished,
    kWrongPassphrase,
    kJournalUnusable,
};

enum class JobOutcome { kDone, kRefused, kFailed, kStopped };

struct JobResult {
    JobStep step = JobStep::kDone;
    int error = 0;               // errno of the failed call, 0 when none
    std::int64_t processed = 0;  // bytes transformed (and, for a stop, durable)
    std::int64_t length = 0;     // the job's length
    std::int64_t appended = 0;   // bytes added to the file by others during the job, left alone
    std::int64_t at = 0;         // kDamaged: the offset of the sector
    bool encrypt = true;         // the job's direction
    bool resumed = false;        // the job was to finish an unfinished one
    bool resumable = false;      // a journal remains: the job can be finished later
    FileClaim claim;             // kClaim: why the file was not taken
};

JobOutcome OutcomeOf(const JobResult& result);

// The text for the user, written for a message box; `file` is the path the
// job was given, named in the hint on how to finish the job.
std::string JobResultText(const JobResult& result, const std::string& file);
// The same text on one line, for a terminal.
std::string JobResultLine(const JobResult& result, const std::string& file);

}  // namespace arkseal

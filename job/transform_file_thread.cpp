#include <arkseal/job/transform_file_thread.h>

#include <string>

#include <arkseal/job/block_job.h>
#include <arkseal/job/job_texts.h>
#include <arkseal/ui/core/message_box.h>

namespace arkseal {

namespace {

// The dialog follows the job through posts to the block's owner.
class PostingObserver : public JobBlockObserver {
public:
    using JobBlockObserver::JobBlockObserver;

protected:
    void Changed() override { PostMessage(job_.owner, WM_JOB_PROGRESS, 0, 0); }
};

// A failure box names the file and what failed before saying why.
std::string BoxText(const CryptJob& job, const JobResult& result, const std::string& text) {
    if (result.step == JobStep::kDone) return text;
    return JobGerund(job.mode, result.encrypt) + " " + job.fileName + " failed.\n" + text;
}

unsigned BoxType(const JobResult& result) {
    return MB_OK | (result.step == JobStep::kDone ? MB_ICONINFORMATION : MB_ICONERROR);
}

}  // namespace

unsigned TransformFileThread(void* parameter) {
    CryptJob& job = *static_cast<CryptJob*>(parameter);
    PostingObserver observer(job);
    const JobResult result = RunBlockJob(job, observer);
    // A stop was asked for by whoever set stopRequested, who says what
    // follows; the worker's box would only hold up a quit.
    const std::string text = JobResultText(result, job.fileName);
    if (result.step != JobStep::kDone) job.failure = text;
    if (!text.empty() && result.step != JobStep::kStopped)
        MessageBox(job.owner, BoxText(job, result, text), BoxType(result));
    observer.Ended(result);
    return 0;
}

}  // namespace arkseal

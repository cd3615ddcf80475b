#include <arkseal/cli/file_checks.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <utility>

#include <arkseal/cli/shell_quoted.h>
#include <arkseal/job/file_claim.h>
#include <arkseal/job/file_io.h>
#include <arkseal/job/job_texts.h>
#include <arkseal/job/journal.h>

namespace arkseal {

namespace {

// The file's unfinished job must be resumed before anything else is done
// to it, and only a file with one can be resumed.
void CheckUnfinishedJob(const std::string& file, const struct stat& status, bool resume,
                        std::vector<std::string>* errors) {
    const bool unfinished = Journal::Find(WorkerFileIo(), file, status.st_dev, status.st_ino).has_value();
    if (resume && !unfinished) {
        errors->push_back(ShellQuoted(file) + ": there is no unfinished job on this file");
    } else if (!resume && unfinished) {
        errors->push_back(ShellQuoted(file) +
                          ": the file has an unfinished job; finish it first with arkseal-cli resume " +
                          ShellQuoted(file) + " and the same passphrase");
    }
}

}  // namespace

void ClaimedFiles::Release(std::size_t index) {
    if (index >= fds_.size() || fds_[index] < 0) return;
    close(fds_[index]);
    fds_[index] = -1;
}

void ClaimedFiles::ReleaseAll() {
    for (std::size_t i = 0; i < fds_.size(); ++i) Release(i);
    fds_.clear();
}

bool CheckFiles(const std::vector<std::string>& files, JobMode mode, std::vector<std::string>* errors,
                ClaimedFiles* claims) {
    const bool resume = mode == JobMode::kResume;
    claims->ReleaseAll();
    std::map<std::pair<dev_t, ino_t>, const std::string*> seen;
    for (const std::string& file : files) {
        // Non-blocking: opening a FIFO or a device must not wait for a peer.
        const int fd = open(file.c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) {
            errors->push_back(ShellQuoted(file) + ": " + CannotOpenText(mode) + " " + OpenFailureReason(file, errno));
            claims->Add(-1);
            continue;
        }
        struct stat status {};
        if (fstat(fd, &status) == 0) {
            const auto [where, fresh] = seen.emplace(std::make_pair(status.st_dev, status.st_ino), &file);
            if (!fresh) {
                errors->push_back(ShellQuoted(file) + ": the same file as " + ShellQuoted(*where->second) +
                                  "; name each file once");
                close(fd);
                claims->Add(-1);
                continue;
            }
        }
        const FileClaim claim = ClaimForJob(fd);
        if (claim.result != FileClaim::kClaimed) {
            errors->push_back(ShellQuoted(file) + ": " + claim.Refusal());
            close(fd);
            claims->Add(-1);
            continue;
        }
        CheckUnfinishedJob(file, status, resume, errors);
        claims->Add(fd);
    }
    return errors->empty();
}

}  // namespace arkseal

// The checks made on every named file before any of them is touched.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include <arkseal/job/in_place_job.h>

namespace arkseal {

// Descriptors open on the checked files, one per file in the order named,
// each holding the file's job lock: no other job can take a file between
// the check and its turn. A file's descriptor is released just before its
// own job opens the file again (the job's lock would conflict with it).
class ClaimedFiles {
public:
    ClaimedFiles() = default;
    ~ClaimedFiles() { ReleaseAll(); }
    ClaimedFiles(const ClaimedFiles&) = delete;
    ClaimedFiles& operator=(const ClaimedFiles&) = delete;

    // Takes over fd (-1 for a file that holds none).
    void Add(int fd) { fds_.push_back(fd); }
    void Release(std::size_t index);
    void ReleaseAll();

private:
    std::vector<int> fds_;
};

// True when every file can be opened for update (it exists and may be
// written), is a regular file (after symbolic links are followed), has no
// other job running on it, no file is named twice, under the same or
// another name (transforming a file twice in one run would not give what
// the user asked for), and each file has an unfinished job exactly when
// the job is to resume (a new job over an unfinished one would mix the
// two). Otherwise false, with the reasons in *errors, each naming its file
// (quoted for a terminal) and, when it cannot be opened, what the job was
// to do. The claims held before are released first; on success *claims
// holds every file.
bool CheckFiles(const std::vector<std::string>& files, JobMode mode, std::vector<std::string>* errors,
                ClaimedFiles* claims);

}  // namespace arkseal

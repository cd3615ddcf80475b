// The checks made on every named file before any of them is touched.
#pragma once

#include <string>
#include <vector>

#include "job/in_place_job.h"

namespace arkseal {

// True when every file can be opened for update (it exists, is not a
// directory, and may be written), no file is named twice, under the same or
// another name (transforming a file twice in one run would not give what
// the user asked for), and each file has an unfinished job exactly when the
// mode is a resume (a new job over an unfinished one would mix the two).
// Otherwise false, with the reasons in *errors.
bool CheckFiles(const std::vector<std::string>& files, JobMode mode, std::vector<std::string>* errors);

}  // namespace arkseal

// The checks made on every named file before any of them is touched.
#pragma once

#include <string>
#include <vector>

namespace arkseal {

// True when every file can be opened for update (it exists, is not a
// directory, and may be written) and no file is named twice, under the same
// or another name: transforming a file twice in one run would not give what
// the user asked for. Otherwise false, with the reasons in *errors.
bool CheckFiles(const std::vector<std::string>& files, std::vector<std::string>* errors);

}  // namespace arkseal

#include "cli/file_checks.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <utility>

#include "job/journal.h"

namespace arkseal {

bool CheckFiles(const std::vector<std::string>& files, JobMode mode, std::vector<std::string>* errors) {
    std::map<std::pair<dev_t, ino_t>, const std::string*> seen;
    for (const std::string& file : files) {
        // The same test-open for update as the desktop program's, closed at once.
        std::FILE* stream = std::fopen(file.c_str(), "r+b");
        if (stream == nullptr) {
            errors->push_back(file + ": Could not open file to encrypt. (" + std::strerror(errno) + ")");
            continue;
        }
        struct stat status {};
        const bool known = fstat(fileno(stream), &status) == 0;
        std::fclose(stream);
        if (!known) continue;
        const auto [where, fresh] = seen.emplace(std::make_pair(status.st_dev, status.st_ino), &file);
        if (!fresh) errors->push_back(file + ": the same file as " + *where->second + "; name each file once");
        const bool unfinished = Journal::Find(WorkerFileIo(), file, status.st_dev, status.st_ino).has_value();
        if (mode == JobMode::kResume && !unfinished) {
            errors->push_back(file + ": there is no unfinished job on this file");
        } else if (mode != JobMode::kResume && unfinished) {
            errors->push_back(file + ": the file has an unfinished job; finish it first with 'arkseal-cli resume " +
                              file + "' and the same passphrase");
        }
    }
    return errors->empty();
}

}  // namespace arkseal

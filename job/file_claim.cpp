#include <arkseal/job/file_claim.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <system_error>

namespace arkseal {

std::string FileClaim::Refusal() const {
    switch (result) {
        case kClaimed: return {};
        case kNotRegular:
            return std::string("The file is not a regular file but ") + kind +
                   "; only regular files can be encrypted or decrypted in place.";
        case kBusy: return "The file is in use by another Arkseal job; try again once that job has ended.";
        case kFailed: break;
    }
    return "Could not lock the file for the job (" + std::generic_category().message(error) + ").";
}

FileClaim ClaimForJob(int fd) {
    FileClaim claim;
    struct stat status {};
    if (fstat(fd, &status) != 0) {
        claim.error = errno;
        return claim;
    }
    if (!S_ISREG(status.st_mode)) {
        claim.result = FileClaim::kNotRegular;
        claim.kind = FileKind(status.st_mode);
        return claim;
    }
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;  // l_start 0 and l_len 0: the whole file, however long it grows
    int result;
    while ((result = fcntl(fd, F_OFD_SETLK, &lock)) != 0 && errno == EINTR) {
    }
    if (result == 0) {
        claim.result = FileClaim::kClaimed;
    } else if (errno == EAGAIN || errno == EACCES) {
        claim.result = FileClaim::kBusy;
    } else {
        claim.error = errno;
    }
    return claim;
}

const char* FileKind(mode_t mode) {
    if (S_ISREG(mode)) return "a regular file";
    if (S_ISDIR(mode)) return "a directory";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISSOCK(mode)) return "a socket";
    return "a special file";
}

}  // namespace arkseal

// The worker on real files, without a user interface: a recording window
// takes its progress posts and a recording presenter its message boxes.
// Results are checked against an OpenSSL-based reference of the format.
#include <arkseal/job/transform_file_thread.h>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include <arkseal/job/block_job.h>
#include <arkseal/job/crypt_job.h>
#include <arkseal/job/file_claim.h>
#include <arkseal/job/file_io.h>
#include <arkseal/job/human_units.h>
#include <arkseal/job/job_texts.h>
#include <arkseal/job/journal.h>
#include <arkseal/tests/job/reference_file_cipher.h>
#include <arkseal/tests/job/temp_files.h>
#include <arkseal/ui/core/message_box.h>
#include <arkseal/ui/core/worker_thread.h>

namespace arkseal {
namespace {

using test::Bytes;
using test::HeldByAJob;
using test::PatternBytes;
using test::ReadFile;
using test::ReferenceFileCipher;
using test::WriteFile;

// The system's calls, counted per path; one chosen call on one path can be
// made to fail, and every read and write can be broken off (EINTR, then a
// short count) as signals and pipes-like devices do.
class TestFileIo : public FileIo {
public:
    enum Call { kOpen, kFstat, kPread, kPwrite, kFdatasync, kClose, kCalls };

    void FailAt(const std::string& path, Call call, int nth, std::size_t partialWrite = 0, int error = EIO) {
        failPath_ = path;
        failCall_ = call;
        failNth_ = nth;
        partialWrite_ = partialWrite;
        error_ = error;
    }
    void Interrupt() { interrupt_ = true; }
    // Runs once, right after the nth write to path has gone through.
    void AfterWrite(const std::string& path, int nth, std::function<void()> action) {
        hookPath_ = path;
        hookNth_ = nth;
        hook_ = std::move(action);
    }
    int OpenFiles() const { return open_; }
    int Count(Call call) const { return calls_[call]; }

    int Open(const char* path, int flags, mode_t mode) override {
        if (Fails(path, kOpen)) return -1;
        const int fd = FileIo::Open(path, flags, mode);
        if (fd >= 0) {
            paths_[fd] = path;
            ++open_;
        }
        return fd;
    }
    int Fstat(int fd, struct stat* status) override {
        return Fails(paths_[fd], kFstat) ? -1 : FileIo::Fstat(fd, status);
    }
    ssize_t Pread(int fd, void* buffer, std::size_t size, off_t offset) override {
        if (Fails(paths_[fd], kPread)) return -1;
        if (Interrupted()) return -1;
        return FileIo::Pread(fd, buffer, interrupt_ ? std::min<std::size_t>(size, 1000) : size, offset);
    }
    // A failing write first gets partialWrite bytes through (a short count),
    // like a device that breaks part-way; the next write then fails.
    ssize_t Pwrite(int fd, const void* buffer, std::size_t size, off_t offset) override {
        const std::string path = paths_[fd];
        if (Fails(path, kPwrite)) {
            if (partialWrite_ == 0) return -1;
            const ssize_t n = FileIo::Pwrite(fd, buffer, std::min(size, partialWrite_), offset);
            partialWrite_ = 0;
            ++failNth_;
            return n;
        }
        if (Interrupted()) return -1;
        const ssize_t n = FileIo::Pwrite(fd, buffer, interrupt_ ? std::min<std::size_t>(size, 1000) : size, offset);
        if (hook_ && path == hookPath_ && ++hookCount_ == hookNth_) std::exchange(hook_, nullptr)();
        return n;
    }
    int Fdatasync(int fd) override { return Fails(paths_[fd], kFdatasync) ? -1 : FileIo::Fdatasync(fd); }
    int Close(int fd) override {
        const bool fails = Fails(paths_[fd], kClose);
        paths_.erase(fd);
        --open_;
        return FileIo::Close(fd) != 0 || fails ? -1 : 0;
    }

private:
    bool Fails(const std::string& path, Call call) {
        ++calls_[call];
        if (path != failPath_ || call != failCall_ || ++count_ != failNth_) return false;
        errno = error_;
        return true;
    }
    bool Interrupted() {
        if (!interrupt_ || (flip_ = !flip_)) return false;
        errno = EINTR;
        return true;
    }

    std::map<int, std::string> paths_;
    int open_ = 0;
    int calls_[kCalls] = {};
    std::string failPath_;
    Call failCall_ = kCalls;
    int failNth_ = 0;
    int count_ = 0;
    std::size_t partialWrite_ = 0;
    int error_ = EIO;
    bool interrupt_ = false;
    bool flip_ = false;
    std::string hookPath_;
    int hookNth_ = 0;
    int hookCount_ = 0;
    std::function<void()> hook_;
};

struct ProgressPost {
    std::int64_t position;
    bool done;
    int openFiles;  // files the worker had open when it posted
};

// Stands in for the dialog: records each post with the job's state at that
// moment (the worker posts after storing position and done).
class RecordingWindow : public Window {
public:
    RecordingWindow(const CryptJob& job, const TestFileIo& io) : job_(job), io_(io) {}

    bool Post(unsigned message, WPARAM wParam, LPARAM lParam) override {
        std::lock_guard lock(lock_);
        EXPECT_EQ(message, WM_JOB_PROGRESS);
        EXPECT_EQ(wParam, 0u);
        EXPECT_EQ(lParam, 0);
        posts.push_back({job_.position.load(), job_.done.load() != 0, io_.OpenFiles()});
        return true;
    }

    std::vector<ProgressPost> posts;

private:
    std::mutex lock_;
    const CryptJob& job_;
    const TestFileIo& io_;
};

class TransformFileThreadTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetWorkerFileIo(&io_);
        SetWorkerJobTuning(tuning_);
        SetMessageBoxPresenter([this](Window* owner, const std::string&, const std::string& text) {
            EXPECT_EQ(owner, &window_);
            messages_.push_back(text);
        });
    }
    void TearDown() override {
        SetMessageBoxPresenter(nullptr);
        SetWorkerFileIo(nullptr);
        SetWorkerJobTuning(JobTuning());
    }

    // Fills the job block as the dialog does and runs the worker to its end.
    void RunJob(const std::string& path, const std::string& passphrase, bool encrypt, bool resume = false) {
        window_.posts.clear();
        messages_.clear();
        ASSERT_TRUE(job_.SetFileName(path));
        ASSERT_TRUE(job_.SetPassphrase(passphrase));
        job_.position = 0;
        job_.started = 0;
        job_.done = 0;
        job_.owner = &window_;
        job_.mode = resume ? JobMode::kResume : encrypt ? JobMode::kEncrypt : JobMode::kDecrypt;
        job_.failure.clear();
        WaitForThread(BeginThread(TransformFileThread, &job_));
        // The job block carries the words of a job that ended early: those of
        // its one message box after the line that names the file and what
        // failed, or of a stop, which shows none. The tests read the box's
        // words after that line.
        if (job_.result.step != JobStep::kDone) {
            EXPECT_EQ(job_.failure, JobResultText(job_.result, path));
            if (job_.result.step != JobStep::kStopped) {
                const std::string heading = JobGerund(job_.mode, job_.result.encrypt) + " " + path + " failed.\n";
                ASSERT_EQ(messages_, std::vector<std::string>{heading + job_.failure});
                messages_.front().erase(0, heading.size());
            }
        } else {
            EXPECT_EQ(job_.failure, "");
        }
    }
    void Resume(const std::string& path, const std::string& passphrase) { RunJob(path, passphrase, true, true); }
    // A shorter slow derivation keeps the tests quick; the window is the
    // production one unless a test sets its own.
    void UseWindow(std::int64_t bytes) {
        tuning_.windowBytes = bytes;
        SetWorkerJobTuning(tuning_);
    }

    JobTuning tuning_{kJobWindowBytes, 64};

    test::TempDir dir_;
    TestFileIo io_;
    CryptJob job_{256, 256};
    RecordingWindow window_{job_, io_};
    std::vector<std::string> messages_;  // written by the worker, read after it ended
};

TEST_F(TransformFileThreadTest, EncryptsInChunksAsTheReferenceAndDecryptsBack) {
    const std::size_t kChunk = kJobChunkSize;
    for (std::size_t size : {std::size_t{0}, std::size_t{1}, kChunk - 1, kChunk, kChunk + 1, 8 * kChunk + 3}) {
        SCOPED_TRACE("size " + std::to_string(size));
        const std::string path = dir_.File("plain.bin");
        const Bytes plain = PatternBytes(size, static_cast<unsigned>(size));
        WriteFile(path, plain);

        RunJob(path, "correct horse", true);
        EXPECT_EQ(ReadFile(path), ReferenceFileCipher(plain, "correct horse", true));
        EXPECT_TRUE(messages_.empty());
        EXPECT_EQ(job_.fileLength, static_cast<std::int64_t>(size));
        EXPECT_EQ(job_.started, 1);
        const std::size_t passes = size / kChunk + 1;
        ASSERT_EQ(window_.posts.size(), passes);
        for (std::size_t i = 0; i < passes; ++i) {
            EXPECT_EQ(window_.posts[i].position, static_cast<std::int64_t>(std::min((i + 1) * kChunk, size)));
            EXPECT_EQ(window_.posts[i].done, i + 1 == passes);
        }
        EXPECT_EQ(window_.posts.back().openFiles, 0) << "done was reported before the file was closed";

        RunJob(path, "correct horse", false);
        EXPECT_EQ(ReadFile(path), plain);
        EXPECT_EQ(window_.posts.size(), passes);
    }
}

TEST_F(TransformFileThreadTest, KeysFromThePassphraseBytesAndClearsThemOnceKeyed) {
    const std::string path = dir_.File("data.bin");
    const Bytes plain = PatternBytes(1000);
    for (const std::string& passphrase :
         {std::string(), std::string(256, 'p'), std::string("P\xc3\xa4ssw\xc3\xb6rd"), std::string("\xff\x80 ")}) {
        SCOPED_TRACE("passphrase of " + std::to_string(passphrase.size()) + " bytes");
        WriteFile(path, plain);
        RunJob(path, passphrase, true);
        EXPECT_EQ(ReadFile(path), ReferenceFileCipher(plain, passphrase, true));
        EXPECT_EQ(std::string(job_.passphrase, job_.maxPassphrase + 1), std::string(257, '\0'));
    }
}

TEST_F(TransformFileThreadTest, EachJobStartsAtOffsetZeroOfItsOwnFile) {
    const std::string first = dir_.File("first.bin");
    const std::string second = dir_.File("second.bin");
    const Bytes firstPlain = PatternBytes(kJobChunkSize + 17, 5);
    const Bytes secondPlain = PatternBytes(300, 6);
    WriteFile(first, firstPlain);
    WriteFile(second, secondPlain);

    RunJob(first, "one", true);
    RunJob(second, "two", true);
    RunJob(first, "one", false);
    EXPECT_EQ(ReadFile(first), firstPlain);
    EXPECT_EQ(ReadFile(second), ReferenceFileCipher(secondPlain, "two", true));
    RunJob(second, "two", true);
    EXPECT_EQ(ReadFile(second), ReferenceFileCipher(ReferenceFileCipher(secondPlain, "two", true), "two", true));
}

TEST_F(TransformFileThreadTest, TakesAPathOf256Bytes) {
    const std::string path = dir_.File(std::string(256 - dir_.Path().size() - 1, 'n'));
    ASSERT_EQ(path.size(), 256u);
    const Bytes plain = PatternBytes(64);
    WriteFile(path, plain);
    RunJob(path, "x", true);
    EXPECT_EQ(ReadFile(path), ReferenceFileCipher(plain, "x", true));
}

TEST_F(TransformFileThreadTest, DecryptingWithAnotherPassphraseCompletesWithGarbage) {
    const std::string path = dir_.File("secret.bin");
    const Bytes plain = PatternBytes(5000);
    WriteFile(path, plain);
    RunJob(path, "right", true);
    RunJob(path, "wrong", false);
    const Bytes garbage = ReadFile(path);
    EXPECT_TRUE(messages_.empty());
    ASSERT_FALSE(window_.posts.empty());
    EXPECT_TRUE(window_.posts.back().done);
    EXPECT_EQ(garbage.size(), plain.size());
    EXPECT_NE(garbage, plain);
    EXPECT_EQ(garbage, ReferenceFileCipher(ReferenceFileCipher(plain, "right", true), "wrong", false));
}

TEST_F(TransformFileThreadTest, AFileThatCannotBeOpenedIsReportedAndReleasesTheDialog) {
    RunJob(dir_.File("missing.bin"), "x", true);
    EXPECT_EQ(messages_, std::vector<std::string>{"Could not open file to encrypt.[?] (No such file or directory)"});
    ASSERT_EQ(window_.posts.size(), 1u);
    EXPECT_TRUE(window_.posts[0].done);
    EXPECT_EQ(window_.posts[0].position, 0);
    EXPECT_FALSE(std::filesystem::exists(dir_.File("missing.bin")));
}

// Only a regular file that no other job holds is taken; anything else is
// refused before a byte changes and the dialog becomes idle again. The file
// is held here as another job's open would hold it.
TEST_F(TransformFileThreadTest, RefusesAFileItMayNotHave) {
    const Bytes plain = PatternBytes(5000, 4);
    const std::string busy = dir_.File("busy.bin");
    WriteFile(busy, plain);
    const int otherJob = open(busy.c_str(), O_RDWR);
    ASSERT_EQ(ClaimForJob(otherJob).result, FileClaim::kClaimed);
    const std::string fifo = dir_.File("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string unchanged = "\nThe file is unchanged.";
    struct Case {
        std::string path;
        std::string message;
    };
    const Case cases[] = {
        {busy, "The file is in use by another Arkseal job; try again once that job has ended." + unchanged},
        {"/dev/zero",
         "The file is not a regular file but a character device; only regular files can be encrypted "
         "or decrypted in place." +
             unchanged},
        {fifo,
         "The file is not a regular file but a FIFO; only regular files can be encrypted or decrypted in "
         "place." +
             unchanged},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        io_ = TestFileIo();
        RunJob(c.path, "pw", true);
        EXPECT_EQ(messages_, std::vector<std::string>{c.message});
        ASSERT_EQ(window_.posts.size(), 1u);
        EXPECT_TRUE(window_.posts[0].done);
        EXPECT_EQ(window_.posts[0].position, 0);
        EXPECT_EQ(io_.OpenFiles(), 0);
        EXPECT_EQ(io_.Count(TestFileIo::kPwrite), 0);
    }
    EXPECT_EQ(ReadFile(busy), plain);

    close(otherJob);
    RunJob(busy, "pw", true);
    EXPECT_TRUE(messages_.empty());
    EXPECT_EQ(ReadFile(busy), ReferenceFileCipher(plain, "pw", true));
}

// The flags of the mapping that holds address ("dd": left out of core
// dumps, "lo": locked in memory), from /proc/self/smaps; empty when none.
std::string MappingFlags(const void* address) {
    std::ifstream smaps("/proc/self/smaps");
    const auto wanted = reinterpret_cast<std::uintptr_t>(address);
    bool inside = false;
    std::string line;
    while (std::getline(smaps, line)) {
        unsigned long start = 0;
        unsigned long end = 0;
        if (std::sscanf(line.c_str(), "%lx-%lx ", &start, &end) == 2) {
            inside = start <= wanted && wanted < end;
        } else if (inside && line.rfind("VmFlags:", 0) == 0) {
            return line.substr(8) + " ";
        }
    }
    return "";
}

// Looks at the process from inside the job, at its first read.
class ObservingFileIo : public FileIo {
public:
    explicit ObservingFileIo(std::string path) : path_(std::move(path)) {}

    ssize_t Pread(int fd, void* buffer, std::size_t size, off_t offset) override {
        if (dumpable < 0) {
            dumpable = prctl(PR_GET_DUMPABLE);
            locked = HeldByAJob(path_);
        }
        return FileIo::Pread(fd, buffer, size, offset);
    }

    int dumpable = -1;
    bool locked = false;

private:
    std::string path_;
};

// While the job holds its key the process cannot be dumped or traced, and
// the file is held against other jobs; afterwards both are as before. The
// job block's passphrase lies on pages of its own, locked and out of dumps.
TEST_F(TransformFileThreadTest, HoldsTheKeyOutOfCoreDumpsAndTheFileAgainstOtherJobs) {
    const int dumpableBefore = prctl(PR_GET_DUMPABLE);
    if (dumpableBefore != 1) GTEST_SKIP() << "the test process is not dumpable to begin with";
    const Bytes plain = PatternBytes(kJobChunkSize + 10, 12);
    const std::string path = dir_.File("observed.bin");
    WriteFile(path, plain);
    ObservingFileIo observer(path);
    SetWorkerFileIo(&observer);
    RunJob(path, "pw", true);
    SetWorkerFileIo(&io_);
    EXPECT_TRUE(messages_.empty());
    EXPECT_EQ(observer.dumpable, 0);
    EXPECT_TRUE(observer.locked);
    EXPECT_EQ(prctl(PR_GET_DUMPABLE), 1);
    EXPECT_FALSE(HeldByAJob(path));
    EXPECT_EQ(ReadFile(path), ReferenceFileCipher(plain, "pw", true));

    const std::string flags = MappingFlags(job_.passphrase);
    EXPECT_NE(flags.find(" dd "), std::string::npos) << flags;
#ifndef __SANITIZE_ADDRESS__  // the sanitizer makes mlock do nothing
    if (geteuid() == 0) {
        EXPECT_NE(flags.find(" lo "), std::string::npos) << flags;
    }
#endif
}

// A NUL byte would end the passphrase early in the job block, giving the
// key of a shorter passphrase: such text is refused and the block unchanged.
TEST_F(TransformFileThreadTest, TheJobBlockRefusesAPassphraseWithANulByte) {
    ASSERT_TRUE(job_.SetPassphrase("kept"));
    for (const std::string& text : {std::string("\0secret", 7), std::string("sec\0ret", 7), std::string(1, '\0')}) {
        EXPECT_FALSE(job_.SetPassphrase(text));
        EXPECT_STREQ(job_.passphrase, "kept");
    }
}

// A failure stops the job at once: the file holds the first `processed`
// bytes transformed and the rest unchanged, the files are closed, the user
// is told, and done is posted once. Once the file has been touched, the
// journal stays and a resume finishes the job.
TEST_F(TransformFileThreadTest, FileFailuresStopTheJobSayHowFarItGotAndCanBeResumed) {
    using Call = TestFileIo::Call;
    const std::int64_t kChunk = kJobChunkSize;
    const std::int64_t kSize = 3 * kChunk + 100;
    const std::string path = dir_.File("victim.bin");
    const std::string journal = JournalPathBeside(path);
    const std::string total = " of " + SizeText(kSize) + " were processed; the rest of the file is unchanged.";
    const std::string hint =
        "\nThe job can be finished later with the same passphrase: Encrypt or Decrypt in Arkseal, or "
        "arkseal-cli resume " +
        path;
    const std::string all =
        "All " + SizeWithBytesText(kSize) + " were processed, but the file on disk may be incomplete.";
    struct Case {
        std::string where;
        Call call;
        int nth;
        std::size_t partialWrite;
        std::int64_t processed;
        std::string message;
    };
    // One window per chunk: the file has four.
    const Case cases[] = {
        {path, Call::kOpen, 1, 0, 0, "Could not open file to encrypt.[?] (Input/output error)"},
        {path, Call::kFstat, 1, 0, 0, "Could not measure the file (Input/output error).\nThe file is unchanged."},
        {path, Call::kPread, 1, 0, 0, "Could not read the file (Input/output error).\nThe file is unchanged."},
        {journal, Call::kPwrite, 1, 0, 0,
         "Could not write the job's journal (Input/output error).\nThe file is unchanged."},
        {journal, Call::kFdatasync, 2, 0, 0,
         "Could not write the job's journal (Input/output error).\nThe file is unchanged."},
        {path, Call::kPread, 2, 0, kChunk,
         "Could not read the file (Input/output error).\nThe first " + SizeWithBytesText(kChunk) + total + hint},
        {path, Call::kPwrite, 2, 1000, kChunk + 1000,
         "Could not write the file (Input/output error).\nThe first " + SizeWithBytesText(kChunk + 1000) + total +
             hint},
        {path, Call::kFdatasync, 1, 0, kChunk,
         "Could not save the file to disk (Input/output error).\nThe first " + SizeWithBytesText(kChunk) + total +
             hint},
        {journal, Call::kPwrite, 3, 0, kChunk,
         "Could not write the job's journal (Input/output error).\nThe first " + SizeWithBytesText(kChunk) + total +
             hint},
        {path, Call::kFdatasync, 4, 0, kSize, "Could not save the file to disk (Input/output error).\n" + all + hint},
        {path, Call::kClose, 1, 0, kSize, "Could not close the file (Input/output error).\n" + all},
    };
    UseWindow(kChunk);
    const Bytes plain = PatternBytes(static_cast<std::size_t>(kSize), 9);
    const Bytes cipher = ReferenceFileCipher(plain, "pw", true);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        WriteFile(path, plain);
        io_ = TestFileIo();
        io_.FailAt(c.where, c.call, c.nth, c.partialWrite);
        RunJob(path, "pw", true);

        EXPECT_EQ(messages_, std::vector<std::string>{c.message});
        Bytes expected(cipher.begin(), cipher.begin() + c.processed);
        expected.insert(expected.end(), plain.begin() + c.processed, plain.end());
        EXPECT_EQ(ReadFile(path), expected);
        EXPECT_EQ(io_.OpenFiles(), 0);
        ASSERT_FALSE(window_.posts.empty());
        EXPECT_TRUE(window_.posts.back().done);
        EXPECT_EQ(window_.posts.back().position, c.processed);
        for (std::size_t i = 0; i + 1 < window_.posts.size(); ++i) EXPECT_FALSE(window_.posts[i].done);
        const bool resumable = job_.result.resumable;
        EXPECT_EQ(resumable, std::filesystem::exists(journal));
        EXPECT_EQ(resumable, c.message.find(hint) != std::string::npos);
        if (!resumable) continue;

        io_ = TestFileIo();
        Resume(path, "pw");
        EXPECT_EQ(messages_, std::vector<std::string>{});
        EXPECT_EQ(job_.result.step, JobStep::kDone);
        EXPECT_EQ(ReadFile(path), cipher);
        EXPECT_FALSE(std::filesystem::exists(journal));
    }
}

// Reads and writes that are broken off by a signal (EINTR) or come back
// short are carried on, not reported.
TEST_F(TransformFileThreadTest, InterruptedAndShortCallsAreRetried) {
    const std::string path = dir_.File("slow.bin");
    const Bytes plain = PatternBytes(kJobChunkSize + 4321, 4);
    WriteFile(path, plain);
    io_.Interrupt();
    RunJob(path, "retry", true);
    EXPECT_EQ(messages_, std::vector<std::string>{});
    EXPECT_EQ(ReadFile(path), ReferenceFileCipher(plain, "retry", true));
}

// The length measured at the start is the job's length. What others do to
// the file meanwhile: bytes appended are left alone and mentioned; a file cut
// short or replaced stops the job, never reported as done.
TEST_F(TransformFileThreadTest, TheLengthAtTheStartIsTheJobsLength) {
    const std::int64_t kChunk = kJobChunkSize;
    const std::string path = dir_.File("moving.bin");
    const std::string other = dir_.File("other.bin");
    const Bytes plain = PatternBytes(3 * kChunk + 5, 12);
    const Bytes cipher = ReferenceFileCipher(plain, "len", true);
    const Bytes extra = PatternBytes(777, 13);
    const std::string resume =
        "\nThe job can be finished later with the same passphrase: Encrypt or Decrypt in Arkseal, or "
        "arkseal-cli resume " +
        path;
    struct Case {
        const char* what;
        std::function<void()> meanwhile;
        JobStep step;
        std::string message;
    };
    const auto size = static_cast<std::int64_t>(plain.size());
    const Case cases[] = {
        {"appended",
         [&] {
             std::ofstream out(path, std::ios::binary | std::ios::app);
             out.write(reinterpret_cast<const char*>(extra.data()), static_cast<std::streamsize>(extra.size()));
         },
         JobStep::kDone,
         "777 bytes were added to the file by another program while it was processed; they were left as they are."},
        {"truncated", [&] { std::filesystem::resize_file(path, kChunk + 10); }, JobStep::kShrunk,
         "The file was cut short by another program while it was processed: it is no longer " +
             SizeWithBytesText(size) + " long.\nThe first " + SizeWithBytesText(kChunk) + " of " + SizeText(size) +
             " were processed; the rest of the file is unchanged." + resume},
        {"replaced",
         [&] {
             WriteFile(other, plain);
             std::filesystem::rename(other, path);
         },
         JobStep::kReplaced,
         "The file was replaced by another one while it was processed.\nThe first " + SizeWithBytesText(kChunk) +
             " of " + SizeText(size) + " were processed; the rest of the file is unchanged." + resume},
    };
    UseWindow(kChunk);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteFile(path, plain);
        io_ = TestFileIo();
        io_.AfterWrite(path, 1, c.meanwhile);
        RunJob(path, "len", true);
        EXPECT_EQ(job_.result.step, c.step);
        EXPECT_EQ(messages_, std::vector<std::string>{c.message});
        ASSERT_FALSE(window_.posts.empty());
        EXPECT_TRUE(window_.posts.back().done);
        if (c.step == JobStep::kDone) {
            Bytes expected = cipher;
            expected.insert(expected.end(), extra.begin(), extra.end());
            EXPECT_EQ(ReadFile(path), expected);
        } else {
            EXPECT_EQ(job_.result.processed, kChunk);
            EXPECT_LE(ReadFile(path).size(), plain.size()) << "the job must not grow the file again";
        }
        std::filesystem::remove(JournalPathBeside(path));
    }
}

// A stopped job and a resume: the direction comes from the journal; a wrong
// passphrase and a second job on the file are refused with nothing changed.
TEST_F(TransformFileThreadTest, AStoppedJobIsFinishedOnlyWithItsPassphrase) {
    const std::int64_t kChunk = kJobChunkSize;
    const std::string path = dir_.File("paused.bin");
    const std::string journal = JournalPathBeside(path);
    const Bytes plain = PatternBytes(4 * kChunk + 99, 21);
    UseWindow(kChunk);
    for (bool encrypt : {true, false}) {
        SCOPED_TRACE(encrypt ? "encrypt" : "decrypt");
        const Bytes target = ReferenceFileCipher(plain, "right", encrypt);
        WriteFile(path, plain);
        io_ = TestFileIo();
        job_.stopRequested = false;
        io_.AfterWrite(path, 2, [this] { job_.stopRequested = true; });
        RunJob(path, "right", encrypt);
        job_.stopRequested = false;
        EXPECT_EQ(job_.result.step, JobStep::kStopped);
        EXPECT_EQ(job_.result.processed, 2 * kChunk);
        EXPECT_TRUE(messages_.empty()) << "the one who asked for the stop tells the user";
        const std::string text = JobResultText(job_.result, path);
        EXPECT_EQ(text.rfind("Stopped after " + SizeWithBytesText(2 * kChunk) + " of ", 0), 0u) << text;
        const Bytes stopped = ReadFile(path);
        Bytes expected(target.begin(), target.begin() + 2 * kChunk);
        expected.insert(expected.end(), plain.begin() + 2 * kChunk, plain.end());
        EXPECT_EQ(stopped, expected);

        const Bytes journalBefore = ReadFile(journal);
        Resume(path, "wrong");
        EXPECT_EQ(job_.result.step, JobStep::kWrongPassphrase);
        RunJob(path, "right", !encrypt);
        EXPECT_EQ(job_.result.step, JobStep::kUnfinished);
        EXPECT_EQ(job_.result.encrypt, encrypt);
        EXPECT_EQ(job_.result.processed, 2 * kChunk);
        EXPECT_EQ(ReadFile(path), stopped);
        EXPECT_EQ(ReadFile(journal), journalBefore);

        Resume(path, "right");
        EXPECT_EQ(job_.result.step, JobStep::kDone);
        EXPECT_EQ(ReadFile(path), target);
        EXPECT_FALSE(std::filesystem::exists(journal));
        Resume(path, "right");
        EXPECT_EQ(job_.result.step, JobStep::kNoJob);
    }
}

// A folder the user may not write to keeps the journal in the state folder.
TEST_F(TransformFileThreadTest, TheJournalGoesToTheStateFolderWhenTheFilesFolderIsReadOnly) {
    const std::string path = dir_.File("data.bin");
    const Bytes plain = PatternBytes(kJobChunkSize * 2 + 1, 31);
    WriteFile(path, plain);
    const char* previous = std::getenv("XDG_STATE_HOME");
    const std::string saved = previous != nullptr ? previous : "";
    const std::string state = dir_.File("state/arkseal");
    setenv("XDG_STATE_HOME", dir_.File("state").c_str(), 1);
    UseWindow(kJobChunkSize);
    io_.FailAt(JournalPathBeside(path), TestFileIo::kOpen, 1, 0, EACCES);
    io_.AfterWrite(path, 1, [this] { job_.stopRequested = true; });
    RunJob(path, "ro", true);
    job_.stopRequested = false;
    ASSERT_EQ(job_.result.step, JobStep::kStopped) << messages_.front();
    EXPECT_FALSE(std::filesystem::exists(JournalPathBeside(path)));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(state), std::filesystem::directory_iterator()), 1);
    Resume(path, "ro");
    EXPECT_EQ(job_.result.step, JobStep::kDone);
    EXPECT_EQ(ReadFile(path), ReferenceFileCipher(plain, "ro", true));
    EXPECT_TRUE(std::filesystem::is_empty(state));
    if (previous != nullptr) {
        setenv("XDG_STATE_HOME", saved.c_str(), 1);
    } else {
        unsetenv("XDG_STATE_HOME");
    }
}

}  // namespace
}  // namespace arkseal

// The worker on real files, without a user interface: a recording window
// takes its progress posts and a recording presenter its message boxes.
// Results are checked against an OpenSSL-based reference of the format.
#include "job/transform_file_thread.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include "job/crypt_job.h"
#include "job/file_claim.h"
#include "job/file_io.h"
#include "tests/job/reference_file_cipher.h"
#include "tests/job/temp_files.h"
#include "ui/message_box.h"
#include "ui/worker_thread.h"

namespace arkseal {
namespace {

using test::Bytes;
using test::HeldByAJob;
using test::PatternBytes;
using test::ReadFile;
using test::ReferenceFileCipher;
using test::WriteFile;

// The C library's calls, counted; one chosen call can be made to fail.
class TestFileIo : public FileIo {
public:
    enum Call { kOpen, kSeek, kTell, kRead, kWrite, kFlush, kSync, kClose, kCalls };

    void FailAt(Call call, int nth, std::size_t partialWrite = 0) {
        failCall_ = call;
        failNth_ = nth;
        partialWrite_ = partialWrite;
    }
    int Count(Call call) const { return counts_[call]; }
    int OpenFiles() const { return counts_[kOpen] - counts_[kClose]; }

    std::FILE* Open(const char* name, const char* mode) override {
        return Fails(kOpen) ? nullptr : FileIo::Open(name, mode);
    }
    bool Seek(std::FILE* file, std::int64_t offset, int origin) override {
        return !Fails(kSeek) && FileIo::Seek(file, offset, origin);
    }
    std::int64_t Tell(std::FILE* file) override { return Fails(kTell) ? -1 : FileIo::Tell(file); }
    bool Read(std::FILE* file, void* buffer, std::size_t size, std::size_t* count) override {
        *count = 0;
        return !Fails(kRead) && FileIo::Read(file, buffer, size, count);
    }
    // A failing write gets partialWrite bytes through, like a device that
    // breaks part-way.
    std::size_t Write(std::FILE* file, const void* buffer, std::size_t size) override {
        if (!Fails(kWrite)) return FileIo::Write(file, buffer, size);
        const std::size_t written = FileIo::Write(file, buffer, partialWrite_);
        errno = EIO;
        return written;
    }
    bool Flush(std::FILE* file) override { return !Fails(kFlush) && FileIo::Flush(file); }
    bool Sync(std::FILE* file) override { return !Fails(kSync) && FileIo::Sync(file); }
    bool Close(std::FILE* file) override {
        const bool fails = Fails(kClose);
        return FileIo::Close(file) && !fails;
    }

private:
    bool Fails(Call call) {
        const bool fails = ++counts_[call] == failNth_ && call == failCall_;
        if (fails) errno = EIO;
        return fails;
    }

    int counts_[kCalls] = {};
    Call failCall_ = kCalls;
    int failNth_ = 0;
    std::size_t partialWrite_ = 0;
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
        SetMessageBoxPresenter([this](Window* owner, const std::string&, const std::string& text) {
            EXPECT_EQ(owner, &window_);
            messages_.push_back(text);
        });
    }
    void TearDown() override {
        SetMessageBoxPresenter(nullptr);
        SetWorkerFileIo(nullptr);
    }

    // Fills the job block as the dialog does and runs the worker to its end.
    void RunJob(const std::string& path, const std::string& passphrase, bool encrypt) {
        window_.posts.clear();
        messages_.clear();
        ASSERT_TRUE(job_.SetFileName(path));
        ASSERT_TRUE(job_.SetPassphrase(passphrase));
        job_.position = 0;
        job_.started = 0;
        job_.done = 0;
        job_.owner = &window_;
        job_.encryptFlag = encrypt ? 1 : 0;
        job_.failure.clear();
        WaitForThread(BeginThread(TransformFileThread, &job_));
        // The job block carries the text of the one message box of a failed job.
        EXPECT_EQ(job_.failure, messages_.empty() ? std::string() : messages_.back());
    }

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
    EXPECT_EQ(messages_, std::vector<std::string>{"Could not open file to encrypt.[?]"});
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
        EXPECT_EQ(io_.Count(TestFileIo::kWrite), 0);
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

    bool Read(std::FILE* file, void* buffer, std::size_t size, std::size_t* count) override {
        if (dumpable < 0) {
            dumpable = prctl(PR_GET_DUMPABLE);
            locked = HeldByAJob(path_);
        }
        return FileIo::Read(file, buffer, size, count);
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
// bytes transformed and the rest unchanged, the file is closed, the user is
// told, and done is posted once.
TEST_F(TransformFileThreadTest, FileFailuresStopTheJobAndSayHowFarItGot) {
    using Call = TestFileIo::Call;
    const std::int64_t kChunk = kJobChunkSize;
    const std::int64_t kSize = 3 * kChunk + 100;
    const std::string total =
        " of " + std::to_string(kSize) + " bytes were processed; the rest of the file is unchanged.";
    const std::string saved = " bytes were processed, but the file on disk may be incomplete.";
    struct Case {
        Call call;
        int nth;
        std::size_t partialWrite;
        std::int64_t processed;
        std::string message;
    };
    const Case cases[] = {
        {Call::kTell, 1, 0, 0, "Could not measure the file (Input/output error).\nThe file is unchanged."},
        {Call::kSeek, 1, 0, 0, "Could not measure the file (Input/output error).\nThe file is unchanged."},
        // Seeks: 2 to measure, then 2 per pass; the 6th is the second pass's seek back.
        {Call::kSeek, 6, 0, kChunk,
         "Could not seek in the file (Input/output error).\nThe first " + std::to_string(kChunk) + total},
        {Call::kRead, 3, 0, 2 * kChunk,
         "Could not read the file (Input/output error).\nThe first " + std::to_string(2 * kChunk) + total},
        {Call::kWrite, 2, 1000, kChunk + 1000,
         "Could not write the file (Input/output error).\nThe first " + std::to_string(kChunk + 1000) + total},
        {Call::kFlush, 1, 0, kSize,
         "Could not flush the file (Input/output error).\nAll " + std::to_string(kSize) + saved},
        {Call::kSync, 1, 0, kSize,
         "Could not save the file to disk (Input/output error).\nAll " + std::to_string(kSize) + saved},
        {Call::kClose, 1, 0, kSize,
         "Could not close the file (Input/output error).\nAll " + std::to_string(kSize) + saved},
    };
    const Bytes plain = PatternBytes(static_cast<std::size_t>(kSize), 9);
    const Bytes cipher = ReferenceFileCipher(plain, "pw", true);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        const std::string path = dir_.File("victim.bin");
        WriteFile(path, plain);
        io_ = TestFileIo();
        io_.FailAt(c.call, c.nth, c.partialWrite);
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
    }
}

}  // namespace
}  // namespace arkseal

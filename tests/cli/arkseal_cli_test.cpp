// arkseal-cli through its real binary: the documented example, files that
// travel between it and the dialog's job code, refusals that change nothing,
// a full disk, stop signals, kills and resumes, and the prompt on a
// pseudo-terminal.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <arkseal/job/crypt_job.h>
#include <arkseal/job/human_units.h>
#include <arkseal/job/transform_file_thread.h>
#include <arkseal/tests/cli/cli_process.h>
#include <arkseal/tests/guard/content_fixtures.h>
#include <arkseal/tests/job/reference_file_cipher.h>
#include <arkseal/tests/job/temp_files.h>
#include <arkseal/ui/core/message_box.h>
#include <arkseal/ui/core/worker_thread.h>

namespace arkseal {
namespace {

using test::Bytes;
using test::CliProcess;
using test::CliResult;
using test::CliTerminal;
using test::HeldByAJob;
using test::PatternBytes;
using test::ReadFile;
using test::ReferenceFileCipher;
using test::RunCli;
using test::WriteFile;

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

// Bytes of a file from an offset, read without going through the whole of it.
Bytes ReadAt(const std::string& path, off_t offset, std::size_t size) {
    Bytes bytes(size);
    const int fd = open(path.c_str(), O_RDONLY);
    const ssize_t n = fd >= 0 ? pread(fd, bytes.data(), size, offset) : -1;
    if (fd >= 0) close(fd);
    bytes.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return bytes;
}
Bytes Head(const std::string& path, std::size_t size) { return ReadAt(path, 0, size); }

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// A listening Unix-domain socket at path; -1 on failure.
int BoundSocket(const std::string& path) {
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
    if (fd < 0 || bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 || listen(fd, 1) != 0) {
        if (fd >= 0) close(fd);
        return -1;
    }
    return fd;
}

// A file size limit for the processes started meanwhile (they inherit it):
// their writes at or past the limit fail with EFBIG instead of raising
// SIGXFSZ, which is ignored.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previousHandler_ = signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{bytes, saved_.rlim_max};
        EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    }
    ~FileSizeLimit() { Lift(); }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    void Lift() {
        if (lifted_) return;
        setrlimit(RLIMIT_FSIZE, &saved_);
        signal(SIGXFSZ, previousHandler_);
        lifted_ = true;
    }

private:
    rlimit saved_{};
    sighandler_t previousHandler_ = SIG_DFL;
    bool lifted_ = false;
};

// The job as the main dialog runs it: the same block, the same worker.
void RunDialogJob(const std::string& path, const std::string& passphrase, bool encrypt) {
    std::vector<std::string> messages;
    SetMessageBoxPresenter([&](Window*, const std::string&, const std::string& text) { messages.push_back(text); });
    Window owner;
    CryptJob job(256, 256);
    ASSERT_TRUE(job.SetFileName(path));
    ASSERT_TRUE(job.SetPassphrase(passphrase));
    job.owner = &owner;
    job.mode = encrypt ? JobMode::kEncrypt : JobMode::kDecrypt;
    WaitForThread(BeginThread(TransformFileThread, &job));
    SetMessageBoxPresenter(nullptr);
    EXPECT_TRUE(messages.empty()) << messages.front();
    EXPECT_EQ(job.done, 1);
}

class ArksealCliTest : public ::testing::Test {
protected:
    std::string File(const std::string& name, const Bytes& content) {
        const std::string path = dir_.File(name);
        WriteFile(path, content);
        return path;
    }
    std::string PassphraseFile(const std::string& content) {
        const std::string path = dir_.File("passphrase" + std::to_string(++passphraseFiles_));
        WriteFile(path, Text(content));
        return path;
    }

    // Three files encrypted with the given -j, the middle one failing
    // part-way: its writes pass a file size limit (EFBIG), as a full
    // device's would, past the journal's records, inside its second window.
    struct MiddleFileFails;
    MiddleFileFails RunWithMiddleFileFailing(const std::string& jobs);

    test::TempDir dir_;
    int passphraseFiles_ = 0;
};

struct ArksealCliTest::MiddleFileFails {
    static constexpr rlim_t kLimit = kJobChunkSize + 40000;

    Bytes firstPlain = PatternBytes(700, 1);
    Bytes bigPlain = PatternBytes(3 * kJobChunkSize, 2);
    Bytes lastPlain = PatternBytes(800, 3);
    std::string first, big, last, passphrase;
    CliResult result;

    // The failed file: enciphered up to the limit, unchanged after it.
    Bytes BigAsLeft() const {
        Bytes expected = ReferenceFileCipher(bigPlain, "pw", true);
        std::copy(bigPlain.begin() + static_cast<std::ptrdiff_t>(kLimit), bigPlain.end(),
                  expected.begin() + static_cast<std::ptrdiff_t>(kLimit));
        return expected;
    }
};

ArksealCliTest::MiddleFileFails ArksealCliTest::RunWithMiddleFileFailing(const std::string& jobs) {
    MiddleFileFails run;
    run.first = File("first", run.firstPlain);
    run.big = File("big", run.bigPlain);
    run.last = File("last", run.lastPlain);
    run.passphrase = PassphraseFile("pw\n");
    FileSizeLimit writesStopAt(MiddleFileFails::kLimit);
    CliProcess process({"-j", jobs, "--passphrase-file", run.passphrase, "encrypt", run.first, run.big, run.last});
    writesStopAt.Lift();
    run.result = process.Wait();
    return run;
}

TEST_F(ArksealCliTest, GivesTheDocumentedExampleAndRestoresIt) {
    const std::string path = File("message", Text("Attack at dawn!"));
    const std::string passphrase = PassphraseFile("correct horse battery staple\n");
    const Bytes expected = {0xa3, 0x85, 0xe0, 0x87, 0x92, 0xd2, 0x61, 0xf7, 0xce, 0xbb, 0x02, 0x7f, 0x48, 0x9d, 0xb0};

    CliResult result = RunCli({"--passphrase-file", passphrase, "encrypt", path});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out + result.err, "") << "silent when standard error is not a terminal";
    EXPECT_EQ(ReadFile(path), expected);

    result = RunCli({"--passphrase-file", passphrase, "decrypt", path});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(ReadFile(path), Text("Attack at dawn!"));
}

// Several files in one run, of sizes around the job's chunk, go to the
// dialog's job and back, both ways round.
TEST_F(ArksealCliTest, FilesTravelBetweenItAndTheDialogsJob) {
    const std::string passphrase = "P\xc3\xa4ssphrase with spaces";
    const std::string passphraseFile = PassphraseFile(passphrase + "\n");
    std::vector<std::string> paths;
    std::vector<Bytes> plains;
    for (std::size_t size : {std::size_t{0}, std::size_t{1}, kJobChunkSize, kJobChunkSize + 1, 3 * kJobChunkSize + 5}) {
        plains.push_back(PatternBytes(size, static_cast<unsigned>(size)));
        paths.push_back(File("file" + std::to_string(size), plains.back()));
    }
    std::vector<std::string> args = {"--passphrase-file", passphraseFile, "encrypt"};
    args.insert(args.end(), paths.begin(), paths.end());
    CliResult result = RunCli(args);
    ASSERT_EQ(result.status, 0) << result.err;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        SCOPED_TRACE(paths[i]);
        EXPECT_EQ(ReadFile(paths[i]), ReferenceFileCipher(plains[i], passphrase, true));
        RunDialogJob(paths[i], passphrase, false);
        EXPECT_EQ(ReadFile(paths[i]), plains[i]);
        RunDialogJob(paths[i], passphrase, true);
    }
    args[2] = "decrypt";
    result = RunCli(args);
    ASSERT_EQ(result.status, 0) << result.err;
    for (std::size_t i = 0; i < paths.size(); ++i) EXPECT_EQ(ReadFile(paths[i]), plains[i]) << paths[i];
}

// Only the first line counts, without its newline; an empty line is the
// empty passphrase; nothing after the line is consumed from a descriptor.
TEST_F(ArksealCliTest, ReadsTheFirstLineFromADescriptorOrAFile) {
    struct Case {
        std::string input;
        std::string passphrase;
    };
    const Case cases[] = {
        {"secret\nsecond line\n", "secret"},      {"no newline at the end", "no newline at the end"},    {"\n", ""},
        {"trailing space \n", "trailing space "}, {std::string(256, 'x') + "\n", std::string(256, 'x')},
    };
    const Bytes plain = PatternBytes(1000);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        const std::string path = File("data", plain);
        const CliResult fromFile = RunCli({"--force", "--passphrase-file", PassphraseFile(c.input), "encrypt", path});
        EXPECT_EQ(fromFile.status, 0) << fromFile.err;
        EXPECT_EQ(ReadFile(path), ReferenceFileCipher(plain, c.passphrase, true));

        int pipeFds[2];
        ASSERT_EQ(pipe(pipeFds), 0);
        ASSERT_EQ(write(pipeFds[1], c.input.data(), c.input.size()), static_cast<ssize_t>(c.input.size()));
        close(pipeFds[1]);
        CliResult fromFd = CliProcess({"--passphrase-fd", "3", "decrypt", path}, -1, pipeFds[0]).Wait();
        close(pipeFds[0]);
        EXPECT_EQ(fromFd.status, 0) << fromFd.err;
        EXPECT_EQ(ReadFile(path), plain);
    }
}

// Each refusal exits with 1, says why, and leaves every file as it was.
TEST_F(ArksealCliTest, RefusalsChangeNothing) {
    const Bytes firstPlain = PatternBytes(5000, 1);
    const Bytes secondPlain = PatternBytes(300, 2);
    const std::string first = File("first", firstPlain);
    const std::string second = File("second", secondPlain);
    const std::string good = PassphraseFile("good\n");
    const std::string subdir = dir_.File("subdir");
    ASSERT_EQ(mkdir(subdir.c_str(), 0700), 0);
    const std::string link = dir_.File("link-to-first");
    ASSERT_EQ(::link(first.c_str(), link.c_str()), 0);
    const std::string fifo = dir_.File("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string socketPath = dir_.File("socket");
    const int listener = BoundSocket(socketPath);
    ASSERT_GE(listener, 0);
    const std::string linkToZero = dir_.File("link-to-zero");
    ASSERT_EQ(symlink("/dev/zero", linkToZero.c_str()), 0);

    struct Case {
        std::vector<std::string> args;
        std::string message;
        int status = 1;  // 64: the command line itself is wrong
    };
    const Case cases[] = {
        {{"--passphrase-file", good, "encrypt", first, dir_.File("missing"), second},
         "missing: Could not open file to encrypt. No such file or directory."},
        {{"--passphrase-file", good, "decrypt", first, dir_.File("missing")},
         "missing: Could not open file to decrypt. No such file or directory."},
        {{"--passphrase-file", good, "resume", dir_.File("missing")},
         "missing: Could not open file to finish its unfinished job. No such file or directory."},
        {{"--passphrase-file", good, "decrypt", first, subdir},
         "subdir: Could not open file to decrypt. The file is not a regular file but a directory"},
        {{"--passphrase-file", good, "encrypt", first, "/dev/zero"},
         "/dev/zero: The file is not a regular file but a character device"},
        {{"--passphrase-file", good, "encrypt", first, "/dev/null"}, "/dev/null: The file is not a regular file"},
        {{"--passphrase-file", good, "encrypt", first, fifo}, "fifo: The file is not a regular file but a FIFO"},
        {{"--passphrase-file", good, "encrypt", first, socketPath},
         "socket: Could not open file to encrypt. The file is not a regular file but a socket"},
        {{"--passphrase-file", good, "encrypt", first, linkToZero},
         "link-to-zero: The file is not a regular file but a character device"},
        {{"--passphrase-file", good, "encrypt", first, second, first}, "name each file once"},
        {{"--passphrase-file", good, "encrypt", first, link}, "name each file once"},
        {{"--passphrase-file", good, "encrypt", first, ""},
         "'': Could not open file to encrypt. No file name was given."},
        {{"encrypt", first, second}, "no terminal to ask for the passphrase"},
        {{"--passphrase-file", PassphraseFile(""), "encrypt", first}, "no passphrase in"},
        {{"--passphrase-file", PassphraseFile(std::string(257, 'x')), "encrypt", first}, "longer than 256 bytes"},
        {{"--passphrase-file", dir_.File("no-such-secret"), "encrypt", first}, "cannot open the passphrase file"},
        {{"--passphrase-file", PassphraseFile(std::string("\0secret\n", 8)), "encrypt", first}, "contains a NUL byte"},
        {{"--passphrase-file", PassphraseFile(std::string("sec\0ret", 7)), "decrypt", first}, "contains a NUL byte"},
        {{"--passphrase-fd", "9", "encrypt", first}, "Bad file descriptor"},
        {{"--passphrase-fd", "x", "encrypt", first}, "needs a file descriptor number", 64},
        {{"--passphrase-fd", "0", "--passphrase-file", good, "encrypt", first}, "not both", 64},
        {{"--passphrase-file", good, "encrypt"}, "name at least one file", 64},
        {{"--passphrase-file", good, "scramble", first}, "unknown command", 64},
        {{"--passphrase", "good", "encrypt", first}, "unknown option --passphrase", 64},
        {{"--passphrase=good", "encrypt", first}, "unknown option --passphrase\n", 64},
        {{"encrypt", "-x", first}, "unknown option -x", 64},
        {{"encrypt", first, "-qx"}, "unknown option -x", 64},
        {{"encrypt", first, "--jobs"}, "option --jobs needs a value", 64},
        {{"encrypt", first, "-j"}, "option -j needs a value", 64},
        {{}, "say encrypt, decrypt, resume or inspect", 64},
        {{"--passphrase-file", good, "resume", first, second}, "first: there is no unfinished job on this file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        const CliResult result = RunCli(c.args);
        EXPECT_EQ(result.status, c.status);
        EXPECT_TRUE(Contains(result.err, c.message)) << result.err;
        EXPECT_EQ(ReadFile(first), firstPlain);
        EXPECT_EQ(ReadFile(second), secondPlain);
    }
    close(listener);
}

// A symbolic link to a regular file is followed: the file it names is
// encrypted, and the link stays a link.
TEST_F(ArksealCliTest, FollowsASymbolicLinkToARegularFile) {
    const Bytes plain = PatternBytes(2000, 5);
    const std::string target = File("target", plain);
    const std::string link = dir_.File("link");
    ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
    const CliResult result = RunCli({"--passphrase-file", PassphraseFile("pw\n"), "encrypt", link});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(ReadFile(target), ReferenceFileCipher(plain, "pw", true));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
}

// One job per file. A run holds its files from its first check on; here the
// first run waits for its passphrase on a pipe, so the second surely comes
// while the first holds the file. The second is refused at once with
// nothing changed, also when the busy file is not the first it names; the
// first then runs as if alone.
TEST_F(ArksealCliTest, ASecondRunOnABusyFileIsRefused) {
    const Bytes plain = PatternBytes(3 * kJobChunkSize + 7, 6);
    const Bytes otherPlain = PatternBytes(900, 7);
    const std::string path = File("shared", plain);
    const std::string other = File("other", otherPlain);
    const std::string passphrase = PassphraseFile("second\n");
    int secret[2];
    ASSERT_EQ(pipe(secret), 0);
    CliProcess first({"--passphrase-fd", "3", "encrypt", path}, -1, secret[0]);
    close(secret[0]);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!HeldByAJob(path)) {
        ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the first run never took the file";
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    const CliResult second = RunCli({"--passphrase-file", passphrase, "encrypt", other, path});
    EXPECT_EQ(second.status, 1);
    EXPECT_TRUE(Contains(second.err, path + ": The file is in use by another Arkseal job")) << second.err;
    EXPECT_TRUE(Contains(second.err, "nothing was changed")) << second.err;
    EXPECT_EQ(ReadFile(path), plain);
    EXPECT_EQ(ReadFile(other), otherPlain);

    ASSERT_EQ(write(secret[1], "first\n", 6), 6);
    close(secret[1]);
    const CliResult result = first.Wait();
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(ReadFile(path), ReferenceFileCipher(plain, "first", true));
}

// A passphrase input longer than 256 bytes is refused as soon as its 257th
// byte is read: an endless or huge input ends there.
TEST_F(ArksealCliTest, AnOverlongPassphraseIsRefusedAtByte257) {
    const Bytes plain = PatternBytes(100, 4);
    const std::string path = File("data", plain);
    const std::string huge = PassphraseFile(std::string(20'000'000, 'x'));
    for (const std::string& source : {std::string("/dev/zero"), huge}) {
        SCOPED_TRACE(source);
        const auto start = std::chrono::steady_clock::now();
        const CliResult result = RunCli({"--passphrase-file", source, "encrypt", path});
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
        EXPECT_EQ(result.status, 1);
        EXPECT_TRUE(Contains(result.err, "longer than 256 bytes")) << result.err;
    }
    EXPECT_EQ(ReadFile(path), plain);
}

// A hostile file name reaches the terminal escaped, never raw: no escape
// sequence, no line break of its own.
TEST_F(ArksealCliTest, FileNamesWithControlCharactersAreShownEscaped) {
    const std::string name = dir_.File("evil\x1b]0;owned\x07\nname");
    const CliResult result = RunCli({"--passphrase-file", PassphraseFile("pw\n"), "decrypt", name});
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(Contains(result.err, "evil'$'\\033'']0;owned'$'\\a'$'\\n''name': Could not open file to decrypt."))
        << result.err;
    EXPECT_FALSE(Contains(result.err, "\x1b")) << result.err;
    EXPECT_FALSE(Contains(result.err, "\x07")) << result.err;
}

TEST_F(ArksealCliTest, RefusesAReadOnlyFile) {
    const Bytes writablePlain = PatternBytes(400, 3);
    const Bytes readOnlyPlain = PatternBytes(500, 4);
    const std::string writable = File("writable", writablePlain);
    const std::string readOnly = File("read-only", readOnlyPlain);
    using std::filesystem::perms;
    const perms everyoneReads = perms::owner_read | perms::group_read | perms::others_read;
    std::filesystem::permissions(writable, perms::all & ~perms::owner_exec & ~perms::group_exec & ~perms::others_exec);
    std::filesystem::permissions(readOnly, everyoneReads);
    std::filesystem::permissions(dir_.Path(), perms::owner_all | perms::group_read | perms::group_exec |
                                                  perms::others_read | perms::others_exec);
    const std::string passphrase = PassphraseFile("pw\n");
    std::filesystem::permissions(passphrase, everyoneReads);

    const CliResult result =
        CliProcess({"--passphrase-file", passphrase, "encrypt", writable, readOnly}, -1, -1, true).Wait();
    EXPECT_EQ(result.status, 1) << result.err;
    EXPECT_TRUE(Contains(result.err, readOnly + ": Could not open file to encrypt. Permission denied.")) << result.err;
    EXPECT_FALSE(Contains(result.err, writable + ":")) << result.err;
    EXPECT_EQ(ReadFile(writable), writablePlain);
    EXPECT_EQ(ReadFile(readOnly), readOnlyPlain);
}

TEST_F(ArksealCliTest, HelpNamesTheCommandsAndOptions) {
    const CliResult result = RunCli({"--help"});
    EXPECT_EQ(result.status, 0);
    for (const char* part :
         {"encrypt FILE", "decrypt FILE", "--passphrase-fd N", "--passphrase-file PATH", "--quiet"}) {
        EXPECT_TRUE(Contains(result.out, part)) << part;
    }
}

// An I/O failure: the job fails with exit 2, the message names the file,
// the operation and how much was done, and, one file at a time, the files
// after it are not started.
TEST_F(ArksealCliTest, AnIoFailureStopsTheRunWithExitTwo) {
    const MiddleFileFails run = RunWithMiddleFileFailing("1");
    EXPECT_EQ(run.result.status, 2);
    EXPECT_TRUE(Contains(run.result.err, run.big + ": Could not write the file (File too large)")) << run.result.err;
    EXPECT_TRUE(Contains(run.result.err, "The first " + SizeWithBytesText(MiddleFileFails::kLimit) + " of "))
        << run.result.err;
    EXPECT_TRUE(Contains(run.result.err, "not started, left unchanged: " + run.last)) << run.result.err;
    EXPECT_EQ(ReadFile(run.first), ReferenceFileCipher(run.firstPlain, "pw", true));
    EXPECT_EQ(ReadFile(run.big), run.BigAsLeft());
    EXPECT_EQ(ReadFile(run.last), run.lastPlain);
}

// Runs a shell script in a user and mount namespace of its own, where it
// may mount a small tmpfs; false when the system does not allow that.
bool RunInOwnMountNamespace(const std::string& script, const std::vector<std::string>& args) {
    std::string command = "unshare -Urm sh -c '" + script + "' sh";
    for (const std::string& arg : args) command += " '" + arg + "'";
    const int status = std::system((command + " 2>/dev/null").c_str());
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string ReadText(const std::string& path) {
    const Bytes bytes = ReadFile(path);
    return std::string(bytes.begin(), bytes.end());
}

// A full disk part-way through a file: exit 2, the message names the file,
// the failure and how to finish the job; one file at a time, the files after
// it are not started. Once there is room, resume finishes the file exactly.
TEST_F(ArksealCliTest, AFullDiskStopsTheRunWithExitTwoAndResumeFinishesOnceThereIsRoom) {
    const Bytes firstPlain = PatternBytes(700, 1);
    const Bytes lastPlain = PatternBytes(800, 2);
    const Bytes sparsePlain(2 << 20, 0);  // a hole: every written block needs room
    File("first", firstPlain);
    File("last", lastPlain);
    const std::string passphrase = PassphraseFile("pw\n");
    const std::string mount = dir_.File("small");
    std::filesystem::create_directory(mount);
    const std::string script =
        "set -u; m=$1; out=$2; cli=$3; pw=$4;"
        "mount -t tmpfs -o size=1536k tmpfs $m || exit 1;"
        "cp $out/first $out/last $m/ && truncate -s 2M $m/sparse || exit 1;"
        "$cli -j 1 --passphrase-file $pw encrypt $m/first $m/sparse $m/last 2>$out/err1; echo $? >$out/status1;"
        "cp $m/first $out/first.after; cp $m/last $out/last.after;"
        "mount -o remount,size=8m $m;"
        "$cli --passphrase-file $pw resume $m/sparse 2>$out/err2; echo $? >$out/status2;"
        "cp $m/sparse $out/sparse.after; ls -A $m >$out/listing";
    if (!RunInOwnMountNamespace(script, {mount, dir_.Path(), test::CliPath(), passphrase})) {
        GTEST_SKIP() << "cannot mount a small tmpfs here";
    }
    const std::string err = ReadText(dir_.File("err1"));
    EXPECT_EQ(ReadText(dir_.File("status1")), "2\n") << err;
    EXPECT_TRUE(Contains(err, mount + "/sparse: Could not write the file (No space left on device)")) << err;
    EXPECT_TRUE(Contains(err, "arkseal-cli resume " + mount + "/sparse")) << err;
    EXPECT_TRUE(Contains(err, "not started, left unchanged: " + mount + "/last")) << err;
    EXPECT_EQ(ReadFile(dir_.File("first.after")), ReferenceFileCipher(firstPlain, "pw", true));
    EXPECT_EQ(ReadFile(dir_.File("last.after")), lastPlain);
    EXPECT_EQ(ReadText(dir_.File("status2")), "0\n") << ReadText(dir_.File("err2"));
    EXPECT_EQ(ReadFile(dir_.File("sparse.after")), ReferenceFileCipher(sparsePlain, "pw", true));
    EXPECT_EQ(ReadText(dir_.File("listing")), "first\nlast\nsparse\n") << "the journal was left behind";
}

// The big file of the tests below takes a good while, so that a signal or
// a kill lands while it is worked on.
#ifdef __SANITIZE_ADDRESS__
constexpr std::size_t kBigSize = 16 * kJobChunkSize;
#else
constexpr std::size_t kBigSize = 96 * kJobChunkSize;
#endif

// Starts arkseal-cli on the files and returns once the first has begun to
// change on disk.
void WaitUntilChanged(const std::string& path, const Bytes& plain) {
    const Bytes head(plain.begin(), plain.begin() + 64);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (Head(path, head.size()) == head) {
        ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the job never began";
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

// A stop signal stops the file at the next chunk with its journal saved
// (exit 128 + N) and starts no other file; encrypt and decrypt then refuse
// the file, a wrong passphrase on resume changes nothing, and resume with
// the right one finishes it exactly.
TEST_F(ArksealCliTest, AStopSignalStopsTheFileAndResumeFinishesIt) {
    const Bytes bigPlain = PatternBytes(kBigSize, 7);
    const Bytes smallPlain = PatternBytes(1000, 8);
    const std::string passphrase = PassphraseFile("stop\n");
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(strsignal(signal));
        const std::string big = File("big", bigPlain);
        const std::string small = File("small", smallPlain);
        CliProcess process({"-j", "1", "--passphrase-file", passphrase, "encrypt", big, small});
        WaitUntilChanged(big, bigPlain);
        ASSERT_EQ(kill(process.Pid(), signal), 0);
        const CliResult result = process.Wait();
        EXPECT_EQ(result.status, 128 + signal) << result.err;
        EXPECT_TRUE(Contains(result.err, big + ": Stopped after ")) << result.err;
        EXPECT_TRUE(Contains(result.err, "arkseal-cli resume " + big)) << result.err;
        EXPECT_TRUE(Contains(result.err, "not started: " + small)) << result.err;
        EXPECT_EQ(ReadFile(small), smallPlain);
        const Bytes stopped = ReadFile(big);
        EXPECT_NE(stopped, ReferenceFileCipher(bigPlain, "stop", true)) << "the signal came too late to test a stop";

        const CliResult again = RunCli({"--passphrase-file", passphrase, "decrypt", big});
        EXPECT_EQ(again.status, 1);
        EXPECT_TRUE(Contains(again.err, "finish it first with arkseal-cli resume " + big + " and")) << again.err;
        const CliResult wrong = RunCli({"--passphrase-file", PassphraseFile("Stop\n"), "resume", big});
        EXPECT_EQ(wrong.status, 1);
        EXPECT_TRUE(Contains(wrong.err, "not the passphrase the unfinished job was started with")) << wrong.err;
        EXPECT_EQ(ReadFile(big), stopped);

        const CliResult resumed = RunCli({"--passphrase-file", passphrase, "resume", big});
        EXPECT_EQ(resumed.status, 0) << resumed.err;
        EXPECT_EQ(ReadFile(big), ReferenceFileCipher(bigPlain, "stop", true));
    }
}

// kill -9 at any moment of a job, decrypting or encrypting: resume brings
// the file to exactly what the whole job gives.
TEST_F(ArksealCliTest, AKilledJobIsFinishedExactlyByResume) {
    const Bytes plain = PatternBytes(kBigSize, 9);
    const std::string passphrase = PassphraseFile("kill\n");
    std::mt19937 random(2026);
    for (int round = 0; round < 4; ++round) {
        const bool encrypt = round % 2 == 0;
        SCOPED_TRACE(std::string(encrypt ? "encrypt" : "decrypt") + " round " + std::to_string(round));
        const std::string path = File("victim", plain);
        CliProcess process({"--force", "--passphrase-file", passphrase, encrypt ? "encrypt" : "decrypt", path});
        WaitUntilChanged(path, plain);
        std::this_thread::sleep_for(std::chrono::milliseconds(random() % 200));
        kill(process.Pid(), SIGKILL);
        const CliResult killed = process.Wait();
        const CliResult resumed = RunCli({"--passphrase-file", passphrase, "resume", path});
        if (killed.status == 0) {
            EXPECT_EQ(resumed.status, 1) << "the job had ended before the kill: nothing to resume";
        } else {
            EXPECT_EQ(killed.status, 128 + SIGKILL);
            EXPECT_EQ(resumed.status, 0) << resumed.err;
        }
        EXPECT_EQ(ReadFile(path), ReferenceFileCipher(plain, "kill", encrypt));
    }
}

// Another program cuts the file short while the job runs: never success.
TEST_F(ArksealCliTest, AFileCutShortMidJobIsNotReportedAsDone) {
    const Bytes plain = PatternBytes(kBigSize, 10);
    const std::string path = File("shrinking", plain);
    CliProcess process({"--passphrase-file", PassphraseFile("cut\n"), "encrypt", path});
    WaitUntilChanged(path, plain);
    std::filesystem::resize_file(path, kBigSize / 2);
    const CliResult result = process.Wait();
    EXPECT_EQ(result.status, 2) << result.err;
    EXPECT_TRUE(Contains(result.err, "cut short by another program")) << result.err;
    EXPECT_EQ(std::filesystem::file_size(path), kBigSize / 2) << "the job grew the file again";
}

// Several files at once give byte for byte what one at a time gives: files
// of sizes around the chunk and the first windows, one, two and three at a
// time, encrypted and back.
TEST_F(ArksealCliTest, FilesAtOnceGiveWhatOneAtATimeGives) {
    const std::string passphrase = PassphraseFile("many at once\n");
    std::vector<Bytes> plains;
    for (std::size_t size :
         {std::size_t{0}, std::size_t{700}, kJobChunkSize + 1, 3 * kJobChunkSize + 5, 7 * kJobChunkSize + 3}) {
        plains.push_back(PatternBytes(size, static_cast<unsigned>(size) + 1));
    }
    std::vector<Bytes> oneAtATime;
    for (const char* jobs : {"1", "2", "3"}) {
        SCOPED_TRACE(std::string("-j ") + jobs);
        std::vector<std::string> args = {"-j", jobs, "--passphrase-file", passphrase, "encrypt"};
        for (std::size_t i = 0; i < plains.size(); ++i) args.push_back(File("file" + std::to_string(i), plains[i]));
        CliResult result = RunCli(args);
        ASSERT_EQ(result.status, 0) << result.err;
        std::vector<Bytes> encrypted;
        for (std::size_t i = 0; i < plains.size(); ++i) encrypted.push_back(ReadFile(args[5 + i]));
        if (oneAtATime.empty()) {
            for (std::size_t i = 0; i < plains.size(); ++i) {
                EXPECT_EQ(encrypted[i], ReferenceFileCipher(plains[i], "many at once", true)) << i;
            }
            oneAtATime = encrypted;
        }
        EXPECT_EQ(encrypted, oneAtATime);
        args[4] = "decrypt";
        result = RunCli(args);
        ASSERT_EQ(result.status, 0) << result.err;
        for (std::size_t i = 0; i < plains.size(); ++i) EXPECT_EQ(ReadFile(args[5 + i]), plains[i]) << i;
    }
}

// Files at once: one failing leaves the files beside it to finish; each
// file's outcome is reported, exit 2.
TEST_F(ArksealCliTest, OneFileFailingLeavesTheFilesBesideItDone) {
    const MiddleFileFails run = RunWithMiddleFileFailing("3");
    EXPECT_EQ(run.result.status, 2);
    EXPECT_TRUE(Contains(run.result.err, run.big + ": Could not write the file (File too large)")) << run.result.err;
    EXPECT_TRUE(Contains(run.result.err, "arkseal-cli resume " + run.big)) << run.result.err;
    EXPECT_FALSE(Contains(run.result.err, "not started")) << run.result.err;
    EXPECT_EQ(ReadFile(run.first), ReferenceFileCipher(run.firstPlain, "pw", true));
    EXPECT_EQ(ReadFile(run.last), ReferenceFileCipher(run.lastPlain, "pw", true));
    EXPECT_EQ(ReadFile(run.big), run.BigAsLeft());
    const CliResult resumed = RunCli({"--passphrase-file", run.passphrase, "resume", run.big});
    EXPECT_EQ(resumed.status, 0) << resumed.err;
    EXPECT_EQ(ReadFile(run.big), ReferenceFileCipher(run.bigPlain, "pw", true));
}

// A stop signal with files at once: every file in flight stops at its next
// chunk with its journal on disk, no other is started, exit 128+N; resume
// finishes each exactly.
TEST_F(ArksealCliTest, AStopSignalStopsEveryFileInFlightAndStartsNoOther) {
    const Bytes onePlain = PatternBytes(kBigSize, 31);
    const Bytes twoPlain = PatternBytes(kBigSize, 32);
    const Bytes smallPlain = PatternBytes(1000, 33);
    const std::string one = File("one", onePlain);
    const std::string two = File("two", twoPlain);
    const std::string small = File("small", smallPlain);
    const std::string passphrase = PassphraseFile("halt\n");
    CliProcess process({"-j", "2", "--passphrase-file", passphrase, "encrypt", one, two, small});
    WaitUntilChanged(one, onePlain);
    WaitUntilChanged(two, twoPlain);
    ASSERT_EQ(kill(process.Pid(), SIGTERM), 0);
    const CliResult result = process.Wait();
    EXPECT_EQ(result.status, 128 + SIGTERM) << result.err;
    for (const std::string& big : {one, two}) {
        EXPECT_TRUE(Contains(result.err, big + ": Stopped after ")) << result.err;
        EXPECT_TRUE(Contains(result.err, "arkseal-cli resume " + big)) << result.err;
    }
    EXPECT_TRUE(Contains(result.err, "not started: " + small)) << result.err;
    EXPECT_EQ(ReadFile(small), smallPlain);
    EXPECT_NE(ReadFile(one), ReferenceFileCipher(onePlain, "halt", true)) << "the signal came too late";

    const CliResult resumed = RunCli({"-j", "2", "--passphrase-file", passphrase, "resume", one, two});
    EXPECT_EQ(resumed.status, 0) << resumed.err;
    EXPECT_EQ(ReadFile(one), ReferenceFileCipher(onePlain, "halt", true));
    EXPECT_EQ(ReadFile(two), ReferenceFileCipher(twoPlain, "halt", true));
}

TEST_F(ArksealCliTest, AsksTwiceOnTheTerminalWithEchoOff) {
    const Bytes plain = PatternBytes(3 * kJobChunkSize, 3);
    const std::string path = File("data", plain);
    CliTerminal terminal({"encrypt", path});
    ASSERT_TRUE(terminal.ReadUntil("Passphrase: ")) << terminal.Screen();
    EXPECT_FALSE(terminal.Echoes());
    terminal.Type("typed secret\n");
    ASSERT_TRUE(terminal.ReadUntil("Re-enter passphrase: ")) << terminal.Screen();
    EXPECT_FALSE(terminal.Echoes());
    terminal.Type("typed secret\n");
    EXPECT_EQ(terminal.Wait(), 0) << terminal.Screen();
    EXPECT_TRUE(terminal.Echoes()) << "echo was not restored";
    EXPECT_FALSE(Contains(terminal.Screen(), "typed secret")) << terminal.Screen();
    EXPECT_TRUE(Contains(terminal.Screen(), "100%")) << "no progress bar: " << terminal.Screen();
    EXPECT_TRUE(Contains(terminal.Screen(), "MB/s")) << terminal.Screen();
    EXPECT_EQ(ReadFile(path), ReferenceFileCipher(plain, "typed secret", true));
}

// Decrypt and resume ask once: a mistyped passphrase is caught by the
// content checks or the journal before anything changes.
TEST_F(ArksealCliTest, DecryptAsksOnce) {
    const Bytes plain = test::TextFixture();
    const std::string path = File("data", ReferenceFileCipher(plain, "typed secret", true));
    CliTerminal terminal({"--quiet", "decrypt", path});
    ASSERT_TRUE(terminal.ReadUntil("Passphrase: ")) << terminal.Screen();
    terminal.Type("typed secret\n");
    EXPECT_EQ(terminal.Wait(), 0) << terminal.Screen();
    EXPECT_FALSE(Contains(terminal.Screen(), "Re-enter")) << terminal.Screen();
    EXPECT_EQ(ReadFile(path), plain);
}

TEST_F(ArksealCliTest, RefusesAConfirmationThatDiffers) {
    const Bytes plain = PatternBytes(100, 4);
    const std::string path = File("data", plain);
    CliTerminal terminal({"--quiet", "encrypt", path});
    ASSERT_TRUE(terminal.ReadUntil("Passphrase: ")) << terminal.Screen();
    terminal.Type("Secret\n");
    ASSERT_TRUE(terminal.ReadUntil("Re-enter passphrase: ")) << terminal.Screen();
    terminal.Type("secret\n");
    EXPECT_EQ(terminal.Wait(), 1);
    EXPECT_TRUE(Contains(terminal.Screen(), "Passphrase and confirmation does not match.")) << terminal.Screen();
    EXPECT_EQ(ReadFile(path), plain);
}

TEST_F(ArksealCliTest, QuietShowsNoProgressOnTheTerminal) {
    const Bytes plain = PatternBytes(1000, 5);
    const std::string path = File("data", plain);
    CliTerminal terminal({"--quiet", "--passphrase-file", PassphraseFile("pw\n"), "encrypt", path});
    EXPECT_EQ(terminal.Wait(), 0) << terminal.Screen();
    EXPECT_EQ(terminal.Screen(), "");
    EXPECT_EQ(ReadFile(path), ReferenceFileCipher(plain, "pw", true));
}

// A stop signal at the prompt ends the program at once, with the terminal
// echoing again and nothing changed.
TEST_F(ArksealCliTest, AStopSignalAtThePromptChangesNothing) {
    const Bytes plain = PatternBytes(100, 6);
    const std::string path = File("data", plain);
    CliTerminal terminal({"encrypt", path});
    ASSERT_TRUE(terminal.ReadUntil("Passphrase: ")) << terminal.Screen();
    terminal.Type("\x03");  // Ctrl-C: SIGINT from the terminal
    EXPECT_EQ(terminal.Wait(), 128 + SIGINT) << terminal.Screen();
    EXPECT_TRUE(terminal.Echoes());
    EXPECT_EQ(ReadFile(path), plain);
}

// Without --force each look before a job refuses the run (exit 1, the file
// named with the reason, no file changed, the file after it included); with
// --force the job runs.
TEST_F(ArksealCliTest, TheContentChecksRefuseUnlessForced) {
    const std::string right = "my dog ate 3 blue kites";
    const Bytes text = test::TextFixture();
    struct Case {
        const char* name;
        Bytes content;
        const char* command;
        std::string passphrase;
        std::string reason;
    };
    const Case cases[] = {
        {"plain PDF", test::PdfFixture(), "decrypt", right, "looks like PDF document, not an encrypted file"},
        {"plain PNG", test::PngFixture(), "decrypt", right, "looks like PNG image data, not an encrypted file"},
        {"plain text", text, "decrypt", right, "looks like ASCII text, not an encrypted file"},
        {"wrong passphrase", ReferenceFileCipher(text, right, true), "decrypt", "my dog ate 3 blue kite",
         "does not decrypt to anything recognisable with this passphrase; the passphrase may be wrong"},
        {"random bytes", test::RandomFixture(5000), "encrypt", right,
         "looks encrypted already (random bytes of no known type); not encrypted (--force encrypts it again)"},
        {"encrypted already", ReferenceFileCipher(text, right, true), "encrypt", right, "looks encrypted already"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = File("file", c.content);
        const std::string after = File("after", text);
        const std::string passphrase = PassphraseFile(c.passphrase + "\n");
        CliResult result = RunCli({"--passphrase-file", passphrase, c.command, path, after});
        EXPECT_EQ(result.status, 1);
        EXPECT_TRUE(Contains(result.err, path + ": " + c.reason)) << result.err;
        EXPECT_TRUE(Contains(result.err, "nothing was changed")) << result.err;
        EXPECT_EQ(ReadFile(path), c.content);
        EXPECT_EQ(ReadFile(after), text);

        result = RunCli({"--force", "--passphrase-file", passphrase, c.command, path});
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(ReadFile(path), ReferenceFileCipher(c.content, c.passphrase, std::string(c.command) == "encrypt"));
    }
}

TEST_F(ArksealCliTest, TheRightPassphraseDecryptsWithoutForce) {
    const std::string right = "my dog ate 3 blue kites";
    for (const Bytes& plain : {test::PdfFixture(), test::PngFixture(), test::TextFixture(), Bytes(20000, 0)}) {
        const std::string path = File("file", ReferenceFileCipher(plain, right, true));
        const CliResult result = RunCli({"--passphrase-file", PassphraseFile(right + "\n"), "decrypt", path});
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.err, "");
        EXPECT_EQ(ReadFile(path), plain);
    }
}

// Encrypt refuses the empty passphrase unless forced, and warns of a weak
// one (unless --quiet) with the time it would take to guess.
TEST_F(ArksealCliTest, EncryptRefusesAnEmptyPassphraseAndWarnsOfAWeakOne) {
    const Bytes plain = PatternBytes(500);
    struct Case {
        std::vector<std::string> options;
        std::string passphrase;
        int status;
        std::string err;  // what standard error holds, or "" for nothing
    };
    const Case cases[] = {
        {{}, "", 1, "the passphrase is empty: anyone could decrypt the files; nothing was changed"},
        {{"--force"}, "", 0, "guessed in less than a second at 10^10 guesses a second (one graphics card)"},
        {{}, "Tr0ub4dor&3", 0, "arkseal-cli: warning: this passphrase is weak; it would be guessed in about 3 hours"},
        {{"--quiet"}, "Tr0ub4dor&3", 0, ""},
        {{}, "my dog ate 3 blue kites", 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.passphrase + ::testing::PrintToString(c.options));
        const std::string path = File("data", plain);
        std::vector<std::string> args = c.options;
        for (const std::string& arg :
             {std::string("--passphrase-file"), PassphraseFile(c.passphrase + "\n"), std::string("encrypt"), path}) {
            args.push_back(arg);
        }
        const CliResult result = RunCli(args);
        EXPECT_EQ(result.status, c.status) << result.err;
        if (c.err.empty()) {
            EXPECT_EQ(result.err, "");
        } else {
            EXPECT_TRUE(Contains(result.err, c.err)) << result.err;
        }
        EXPECT_EQ(ReadFile(path), c.status == 0 ? ReferenceFileCipher(plain, c.passphrase, true) : plain);
    }
    // Decrypt takes the passphrase the file was made with, whatever it is.
    const std::string path = File("data", ReferenceFileCipher(plain, "", true));
    const CliResult result = RunCli({"--passphrase-file", PassphraseFile("\n"), "decrypt", path});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
}

TEST_F(ArksealCliTest, InspectTellsWhatEachFileLooksLikeAndChangesNothing) {
    const std::string right = "my dog ate 3 blue kites";
    const Bytes pdf = test::PdfFixture();
    const Bytes encrypted = ReferenceFileCipher(test::TextFixture(), right, true);
    const std::string plainPath = File("plain.pdf", pdf);
    const std::string encryptedPath = File("encrypted.txt", encrypted);

    CliResult result = RunCli({"--passphrase-file", PassphraseFile(right + "\n"), "inspect", plainPath, encryptedPath});
    EXPECT_EQ(result.status, 0) << result.err;
    for (const std::string& part : {
             std::string("passphrase: strong, guessed in"),
             plainPath + "\n  content:   PDF document, version 1.4",
             std::string("(application/pdf); entropy "),
             std::string("  encrypt:   goes ahead\n  decrypt:   refused without --force: looks like PDF document"),
             encryptedPath + "\n  content:   data (application/octet-stream); entropy ",
             std::string("  decrypted: ASCII text (text/plain); entropy "),
             std::string("  encrypt:   refused without --force: looks encrypted already"),
             std::string("  decrypt:   goes ahead"),
         }) {
        EXPECT_TRUE(Contains(result.out, part)) << part << "\n" << result.out;
    }
    EXPECT_TRUE(Contains(result.out, "looks random")) << result.out;

    result = RunCli({"inspect", plainPath, dir_.File("missing")});
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(Contains(result.out, "decrypt:   give the passphrase to judge")) << result.out;
    EXPECT_TRUE(Contains(result.err, "missing: cannot read it (No such file or directory)")) << result.err;
    EXPECT_EQ(ReadFile(plainPath), pdf);
    EXPECT_EQ(ReadFile(encryptedPath), encrypted);
}

}  // namespace
}  // namespace arkseal

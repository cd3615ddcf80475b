// The status line's sentences.
#include <arkseal/app/status_text.h>

#include <gtest/gtest.h>

namespace arkseal {
namespace {

TEST(StatusTextTest, SaysWhatARunningJobIsDoing) {
    EXPECT_EQ(JobProgressText(JobMode::kEncrypt, true, "/home/ann/big.iso", 0, 1'258'291'200, 0),
              "Encrypting big.iso: 0%");
    EXPECT_EQ(JobProgressText(JobMode::kEncrypt, true, "/home/ann/big.iso", 528'482'304, 1'258'291'200, 81e6),
              "Encrypting big.iso: 42%, 81.0 MB/s, 0:10 left");
    EXPECT_EQ(JobProgressText(JobMode::kResume, false, "notes", 50, 100, 10),
              "Finishing the decryption of notes: 50%, 10 bytes/s, 0:05 left");
    EXPECT_EQ(JobProgressText(JobMode::kDecrypt, false, "empty", 0, 0, 0), "Decrypting empty: 0%");
}

TEST(StatusTextTest, SaysWhatAJobDidInOneLine) {
    EXPECT_EQ(JobDoneText(JobMode::kEncrypt, true, "/home/ann/report.pdf", 3'200'000, 0.06),
              "Encrypted report.pdf, 3.2 MB, in 0.1 s.");
    EXPECT_EQ(JobDoneText(JobMode::kDecrypt, false, "notes", 12, 2.0), "Decrypted notes, 12 bytes, in 2.0 s.");
    EXPECT_EQ(JobDoneText(JobMode::kResume, true, "notes", 12, 2.0),
              "Finished the encryption of notes, 12 bytes, in 2.0 s.");
    EXPECT_EQ(JobFailedText(JobMode::kDecrypt, false, "/tmp/a b.tar",
                            "Could not write the file (Disk full).\nThe first 5 of 9 bytes"),
              "Decrypting a b.tar failed: Could not write the file (Disk full).");
    EXPECT_EQ(NotStartedText("File name is longer than 256 bytes.\nmore"),
              "Not started: File name is longer than 256 bytes.");
}

}  // namespace
}  // namespace arkseal

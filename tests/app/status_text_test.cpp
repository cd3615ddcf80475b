// The status line's sizes and sentences.
#include <arkseal/app/status_text.h>

#include <gtest/gtest.h>

namespace arkseal {
namespace {

TEST(StatusTextTest, SizesInPowersOfAThousand) {
    const std::pair<std::int64_t, const char*> cases[] = {
        {0, "0 bytes"},
        {1, "1 byte"},
        {999, "999 bytes"},
        {1000, "1.0 KB"},
        {3'200'000, "3.2 MB"},
        {999'949, "999.9 KB"},
        {999'950, "1.0 MB"},
        {5'368'709'120, "5.4 GB"},
        {7'000'000'000'000'000, "7000.0 TB"},
    };
    for (const auto& [bytes, text] : cases) EXPECT_EQ(SizeText(bytes), text) << bytes;
}

TEST(StatusTextTest, SaysWhatAJobDidInOneLine) {
    EXPECT_EQ(JobDoneText(true, "/home/ann/report.pdf", 3'200'000, 0.06), "Encrypted report.pdf, 3.2 MB, in 0.1 s.");
    EXPECT_EQ(JobDoneText(false, "notes", 12, 2.0), "Decrypted notes, 12 bytes, in 2.0 s.");
    EXPECT_EQ(JobFailedText(false, "/tmp/a b.tar", "Could not write the file (Disk full).\nThe first 5 of 9 bytes"),
              "Decrypting a b.tar failed: Could not write the file (Disk full).");
    EXPECT_EQ(NotStartedText("File name is longer than 256 bytes."),
              "Not started: File name is longer than 256 bytes.");
}

}  // namespace
}  // namespace arkseal

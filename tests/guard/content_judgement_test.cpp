// The checks before a job: byte entropy, libmagic's type, and the rules
// that raise a concern, on small files of known types, their encryptions
// (by the independent reference cipher) and random bytes.
#include <arkseal/guard/content_judgement.h>

#include <gtest/gtest.h>

#include <arkseal/tests/guard/content_fixtures.h>
#include <arkseal/tests/job/reference_file_cipher.h>
#include <arkseal/tests/job/temp_files.h>

namespace arkseal {
namespace {

using test::AsBytes;
using test::ContentBytes;
using test::PdfFixture;
using test::PngFixture;
using test::RandomFixture;
using test::ReferenceFileCipher;
using test::TextFixture;

ContentBytes Prefix(const ContentBytes& bytes, std::size_t size) {
    return ContentBytes(bytes.begin(), bytes.begin() + std::min(size, bytes.size()));
}

TEST(ByteEntropyTest, TellsRandomBytesFromStructuredOnes) {
    struct Case {
        const char* name;
        ContentBytes bytes;
        bool random;
        double minBits, maxBits;
    };
    const Case cases[] = {
        {"8 KiB random", RandomFixture(8192), true, 7.95, 8.0},
        {"64 random bytes", RandomFixture(64, 2), true, 5.5, 6.0},
        {"text", TextFixture(), false, 3.0, 5.0},
        {"64 bytes of text", Prefix(TextFixture(), 64), false, 3.0, 5.0},
        {"zeros", ContentBytes(8192, 0), false, 0.0, 0.0},
        {"too short to tell", RandomFixture(16, 3), false, 3.5, 4.0},
        {"every byte value in turn",
         [] {
             ContentBytes bytes(8192);
             for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i);
             return bytes;
         }(),
         true, 8.0, 8.0},
        {"nothing", {}, false, 0.0, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ByteEntropy entropy = MeasureByteEntropy(c.bytes);
        EXPECT_EQ(entropy.looksRandom, c.random) << entropy.flatnessGap;
        EXPECT_GE(entropy.bitsPerByte, c.minBits - 1e-9);
        EXPECT_LE(entropy.bitsPerByte, c.maxBits + 1e-9);
    }
}

TEST(FileTypeTest, KnowsCommonTypesAndNothingInRandomBytes) {
    struct Case {
        const char* name;
        ContentBytes bytes;
        std::string mime;
        bool recognised;
    };
    const Case cases[] = {
        {"pdf", PdfFixture(), "application/pdf", true},
        {"png", PngFixture(), "image/png", true},
        {"text", TextFixture(), "text/plain", true},
        {"random", RandomFixture(8192), "application/octet-stream", false},
        {"empty", {}, "application/x-empty", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const FileType type = RecogniseFileType(c.bytes);
        EXPECT_EQ(type.mime, c.mime) << type.description;
        EXPECT_EQ(type.recognised, c.recognised) << type.description;
    }
    EXPECT_EQ(ShortTypeName(RecogniseFileType(PdfFixture()).description), "PDF document");
    EXPECT_EQ(ShortTypeName("data"), "data");
}

ContentBytes Encrypted(const ContentBytes& plain, const std::string& passphrase) {
    return ReferenceFileCipher(plain, passphrase, true);
}

// Random bytes that begin with 0xB8, the first byte of a DOS COM program to
// libmagic.
ContentBytes LooksLikeDosProgram(const ContentBytes& bytes) {
    ContentBytes changed = bytes;
    changed[0] = 0xB8;
    return changed;
}

TEST(ContentJudgementTest, RaisesEachConcernOnlyWhereItBelongs) {
    struct Case {
        const char* name;
        ContentBytes content;
        bool encrypt;
        std::string passphrase;
        ContentConcern concern;
    };
    const ContentBytes zeros(20000, 0);
    const Case cases[] = {
        {"decrypt a plain PDF", PdfFixture(), false, "right", ContentConcern::LooksPlain},
        {"decrypt a plain PNG", PngFixture(), false, "right", ContentConcern::LooksPlain},
        {"decrypt plain text", TextFixture(), false, "right", ContentConcern::LooksPlain},
        {"decrypt text, right passphrase", Encrypted(TextFixture(), "right"), false, "right", ContentConcern::None},
        {"decrypt text, wrong passphrase", Encrypted(TextFixture(), "right"), false, "Right",
         ContentConcern::HeadDoesNotDecrypt},
        {"decrypt a PDF, right passphrase", Encrypted(PdfFixture(), "right"), false, "right", ContentConcern::None},
        {"decrypt a PDF, wrong passphrase", Encrypted(PdfFixture(), "right"), false, "",
         ContentConcern::HeadDoesNotDecrypt},
        {"decrypt zeros, right passphrase", Encrypted(zeros, "right"), false, "right", ContentConcern::None},
        {"decrypt an empty file", {}, false, "right", ContentConcern::None},
        {"encrypt random bytes", RandomFixture(10000), true, "right", ContentConcern::LooksEncrypted},
        {"encrypt random bytes of a type found in random bytes", LooksLikeDosProgram(RandomFixture(10000)), true,
         "right", ContentConcern::LooksEncrypted},
        {"encrypt an encrypted file again", Encrypted(TextFixture(), "right"), true, "right",
         ContentConcern::LooksEncrypted},
        {"encrypt a PDF", PdfFixture(), true, "right", ContentConcern::None},
        {"encrypt a PNG", PngFixture(), true, "right", ContentConcern::None},
        {"encrypt text", TextFixture(), true, "right", ContentConcern::None},
        {"encrypt zeros", zeros, true, "right", ContentConcern::None},
        {"encrypt an empty file", {}, true, "right", ContentConcern::None},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ContentBytes head = Prefix(c.content, kJudgedHeadBytes);
        const ContentJudgement judgement =
            c.encrypt ? JudgeBeforeEncrypt(head) : JudgeBeforeDecrypt(head, c.passphrase);
        EXPECT_EQ(judgement.concern, c.concern) << judgement.content.type.description;
        EXPECT_EQ(judgement.decrypted.has_value(), !c.encrypt);
    }
}

// A wrong passphrase whose garbage happens to carry a weak magic still asks.
TEST(ContentJudgementTest, ATypeFoundInRandomBytesDoesNotVouchForAPassphrase) {
    const ContentBytes plain = LooksLikeDosProgram(RandomFixture(8192, 5));
    ASSERT_EQ(RecogniseFileType(plain).mime, "application/x-dosexec");
    // The "encryption" whose decryption under "wrong" is that garbage.
    const ContentBytes file = ReferenceFileCipher(plain, "wrong", true);
    const ContentJudgement judgement = JudgeBeforeDecrypt(file, "wrong");
    EXPECT_EQ(judgement.decrypted->type.mime, "application/x-dosexec");
    EXPECT_EQ(judgement.concern, ContentConcern::HeadDoesNotDecrypt);
    EXPECT_TRUE(IsTypeFoundInRandomBytes("application/zlib"));
    EXPECT_FALSE(IsTypeFoundInRandomBytes("application/pdf"));
}

TEST(ContentJudgementTest, TheDecryptedHeadIsTheJobsDecryption) {
    const ContentBytes plain = PdfFixture();
    const ContentLook look = LookAtDecryptedContent(Encrypted(plain, "pass phrase"), "pass phrase");
    EXPECT_EQ(look.type.mime, "application/pdf");
    EXPECT_EQ(look.type.description, RecogniseFileType(plain).description);
}

TEST(ReadFileHeadTest, ReadsAtMostTheJudgedBytesFromTheStart) {
    test::TempDir dir;
    const ContentBytes big = RandomFixture(kJudgedHeadBytes + 100);
    const ContentBytes small = TextFixture(3);
    test::WriteFile(dir.File("big"), big);
    test::WriteFile(dir.File("small"), small);
    std::vector<std::uint8_t> head;
    std::string error;
    ASSERT_TRUE(ReadFileHead(dir.File("big"), &head, &error)) << error;
    EXPECT_EQ(head, Prefix(big, kJudgedHeadBytes));
    ASSERT_TRUE(ReadFileHead(dir.File("small"), &head, &error)) << error;
    EXPECT_EQ(head, small);
    EXPECT_FALSE(ReadFileHead(dir.File("missing"), &head, &error));
    EXPECT_EQ(error, "No such file or directory");
}

}  // namespace
}  // namespace arkseal

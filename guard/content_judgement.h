// Looking at a file's content before a job changes it.
//
// The file format carries no header and no check value, so nothing tells an
// encrypted file from a plain one, or a right passphrase from a wrong one.
// The content does: a job's input is either of a type libmagic knows (a
// document, an image, an archive, text) or, once encrypted, bytes that
// look random and are of no known type. The judgements read the file's
// first kJudgedHeadBytes and decrypt them in memory only.
//
// A type counts when libmagic knows it, unless the bytes look random and the
// type is one libmagic also finds in random bytes (IsTypeFoundInRandomBytes).
//
// Decrypt:
//   - the head, decrypted with the passphrase, is of a known type: fine;
//   - else the head as it is is of a known type: LooksPlain (a plain file);
//   - else the decrypted head looks random: HeadDoesNotDecrypt (most likely
//     a wrong passphrase);
//   - else (unknown, structured bytes either way): fine.
// Encrypt:
//   - the head is of no known type and looks random: LooksEncrypted.
// An empty file gives nothing to judge and never raises a concern.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <arkseal/guard/byte_entropy.h>
#include <arkseal/guard/file_type.h>

namespace arkseal {

inline constexpr std::size_t kJudgedHeadBytes = 8192;

struct ContentLook {
    FileType type;
    ByteEntropy entropy;
};

enum class ContentConcern { None, LooksPlain, HeadDoesNotDecrypt, LooksEncrypted };

struct ContentJudgement {
    ContentConcern concern = ContentConcern::None;
    ContentLook content;                   // the head as it is
    std::optional<ContentLook> decrypted;  // decrypting: the head decrypted with the passphrase
};

// The first kJudgedHeadBytes of the file (fewer for a shorter file). False
// with *error set (the system's reason) when it cannot be read.
// A FIFO is opened without waiting for a writer; its read then fails.
bool ReadFileHead(const std::string& path, std::vector<std::uint8_t>* head, std::string* error);

ContentLook LookAtContent(std::span<const std::uint8_t> bytes);
// Whether the look names a type that counts (see above).
bool HasKnownType(const ContentLook& look);
// The look of the bytes decrypted with the passphrase, as a job would
// decrypt them from the start of the file. The key and the decrypted bytes
// are wiped before it returns.
ContentLook LookAtDecryptedContent(std::span<const std::uint8_t> bytes, std::string_view passphrase);

ContentJudgement JudgeBeforeEncrypt(std::span<const std::uint8_t> head);
ContentJudgement JudgeBeforeDecrypt(std::span<const std::uint8_t> head, std::string_view passphrase);

}  // namespace arkseal

// How often the looks before a job go wrong on real files: a corpus of files
// under a folder (default /usr: documents, images, archives, programs,
// libraries, text of many kinds), each judged plain and, encrypted in memory
// as a job would encrypt it, judged again with the right and a wrong
// passphrase. Nothing on disk is changed.
//
//   false_alarms [folder] [files]        (defaults: /usr 3000)
//
// Per rule: false alarms (a question where none belongs) and misses (no
// question where one belongs), with the types behind them. Files are drawn in
// a fixed pseudo-random order, at most kPerTypeCap of one MIME type, so that
// many types take part.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#include <arkseal/crypto/passphrase_digest.h>
#include <arkseal/crypto/stream_cipher.h>
#include <arkseal/guard/content_judgement.h>

namespace arkseal {
namespace {

constexpr const char* kRight = "my dog ate 3 blue kites";
constexpr const char* kWrong = "my dog ate 3 blue kits";
constexpr int kPerTypeCap = 60;

std::vector<std::uint8_t> Encrypted(std::vector<std::uint8_t> bytes, const std::string& passphrase) {
    std::uint8_t digest[64];
    PassphraseDigest().DigestBytes(passphrase.data(), static_cast<std::ptrdiff_t>(passphrase.size()), digest);
    StreamCipher cipher;
    cipher.SetKey(digest);
    cipher.ResetIv();
    cipher.EncryptRun(bytes.data(), static_cast<std::ptrdiff_t>(bytes.size()));
    return bytes;
}

struct Rule {
    Rule(const char* ruleName, const char* ruleKind) : name(ruleName), kind(ruleKind) {}

    const char* name;
    const char* kind;  // "false alarm" or "miss"
    int fired = 0;
    int judged = 0;
    int tooShort = 0;                  // of those fired: heads too short to judge as random
    std::map<std::string, int> types;  // MIME type of the plain file -> count
};

void Count(Rule& rule, bool fired, const std::string& type, std::size_t size) {
    ++rule.judged;
    if (!fired) return;
    ++rule.fired;
    if (size < kRandomMinimumBytes) ++rule.tooShort;
    ++rule.types[type];
}

std::vector<std::filesystem::path> RegularFiles(const std::filesystem::path& root) {
    std::vector<std::filesystem::path> files;
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(
             root, std::filesystem::directory_options::skip_permission_denied, error);
         it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        if (error) break;
        if (it->is_regular_file(error) && !it->is_symlink(error) && it->file_size(error) > 0) {
            files.push_back(it->path());
        }
    }
    std::sort(files.begin(), files.end());
    std::shuffle(files.begin(), files.end(), std::mt19937(12345));
    return files;
}

void Print(const Rule& rule) {
    std::printf("%-58s %-11s %5d of %5d  %6.2f %%  (%d shorter than %zu bytes)\n", rule.name, rule.kind, rule.fired,
                rule.judged, rule.judged > 0 ? 100.0 * rule.fired / rule.judged : 0.0, rule.tooShort,
                kRandomMinimumBytes);
    std::vector<std::pair<int, std::string>> types;
    for (const auto& [type, count] : rule.types) types.emplace_back(count, type);
    std::sort(types.rbegin(), types.rend());
    for (std::size_t i = 0; i < types.size() && i < 6; ++i) {
        std::printf("    %5d  %s\n", types[i].first, types[i].second.c_str());
    }
}

}  // namespace
}  // namespace arkseal

int main(int argc, char** argv) {
    using namespace arkseal;
    const std::filesystem::path root = argc > 1 ? argv[1] : "/usr";
    const int wanted = argc > 2 ? std::atoi(argv[2]) : 3000;

    Rule encryptPlain{"encrypt: a plain file looks encrypted", "false alarm"};
    Rule decryptRightKnown{"decrypt, right passphrase, file of a known type: asks", "false alarm"};
    Rule decryptRightUnknown{"decrypt, right passphrase, file of no known type: asks", "false alarm"};
    Rule decryptPlain{"decrypt: a plain file goes ahead", "miss"};
    Rule decryptWrong{"decrypt, wrong passphrase: goes ahead", "miss"};
    Rule encryptEncrypted{"encrypt: an encrypted file goes ahead", "miss"};

    std::map<std::string, int> perType;
    int judged = 0;
    for (const std::filesystem::path& path : RegularFiles(root)) {
        if (judged >= wanted) break;
        std::vector<std::uint8_t> head;
        std::string error;
        if (!ReadFileHead(path, &head, &error) || head.empty()) continue;
        const ContentJudgement plainEncrypt = JudgeBeforeEncrypt(head);
        const std::string& type = plainEncrypt.content.type.mime;
        if (++perType[type] > kPerTypeCap) continue;
        ++judged;
        const bool known = HasKnownType(plainEncrypt.content);
        const std::vector<std::uint8_t> encrypted = Encrypted(head, kRight);

        Count(encryptPlain, plainEncrypt.concern != ContentConcern::None, type, head.size());
        Count(known ? decryptRightKnown : decryptRightUnknown,
              JudgeBeforeDecrypt(encrypted, kRight).concern != ContentConcern::None, type, head.size());
        Count(decryptPlain, JudgeBeforeDecrypt(head, kRight).concern == ContentConcern::None, type, head.size());
        Count(decryptWrong, JudgeBeforeDecrypt(encrypted, kWrong).concern == ContentConcern::None, type, head.size());
        Count(encryptEncrypted, JudgeBeforeEncrypt(encrypted).concern == ContentConcern::None, type, head.size());
    }

    int types = 0;
    for (const auto& [type, count] : perType) types += count > 0 ? 1 : 0;
    std::printf("%d files under %s, %d MIME types (at most %d files of one type), first %zu bytes of each\n\n", judged,
                root.c_str(), types, kPerTypeCap, kJudgedHeadBytes);
    for (const Rule* rule :
         {&encryptPlain, &decryptRightKnown, &decryptRightUnknown, &decryptPlain, &decryptWrong, &encryptEncrypted}) {
        Print(*rule);
    }
    return 0;
}

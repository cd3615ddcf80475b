#include <arkseal/cli/content_checks.h>

#include <arkseal/cli/shell_quoted.h>

namespace arkseal {

std::string ConcernText(const ContentJudgement& judgement) {
    switch (judgement.concern) {
        case ContentConcern::None: return {};
        case ContentConcern::LooksPlain:
            return "looks like " + ShortTypeName(judgement.content.type.description) + ", not an encrypted file";
        case ContentConcern::HeadDoesNotDecrypt:
            return "does not decrypt to anything recognisable with this passphrase; the passphrase may be wrong";
        case ContentConcern::LooksEncrypted: return "looks encrypted already (random bytes of no known type)";
    }
    return {};
}

bool ContentAllowsJob(const std::vector<std::string>& files, bool encrypt, std::string_view passphrase,
                      std::vector<std::string>* errors) {
    for (const std::string& file : files) {
        std::vector<std::uint8_t> head;
        std::string error;
        if (!ReadFileHead(file, &head, &error)) {
            errors->push_back(ShellQuoted(file) + ": cannot read it to look at its content (" + error + ")");
            continue;
        }
        const ContentJudgement judgement = encrypt ? JudgeBeforeEncrypt(head) : JudgeBeforeDecrypt(head, passphrase);
        if (judgement.concern != ContentConcern::None) {
            errors->push_back(ShellQuoted(file) + ": " + ConcernText(judgement) + "; not " +
                              (encrypt ? "encrypted" : "decrypted") + " (--force " +
                              (encrypt ? "encrypts it again" : "decrypts it anyway") + ")");
        }
    }
    return errors->empty();
}

std::string GuessingTimeText(const PassphraseStrength& strength) {
    return DescribeGuessingTime(strength.seconds) + " at 10^10 guesses a second (one graphics card)";
}

}  // namespace arkseal

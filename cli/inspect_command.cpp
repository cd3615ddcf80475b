#include <arkseal/cli/inspect_command.h>

#include <arkseal/cli/shell_quoted.h>

#include <cstdio>

#include <arkseal/cli/cli_program.h>
#include <arkseal/cli/content_checks.h>

namespace arkseal {

namespace {

std::string Describe(const ContentLook& look) {
    char entropy[64];
    std::snprintf(entropy, sizeof entropy, "entropy %.2f bits/byte", look.entropy.bitsPerByte);
    return look.type.description + " (" + look.type.mime + "); " + entropy +
           (look.entropy.looksRandom ? ", looks random" : "");
}

std::string Verdict(const ContentJudgement& judgement) {
    if (judgement.concern == ContentConcern::None) return "goes ahead";
    return "refused without --force: " + ConcernText(judgement);
}

void PrintFile(const std::string& file, const std::vector<std::uint8_t>& head,
               std::optional<std::string_view> passphrase) {
    const ContentJudgement encrypt = JudgeBeforeEncrypt(head);
    std::printf("%s\n  content:   %s\n", ShellQuoted(file).c_str(), Describe(encrypt.content).c_str());
    if (passphrase) {
        const ContentJudgement decrypt = JudgeBeforeDecrypt(head, *passphrase);
        std::printf("  decrypted: %s\n", Describe(*decrypt.decrypted).c_str());
        std::printf("  encrypt:   %s\n  decrypt:   %s\n", Verdict(encrypt).c_str(), Verdict(decrypt).c_str());
    } else {
        std::printf("  encrypt:   %s\n  decrypt:   give the passphrase to judge\n", Verdict(encrypt).c_str());
    }
}

}  // namespace

int RunInspect(const std::vector<std::string>& files, std::optional<std::string_view> passphrase) {
    if (passphrase) {
        const PassphraseStrength strength = EstimatePassphraseStrength(*passphrase);
        std::printf("passphrase: %s, guessed in %s\n", strength.weak ? "weak" : "strong",
                    GuessingTimeText(strength).c_str());
    }
    int status = kExitDone;
    for (const std::string& file : files) {
        std::vector<std::uint8_t> head;
        std::string error;
        if (!ReadFileHead(file, &head, &error)) {
            std::fprintf(stderr, "arkseal-cli: %s: cannot read it (%s)\n", file.c_str(), error.c_str());
            status = kExitRefused;
            continue;
        }
        PrintFile(file, head, passphrase);
    }
    return status;
}

}  // namespace arkseal

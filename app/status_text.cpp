#include <arkseal/app/status_text.h>

#include <cstdio>

#include <arkseal/job/human_units.h>
#include <arkseal/job/job_texts.h>

namespace arkseal {

namespace {

std::string FirstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

std::string Formatted(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string PastTense(JobMode mode, bool encrypt) {
    switch (mode) {
        case JobMode::kEncrypt: return "Encrypted";
        case JobMode::kDecrypt: return "Decrypted";
        case JobMode::kResume: break;
    }
    return encrypt ? "Finished the encryption of" : "Finished the decryption of";
}

}  // namespace

std::string BaseName(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string JobProgressText(JobMode mode, bool encrypt, const std::string& path, std::int64_t position,
                            std::int64_t length, double bytesPerSecond) {
    const std::int64_t percent = length > 0 ? position * 100 / length : 0;
    std::string text = JobGerund(mode, encrypt) + " " + BaseName(path) + ": " + std::to_string(percent) + "%";
    if (bytesPerSecond <= 0) return text;
    const double left = static_cast<double>(length - position) / bytesPerSecond;
    return text + ", " + SizeText(static_cast<std::int64_t>(bytesPerSecond)) + "/s, " + DurationText(left) + " left";
}

std::string JobDoneText(JobMode mode, bool encrypt, const std::string& path, std::int64_t bytes, double seconds) {
    return PastTense(mode, encrypt) + " " + BaseName(path) + ", " + SizeText(bytes) + ", in " +
           Formatted("%.1f", seconds) + " s.";
}

std::string JobFailedText(JobMode mode, bool encrypt, const std::string& path, const std::string& message) {
    return JobGerund(mode, encrypt) + " " + BaseName(path) + " failed: " + FirstLine(message);
}

std::string NotStartedText(const std::string& reason) { return "Not started: " + FirstLine(reason); }

std::string StrengthText(const PassphraseStrength& strength) {
    return std::string("Passphrase: ") + (strength.weak ? "weak" : "strong") + ", guessed in " +
           DescribeGuessingTime(strength.seconds) + " by one graphics card.";
}

}  // namespace arkseal

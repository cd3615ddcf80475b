#include <arkseal/app/status_text.h>

#include <cstdio>

namespace arkseal {

namespace {

std::string BaseName(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FirstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

std::string Formatted(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

}  // namespace

std::string SizeText(std::int64_t bytes) {
    static constexpr const char* kUnits[] = {"KB", "MB", "GB", "TB"};
    if (bytes < 1000) return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
    double value = static_cast<double>(bytes) / 1000;
    std::size_t unit = 0;
    while (value >= 999.95 && unit + 1 < std::size(kUnits)) {
        value /= 1000;
        ++unit;
    }
    return Formatted("%.1f ", value) + kUnits[unit];
}

std::string JobDoneText(bool encrypt, const std::string& path, std::int64_t bytes, double seconds) {
    return std::string(encrypt ? "Encrypted " : "Decrypted ") + BaseName(path) + ", " + SizeText(bytes) + ", in " +
           Formatted("%.1f", seconds) + " s.";
}

std::string JobFailedText(bool encrypt, const std::string& path, const std::string& message) {
    return std::string(encrypt ? "Encrypting " : "Decrypting ") + BaseName(path) + " failed: " + FirstLine(message);
}

std::string NotStartedText(const std::string& reason) { return "Not started: " + FirstLine(reason); }

std::string StrengthText(const PassphraseStrength& strength) {
    return std::string("Passphrase: ") + (strength.weak ? "weak" : "strong") + ", guessed in " +
           DescribeGuessingTime(strength.seconds) + " by one graphics card.";
}

}  // namespace arkseal

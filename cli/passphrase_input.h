// Getting the passphrase: asked twice on the terminal with echo off, or read
// from a file descriptor or a file (the first line, without its newline).
// The text lives only in a Passphrase, on secret pages, which it wipes. A
// passphrase may hold any byte but NUL: the job takes it NUL-terminated, so
// one would cut it short without a word.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace arkseal {

// The longest passphrase, in bytes: what the desktop program's fields take,
// so that every file made here can also be opened there.
inline constexpr std::size_t kMaxPassphrase = 256;

class Passphrase {
public:
    Passphrase();
    ~Passphrase();
    Passphrase(const Passphrase&) = delete;
    Passphrase& operator=(const Passphrase&) = delete;

    std::string_view View() const { return {text_, length_}; }
    // Appends a byte; false (and nothing kept) once the text is too long.
    bool Append(char c);
    bool operator==(const Passphrase& other) const { return View() == other.View(); }
    void Clear();

private:
    char* const text_;  // kMaxPassphrase bytes
    std::size_t length_ = 0;
};

enum class PassphraseResult { kRead, kRefused, kInterrupted };

// Reads the first line of fd up to, not including, its newline, one byte at
// a time so that nothing after it is consumed. An input without a single
// byte is refused: a script's empty or missing secret must not silently
// become the empty passphrase (an empty line gives it on purpose). So is a
// line with a NUL byte, and a line longer than kMaxPassphrase, as soon as
// its byte beyond the limit is read (an endless input ends there).
PassphraseResult ReadPassphraseFromFd(int fd, const std::string& source, Passphrase* passphrase, std::string* error);
PassphraseResult ReadPassphraseFromFile(const std::string& path, Passphrase* passphrase, std::string* error);

// Asks on the controlling terminal, echo off: "Passphrase: " and, with
// confirm, then "Re-enter passphrase: "; the two must match exactly.
PassphraseResult PromptPassphrase(Passphrase* passphrase, std::string* error, bool confirm);

}  // namespace arkseal

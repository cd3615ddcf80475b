// File names as a terminal shows them: bare when harmless, else quoted as
// ls --quoting-style=shell-escape does, every control character escaped.
#include <arkseal/cli/shell_quoted.h>

#include <gtest/gtest.h>

namespace arkseal {
namespace {

TEST(ShellQuotedTest, QuotesWhatATerminalOrAShellWouldTakeForSomethingElse) {
    const std::pair<std::string, std::string> cases[] = {
        {"report.pdf", "report.pdf"},
        {"/home/ann/2026-12_notes+v2.txt", "/home/ann/2026-12_notes+v2.txt"},
        {"", "''"},
        {"my file", "'my file'"},
        {"it's", "'it'\\''s'"},
        {"$HOME;rm *", "'$HOME;rm *'"},
        {"caf\xc3\xa9.txt", "'caf\xc3\xa9.txt'"},  // printable UTF-8 stays
        {"a\nb", "'a'$'\\n''b'"},
        {"\x1b]0;owned\x07", "$'\\033'']0;owned'$'\\a'"},
        {"tab\there", "'tab'$'\\t''here'"},
        {"x\xc2\x9b"
         "2J",
         "'x'$'\\302'$'\\233''2J'"},       // C1 control (CSI) in UTF-8
        {"bad\xff", "'bad'$'\\377'"},      // not UTF-8
        {"\xe2\x80", "$'\\342'$'\\200'"},  // cut short
    };
    for (const auto& [name, shown] : cases) EXPECT_EQ(ShellQuoted(name), shown) << name;
}

}  // namespace
}  // namespace arkseal

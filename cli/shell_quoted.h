// File names as a terminal may safely show them. A name is the user's or a
// stranger's bytes: a newline would split the message, an escape sequence
// could set the terminal's title or clear its screen. Names are written as
// `ls --quoting-style=shell-escape` writes them, so that what is shown can
// also be pasted back into a shell.
#pragma once

#include <string>
#include <string_view>

namespace arkseal {

// The name bare when it holds only characters a shell and a terminal take as
// they are ("report.pdf"); else in single quotes ('my file'), with each
// control character, each byte that is not part of valid UTF-8 and each C1
// control (U+0080 to U+009F) as an octal escape: 'a'$'\n''b'.
std::string ShellQuoted(std::string_view name);

}  // namespace arkseal

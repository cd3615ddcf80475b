// Reading the source tree as a reviewer would: which C++ files it holds,
// what each one's code says once comments and literals are set aside, and
// which files of the tree it includes.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace arkseal::layout {

// The C++ sources and headers under root, as paths relative to it in '/'
// form, sorted. Hidden folders and build trees (folders holding a
// CMakeCache.txt) are left out.
std::vector<std::string> SourceFiles(const std::filesystem::path& root);
// The CMakeLists.txt files under root, chosen and given the same way.
std::vector<std::string> BuildFiles(const std::filesystem::path& root);

// The text with every comment and every string or character literal
// replaced by spaces; line breaks stay, so line numbers still hold.
std::string CodeOnly(const std::string& text);

struct Include {
    int line;
    bool angled;         // <...> rather than "..."
    std::string target;  // as written between the delimiters
};

// The #include lines of code (comments already set aside by CodeOnly keep
// their line count; literals are read from the original text).
std::vector<Include> IncludesOf(const std::string& text);

std::string ReadFile(const std::filesystem::path& path);

}  // namespace arkseal::layout

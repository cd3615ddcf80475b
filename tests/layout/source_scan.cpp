#include <arkseal/tests/layout/source_scan.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>

namespace arkseal::layout {

namespace fs = std::filesystem;

namespace {

bool IsSourceFile(const fs::path& path) {
    const std::string extension = path.extension().string();
    return extension == ".h" || extension == ".hpp" || extension == ".cpp" || extension == ".cc";
}

bool IsBuildFile(const fs::path& path) { return path.filename() == "CMakeLists.txt"; }

bool IsSkippedFolder(const fs::path& folder) {
    return folder.filename().string().starts_with('.') || fs::exists(folder / "CMakeCache.txt");
}

bool IsIdentifierChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// Blanks text[from, to) except line breaks.
void Blank(std::string& text, std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to && i < text.size(); ++i) {
        if (text[i] != '\n') text[i] = ' ';
    }
}

// The end of the quoted literal opening at `open` (one past its closing
// quote), escapes honoured; the text's end when it is not closed.
std::size_t QuotedEnd(const std::string& text, std::size_t open) {
    const char quote = text[open];
    for (std::size_t i = open + 1; i < text.size(); ++i) {
        if (text[i] == '\\') {
            ++i;
        } else if (text[i] == quote || text[i] == '\n') {
            return i + 1;
        }
    }
    return text.size();
}

// R"delimiter( ... )delimiter": the end of the raw literal whose quote is at `open`.
std::size_t RawEnd(const std::string& text, std::size_t open) {
    const std::size_t paren = text.find('(', open);
    if (paren == std::string::npos) return text.size();
    const std::string closing = ")" + text.substr(open + 1, paren - open - 1) + "\"";
    const std::size_t end = text.find(closing, paren);
    return end == std::string::npos ? text.size() : end + closing.size();
}

// The files under root that `wanted` picks, relative to it in '/' form, sorted.
std::vector<std::string> TreeFiles(const fs::path& root, bool (*wanted)(const fs::path&)) {
    std::vector<std::string> files;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        if (it->is_directory()) {
            if (IsSkippedFolder(it->path())) it.disable_recursion_pending();
            continue;
        }
        if (it->is_regular_file() && wanted(it->path())) {
            files.push_back(fs::relative(it->path(), root).generic_string());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace

std::vector<std::string> SourceFiles(const fs::path& root) { return TreeFiles(root, IsSourceFile); }

std::vector<std::string> BuildFiles(const fs::path& root) { return TreeFiles(root, IsBuildFile); }

std::string CodeOnly(const std::string& text) {
    std::string code = text;
    std::size_t i = 0;
    bool inNumber = false;  // a digit separator (1'000) is no character literal
    while (i < code.size()) {
        const char c = code[i];
        const char next = i + 1 < code.size() ? code[i + 1] : '\0';
        const char previous = i > 0 ? code[i - 1] : '\0';
        if (c == '/' && next == '/') {
            const std::size_t end = code.find('\n', i);
            Blank(code, i, end);
            i = end == std::string::npos ? code.size() : end;
        } else if (c == '/' && next == '*') {
            const std::size_t end = code.find("*/", i + 2);
            const std::size_t stop = end == std::string::npos ? code.size() : end + 2;
            Blank(code, i, stop);
            i = stop;
        } else if (c == '"' && previous == 'R') {
            const std::size_t end = RawEnd(code, i);
            Blank(code, i, end);
            i = end;
        } else if (c == '"' || (c == '\'' && !inNumber)) {
            const std::size_t end = QuotedEnd(code, i);
            Blank(code, i, end);
            i = end;
        } else {
            if (!IsIdentifierChar(c) && c != '\'' && c != '.') {
                inNumber = false;
            } else if (std::isdigit(static_cast<unsigned char>(c)) && !IsIdentifierChar(previous)) {
                inNumber = true;
            }
            ++i;
        }
    }
    return code;
}

std::vector<Include> IncludesOf(const std::string& text) {
    static const std::regex directive(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
    const std::string code = CodeOnly(text);
    std::vector<Include> includes;
    std::istringstream originalLines(text);
    std::istringstream codeLines(code);
    std::string original;
    std::string line;
    int number = 0;
    while (std::getline(originalLines, original) && std::getline(codeLines, line)) {
        ++number;
        // A directive in a comment is blank in the code; the target itself
        // is a literal, so it is read from the original line.
        if (line.find('#') == std::string::npos) continue;
        std::smatch match;
        if (std::regex_search(original, match, directive)) {
            includes.push_back({number, match[1] == "<", match[2]});
        }
    }
    return includes;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace arkseal::layout

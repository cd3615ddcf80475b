#include <arkseal/tests/layout/layout_rules.h>

#include <algorithm>
#include <functional>
#include <regex>
#include <sstream>
#include <string_view>

#include <arkseal/tests/layout/source_scan.h>

namespace arkseal::layout {

namespace fs = std::filesystem;

namespace {

std::string Finding(const std::string& path, int line, const std::string& what) {
    return path + ":" + std::to_string(line) + ": " + what;
}

constexpr std::string_view kIncludeRoot = "arkseal/";

// The file of the tree an include of `file` names, relative to root; empty
// when it names none.
std::string TreeFileNamed(const fs::path& root, const std::string& file, const Include& include) {
    if (include.angled) {
        if (!include.target.starts_with(kIncludeRoot)) return "";
        const std::string target = include.target.substr(kIncludeRoot.size());
        return fs::is_regular_file(root / target) ? target : "";
    }
    const std::string beside = (fs::path(file).parent_path() / include.target).lexically_normal().generic_string();
    if (fs::is_regular_file(root / beside)) return beside;
    return fs::is_regular_file(root / include.target) ? include.target : "";
}

// The tree's files that a file includes, with their lines: <arkseal/x/y.h>
// names root/x/y.h; a quoted include names a file of the includer's own
// folder or, failing that, one from the root.
std::vector<std::pair<int, std::string>> TreeIncludes(const fs::path& root, const std::string& file) {
    std::vector<std::pair<int, std::string>> found;
    for (const Include& include : IncludesOf(ReadFile(root / file))) {
        if (const std::string target = TreeFileNamed(root, file, include); !target.empty())
            found.emplace_back(include.line, target);
    }
    return found;
}

// Everything a layer may include: itself and the layers it reaches.
std::set<std::string> Reachable(const Layering& layering, const std::string& layer) {
    std::set<std::string> reached{layer};
    std::vector<std::string> pending{layer};
    while (!pending.empty()) {
        const std::string current = pending.back();
        pending.pop_back();
        auto edges = layering.dependsOn.find(current);
        if (edges == layering.dependsOn.end()) continue;
        for (const std::string& next : edges->second) {
            if (reached.insert(next).second) pending.push_back(next);
        }
    }
    return reached;
}

// Depth-first search for circles; each circle found is reported once, as
// the path that closes it.
class CircleFinder {
public:
    explicit CircleFinder(const std::map<std::string, std::set<std::string>>& edges) : edges_(edges) {}

    std::vector<std::string> Circles() {
        for (const auto& [node, ignored] : edges_) Visit(node);
        return circles_;
    }

private:
    void Visit(const std::string& node) {
        if (done_.count(node)) return;
        const auto open = std::find(path_.begin(), path_.end(), node);
        if (open != path_.end()) {
            std::string circle;
            for (auto it = open; it != path_.end(); ++it) circle += *it + " -> ";
            circles_.push_back(circle + node);
            return;
        }
        path_.push_back(node);
        auto edges = edges_.find(node);
        if (edges != edges_.end()) {
            for (const std::string& next : edges->second) Visit(next);
        }
        path_.pop_back();
        done_.insert(node);
    }

    const std::map<std::string, std::set<std::string>>& edges_;
    std::vector<std::string> path_;
    std::set<std::string> done_;
    std::vector<std::string> circles_;
};

// The CMake text with its comments blanked (line breaks stay).
std::string CMakeCodeOnly(std::string text) {
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '"') quoted = !quoted;
        if (text[i] == '#' && !quoted) {
            while (i < text.size() && text[i] != '\n') text[i++] = ' ';
        }
    }
    return text;
}

int LineAt(const std::string& text, std::size_t offset) {
    return 1 + static_cast<int>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(offset), '\n'));
}

// What a build file links: the arguments of its target_link_libraries calls
// and the targets whose objects it takes, each with its line.
std::vector<std::pair<int, std::string>> LinkedNames(const std::string& code) {
    static const std::regex call(R"(target_link_libraries\s*\(([^)]*)\)|\$<TARGET_OBJECTS:([^>]+)>)");
    static const std::regex name(R"([A-Za-z_][\w:]*)");
    std::vector<std::pair<int, std::string>> found;
    for (auto it = std::sregex_iterator(code.begin(), code.end(), call); it != std::sregex_iterator(); ++it) {
        const int group = (*it)[1].matched ? 1 : 2;
        const std::string arguments = (*it)[group].str();
        const std::size_t start = static_cast<std::size_t>(it->position(group));
        for (auto n = std::sregex_iterator(arguments.begin(), arguments.end(), name); n != std::sregex_iterator();
             ++n) {
            found.emplace_back(LineAt(code, start + static_cast<std::size_t>(n->position())), n->str());
        }
    }
    return found;
}

// Each arkseal_* library or object target and the layer whose build file adds it.
std::map<std::string, std::string> LibraryLayers(const fs::path& root, const std::vector<std::string>& buildFiles) {
    static const std::regex added(R"(add_library\s*\(\s*(arkseal_\w+))");
    std::map<std::string, std::string> layers;
    for (const std::string& file : buildFiles) {
        const std::string code = CMakeCodeOnly(ReadFile(root / file));
        for (auto it = std::sregex_iterator(code.begin(), code.end(), added); it != std::sregex_iterator(); ++it) {
            layers[(*it)[1].str()] = LayerOf(file);
        }
    }
    return layers;
}

}  // namespace

std::string LayerOf(const std::string& path) {
    const std::size_t first = path.find('/');
    if (first == std::string::npos) return "";
    const std::string top = path.substr(0, first);
    const std::size_t second = path.find('/', first + 1);
    if (top == "ui" && second != std::string::npos) return path.substr(0, second);
    return top;
}

std::vector<std::string> QtOutside(const fs::path& root, const std::set<std::string>& allowedLayers,
                                   const std::set<std::string>& allowedFiles) {
    // Qt's classes, namespace and macros, and its common global functions and
    // types (a bare q[A-Z] would also catch a division's qHat).
    static const std::regex qtName(
        R"(\b(Q[A-Z]\w+|Qt::|Q_[A-Z]\w*|q(Debug|Info|Warning|Critical|Fatal|App|RegisterMetaType)|qEnvironmentVariable\w*|)"
        R"(qobject_cast|qsizetype|q[gs]etenv|qputenv|qreal|qu?int\d+)\b)");
    std::vector<std::string> findings;
    for (const std::string& file : SourceFiles(root)) {
        if (allowedLayers.count(LayerOf(file)) || allowedFiles.count(file)) continue;
        const std::string text = ReadFile(root / file);
        std::set<int> qtIncludeLines;
        for (const Include& include : IncludesOf(text)) {
            if (include.angled && include.target.starts_with('Q')) {
                findings.push_back(Finding(file, include.line, "includes the Qt header <" + include.target + ">"));
                qtIncludeLines.insert(include.line);
            }
        }
        std::istringstream lines(CodeOnly(text));
        std::string line;
        for (int number = 1; std::getline(lines, line); ++number) {
            std::smatch match;
            if (!qtIncludeLines.count(number) && std::regex_search(line, match, qtName)) {
                findings.push_back(Finding(file, number, "names " + match[1].str()));
            }
        }
    }
    return findings;
}

std::vector<std::string> IncludesAgainst(const fs::path& root, const Layering& layering) {
    std::vector<std::string> findings;
    for (const std::string& circle : CircleFinder(layering.dependsOn).Circles()) {
        findings.push_back("the dependency graph has a circle: " + circle);
    }
    for (const std::string& file : SourceFiles(root)) {
        const std::string layer = LayerOf(file);
        if (layering.above.count(layer)) continue;
        if (!layering.dependsOn.count(layer)) {
            findings.push_back(Finding(file, 1,
                                       "lies in " + (layer.empty() ? "the top folder" : layer + "/") +
                                           ", which is no layer of the dependency graph"));
            continue;
        }
        const std::set<std::string> allowed = Reachable(layering, layer);
        for (const auto& [line, target] : TreeIncludes(root, file)) {
            if (!allowed.count(LayerOf(target))) {
                findings.push_back(Finding(file, line, layer + " includes " + target + ", which it does not build on"));
            }
        }
    }
    return findings;
}

std::vector<std::string> LinksAgainst(const fs::path& root, const Layering& layering,
                                      const std::set<std::string>& qtLayers) {
    std::vector<std::string> buildFiles;
    for (const std::string& file : BuildFiles(root)) {
        if (layering.dependsOn.count(LayerOf(file))) buildFiles.push_back(file);
    }
    const std::map<std::string, std::string> libraryLayers = LibraryLayers(root, buildFiles);
    std::vector<std::string> findings;
    for (const std::string& file : buildFiles) {
        const std::string layer = LayerOf(file);
        const std::set<std::string> allowed = Reachable(layering, layer);
        for (const auto& [line, name] : LinkedNames(CMakeCodeOnly(ReadFile(root / file)))) {
            if (name.starts_with("Qt6::") && !qtLayers.count(layer)) {
                findings.push_back(Finding(file, line, layer + " links " + name + ", a Qt library"));
            }
            if (!name.starts_with("arkseal_")) continue;
            const auto library = libraryLayers.find(name);
            if (library == libraryLayers.end()) {
                findings.push_back(Finding(file, line, layer + " links " + name + ", which no layer adds"));
            } else if (!allowed.count(library->second)) {
                findings.push_back(Finding(
                    file, line, layer + " links " + name + " of " + library->second + ", which it does not build on"));
            }
        }
    }
    return findings;
}

std::vector<std::string> IncludeCircles(const fs::path& root) {
    std::map<std::string, std::set<std::string>> edges;
    for (const std::string& file : SourceFiles(root)) {
        for (const auto& [line, target] : TreeIncludes(root, file)) edges[file].insert(target);
    }
    std::vector<std::string> findings;
    for (const std::string& circle : CircleFinder(edges).Circles()) findings.push_back("include circle: " + circle);
    return findings;
}

std::vector<std::string> IncludeStyle(const fs::path& root, const std::set<std::string>& ownFileLayers) {
    std::vector<std::string> findings;
    for (const std::string& file : SourceFiles(root)) {
        const std::string folder = fs::path(file).parent_path().generic_string();
        for (const Include& include : IncludesOf(ReadFile(root / file))) {
            const std::string target = TreeFileNamed(root, file, include);
            if (include.angled && include.target.starts_with(kIncludeRoot) && target.empty()) {
                findings.push_back(Finding(file, include.line, "includes <" + include.target + ">, no file of the tree"));
            } else if (!include.angled && !target.empty() &&
                       !(ownFileLayers.count(LayerOf(file)) && fs::path(target).parent_path() == folder)) {
                findings.push_back(Finding(file, include.line,
                                           "includes \"" + include.target + "\"; the tree's files are included as <" +
                                               std::string(kIncludeRoot) + target + ">"));
            }
        }
    }
    return findings;
}

std::vector<std::string> SubfoldersAgainst(const fs::path& root, const std::string& folder,
                                           const std::vector<std::string>& order) {
    // The subfolder a path of the folder lies in, or "" for none of the order.
    auto subfolderOf = [&](const std::string& path) -> std::string {
        const std::string rest = path.substr(folder.size() + 1);
        const std::size_t slash = rest.find('/');
        if (slash == std::string::npos) return "";
        const std::string sub = rest.substr(0, slash);
        return std::find(order.begin(), order.end(), sub) != order.end() ? sub : "";
    };
    auto rank = [&](const std::string& sub) { return std::find(order.begin(), order.end(), sub) - order.begin(); };
    std::vector<std::string> findings;
    for (const std::string& file : SourceFiles(root)) {
        if (!file.starts_with(folder + "/")) continue;
        const std::string sub = subfolderOf(file);
        if (sub.empty()) {
            findings.push_back(Finding(file, 1, "lies in none of " + folder + "/'s subfolders"));
            continue;
        }
        for (const auto& [line, target] : TreeIncludes(root, file)) {
            if (!target.starts_with(folder + "/")) continue;
            const std::string targetSub = subfolderOf(target);
            if (!targetSub.empty() && rank(targetSub) > rank(sub)) {
                findings.push_back(
                    Finding(file, line, folder + "/" + sub + " includes " + target + ", which lies above it"));
            }
        }
    }
    return findings;
}

}  // namespace arkseal::layout

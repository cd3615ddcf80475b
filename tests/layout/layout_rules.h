// The tree's layout rules, checked over the source files:
// - only the Qt side of the dialog layer (and the tests allowed by name)
//   includes a Qt header or names a Qt type;
// - an include runs only from a layer to itself or to a layer below it in
//   the dependency graph, and the graph has no circle;
// - a library links only libraries of its own layer or of layers below it,
//   and only the Qt side links Qt;
// - no header includes itself through other headers;
// - the tree's files are included by one name, <arkseal/folder/file.h>;
// - inside a folder split into ordered subfolders (bignum/), includes run
//   only from a subfolder to itself or to one before it.
// Each check returns its findings, "path:line: what", empty when the tree
// keeps the rule.
#pragma once

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace arkseal::layout {

// A layer is a top-level folder, or for the dialog layer ui/core and ui/qt.
std::string LayerOf(const std::string& path);

struct Layering {
    // Each library layer and the layers it may include directly; it may
    // also include whatever those may include.
    std::map<std::string, std::set<std::string>> dependsOn;
    // Layers that sit above every library (tests, benchmarks): they may
    // include anything, and nothing may include them.
    std::set<std::string> above;
};

// Qt headers and Qt names (QWidget, Qt::, Q_OBJECT, qobject_cast) outside the allowed
// layers and files. Comments and string literals do not count.
std::vector<std::string> QtOutside(const std::filesystem::path& root, const std::set<std::string>& allowedLayers,
                                   const std::set<std::string>& allowedFiles);

// Circles in the graph itself, files in folders of no layer, and includes
// of tree files against the graph.
std::vector<std::string> IncludesAgainst(const std::filesystem::path& root, const Layering& layering);

// Links in the layers' CMakeLists.txt files against the graph: a library
// target (arkseal_*) of a layer it does not build on, a Qt library (Qt6::*)
// outside qtLayers, or an arkseal_* target that no layer defines.
std::vector<std::string> LinksAgainst(const std::filesystem::path& root, const Layering& layering,
                                      const std::set<std::string>& qtLayers);

// Circles of includes between the tree's files.
std::vector<std::string> IncludeCircles(const std::filesystem::path& root);

// Includes of the tree's files written otherwise than <arkseal/path/from/the/root.h>:
// in quotes (except a file of ownFileLayers naming a file of its own folder,
// as a program outside the tree names its own files), or angled under
// arkseal/ but naming no file of the tree.
std::vector<std::string> IncludeStyle(const std::filesystem::path& root, const std::set<std::string>& ownFileLayers);

// Files of `folder` in none of the subfolders of `order` (lowest first), and
// includes from one of its subfolders to one later in the order.
std::vector<std::string> SubfoldersAgainst(const std::filesystem::path& root, const std::string& folder,
                                           const std::vector<std::string>& order);

}  // namespace arkseal::layout

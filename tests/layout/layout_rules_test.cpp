// The tree keeps its layout rules (only ui/qt/ sees Qt; includes run down
// the dependency graph and down bignum's subfolders; no include circles; one
// include style), and the checks find each kind of breach in a small planted
// tree.
#include <arkseal/tests/layout/layout_rules.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <arkseal/tests/job/temp_files.h>

namespace arkseal::layout {
namespace {

namespace fs = std::filesystem;

// The dependency graph as README and the design draw it. Each layer lists
// the layers it builds on directly; it may include what those build on.
const Layering kTreeLayering{
    .dependsOn =
        {
            {"base", {}},
            {"bignum", {"base"}},
            {"crypto", {"bignum", "base"}},
            {"curve", {"crypto", "bignum"}},
            {"ui/core", {}},
            {"ui/qt", {"ui/core"}},
            {"guard", {"crypto"}},
            {"job", {"crypto", "ui/core"}},
            {"cli", {"job", "guard", "ui/core"}},
            {"app", {"job", "guard", "ui/qt", "bignum"}},
            // The examples build against the installed libraries only.
            {"examples", {"curve", "crypto", "bignum", "base"}},
        },
    .above = {"tests", "bench"},
};

// bignum/'s subfolders, lowest first: each may include those before it.
const std::vector<std::string> kBignumOrder{"kernels",    "products", "division",   "workspace", "arithmetic",
                                            "conversion", "field256", "montgomery", "primes"};

// The main dialog's tests drive the real widgets, so they alone outside
// ui/qt/ speak Qt; the dialog itself (app/) uses only the layer's names.
const std::set<std::string> kQtFiles{"tests/app/main_dialog_test.cpp", "tests/app/qt_test_environment.h",
                                     "tests/app/real_window_test.cpp"};

std::string Joined(const std::vector<std::string>& findings) {
    std::string text;
    for (const std::string& finding : findings) text += finding + "\n";
    return text;
}

TEST(TreeLayout, OnlyTheQtSideOfTheDialogLayerSeesQt) {
    const std::vector<std::string> findings = QtOutside(ARKSEAL_SOURCE_DIR, {"ui/qt"}, kQtFiles);
    EXPECT_TRUE(findings.empty()) << Joined(findings);
    for (const std::string& file : kQtFiles) EXPECT_TRUE(fs::exists(fs::path(ARKSEAL_SOURCE_DIR) / file)) << file;
}

TEST(TreeLayout, IncludesRunDownTheDependencyGraph) {
    const std::vector<std::string> findings = IncludesAgainst(ARKSEAL_SOURCE_DIR, kTreeLayering);
    EXPECT_TRUE(findings.empty()) << Joined(findings);
}

TEST(TreeLayout, LibrariesLinkDownTheDependencyGraph) {
    const std::vector<std::string> findings = LinksAgainst(ARKSEAL_SOURCE_DIR, kTreeLayering, {"ui/qt"});
    EXPECT_TRUE(findings.empty()) << Joined(findings);
}

TEST(TreeLayout, NoIncludeCircles) {
    const std::vector<std::string> findings = IncludeCircles(ARKSEAL_SOURCE_DIR);
    EXPECT_TRUE(findings.empty()) << Joined(findings);
}

TEST(TreeLayout, IncludesRunDownBignumsSubfolders) {
    const std::vector<std::string> findings = SubfoldersAgainst(ARKSEAL_SOURCE_DIR, "bignum", kBignumOrder);
    EXPECT_TRUE(findings.empty()) << Joined(findings);
}

TEST(TreeLayout, TheTreesFilesAreIncludedByOneName) {
    const std::vector<std::string> findings = IncludeStyle(ARKSEAL_SOURCE_DIR, {"examples"});
    EXPECT_TRUE(findings.empty()) << Joined(findings);
}

// A small tree of planted files.
class PlantedTree : public ::testing::Test {
protected:
    void Plant(const std::string& path, const std::string& text) {
        const fs::path file = fs::path(dir_.Path()) / path;
        fs::create_directories(file.parent_path());
        std::ofstream(file) << text;
    }
    fs::path Root() const { return dir_.Path(); }

private:
    test::TempDir dir_;
};

TEST_F(PlantedTree, QtHeadersAndNamesAreFoundOutsideTheQtSideOnly) {
    Plant("job/header.h", "#pragma once\n#include <QWidget>\n");
    Plant("cli/names.cpp", "int a;\nQString text;\n");
    Plant("job/flags.cpp", "\n\nauto align = Qt::AlignLeft;\n");
    Plant("job/macro.h", "class A {\n    Q_OBJECT\n};\n");
    Plant("cli/globals.cpp",
          "auto b = qobject_cast<B*>(a);\nquint64 n;\nqint8 m;\nint quintet, qHat;\nqDebug() << qHat;\n");
    Plant("app/separators.cpp", "int n = 1'000; char c = 'Q'; QObject* o;\n");
    Plant("job/prose.cpp", "// a QWidget in a comment\n/* QLabel */ const char* s = \"QWidget\";\n");
    Plant("ui/qt/dialog.cpp", "#include <QDialog>\nQDialog* d;\n");
    Plant("tests/app/allowed_test.cpp", "#include <QTest>\n");

    const std::vector<std::string> findings = QtOutside(Root(), {"ui/qt"}, {"tests/app/allowed_test.cpp"});
    const std::vector<std::string> expected{
        "app/separators.cpp:1: names QObject", "cli/globals.cpp:1: names qobject_cast",
        "cli/globals.cpp:2: names quint64",    "cli/globals.cpp:3: names qint8",
        "cli/globals.cpp:5: names qDebug",     "cli/names.cpp:2: names QString",
        "job/flags.cpp:3: names Qt::",         "job/header.h:2: includes the Qt header <QWidget>",
        "job/macro.h:2: names Q_OBJECT",
    };
    EXPECT_EQ(findings, expected);
}

TEST_F(PlantedTree, IncludesAgainstTheGraphAreFound) {
    Plant("bignum/low.h", "#pragma once\n/* #include <arkseal/curve/high.h> */\n#include <arkseal/curve/high.h>\n");
    Plant("curve/high.h", "#pragma once\n#include <arkseal/bignum/low.h>\n#include <vector>\n");
    Plant("crypto/cipher.h", "#pragma once\n");
    Plant("job/worker.cpp", "#include \"tests/helper.h\"\n#include <arkseal/crypto/cipher.h>\n");
    Plant("cli/main.cpp", "#include <arkseal/crypto/cipher.h>\n#include <arkseal/ui/core/window.h>\n");
    Plant("ui/core/window.h", "#pragma once\n#include <arkseal/ui/qt/dialog.h>\n");
    Plant("ui/qt/dialog.h", "#pragma once\n#include <arkseal/ui/core/window.h>\n");
    Plant("tests/helper.h", "#pragma once\n#include <arkseal/cli/main.cpp>\n");
    Plant("stray/file.cpp", "int x;\n");

    const std::vector<std::string> findings = IncludesAgainst(Root(), kTreeLayering);
    const std::vector<std::string> expected{
        "bignum/low.h:3: bignum includes curve/high.h, which it does not build on",
        "job/worker.cpp:1: job includes tests/helper.h, which it does not build on",
        "stray/file.cpp:1: lies in stray/, which is no layer of the dependency graph",
        "ui/core/window.h:2: ui/core includes ui/qt/dialog.h, which it does not build on",
    };
    EXPECT_EQ(findings, expected);
}

TEST_F(PlantedTree, SubfolderIncludesAgainstTheOrderAreFound) {
    Plant("bignum/kernels/loops.h", "#pragma once\n#include <arkseal/bignum/products/product.h>\n");
    Plant("bignum/products/product.h", "#pragma once\n#include <arkseal/bignum/kernels/loops.h>\n");
    Plant("bignum/products/product.cpp",
          "#include <arkseal/bignum/products/product.h>\n\n#include <arkseal/bignum/primes/primes.h>\n");
    Plant("bignum/primes/primes.h", "#pragma once\n#include <arkseal/bignum/kernels/loops.h>\n");
    Plant("bignum/flat.cpp", "#include <arkseal/bignum/kernels/loops.h>\n");
    Plant("bignum/unlisted/odd.h", "#pragma once\n");
    Plant("crypto/user.cpp", "#include <arkseal/bignum/primes/primes.h>\n");

    const std::vector<std::string> findings = SubfoldersAgainst(Root(), "bignum", {"kernels", "products", "primes"});
    const std::vector<std::string> expected{
        "bignum/flat.cpp:1: lies in none of bignum/'s subfolders",
        "bignum/kernels/loops.h:2: bignum/kernels includes bignum/products/product.h, which lies above it",
        "bignum/products/product.cpp:3: bignum/products includes bignum/primes/primes.h, which lies above it",
        "bignum/unlisted/odd.h:1: lies in none of bignum/'s subfolders",
    };
    EXPECT_EQ(findings, expected);
}

TEST_F(PlantedTree, IncludesOutsideTheOneStyleAreFound) {
    Plant("crypto/aes.h", "#pragma once\n");
    Plant("crypto/aes.cpp", "#include \"crypto/aes.h\"\n#include \"aes.h\"\n#include <arkseal/crypto/aes.h>\n");
    Plant("job/run.cpp", "#include <arkseal/crypto/gone.h>\n#include \"zxcvbn.h\"\n#include <vector>\n");
    Plant("examples/demo/framing.h", "#pragma once\n");
    Plant("examples/demo/main.cpp", "#include \"framing.h\"\n#include \"crypto/aes.h\"\n");

    const std::vector<std::string> findings = IncludeStyle(Root(), {"examples"});
    const std::vector<std::string> expected{
        "crypto/aes.cpp:1: includes \"crypto/aes.h\"; the tree's files are included as <arkseal/crypto/aes.h>",
        "crypto/aes.cpp:2: includes \"aes.h\"; the tree's files are included as <arkseal/crypto/aes.h>",
        "examples/demo/main.cpp:2: includes \"crypto/aes.h\"; the tree's files are included as <arkseal/crypto/aes.h>",
        "job/run.cpp:1: includes <arkseal/crypto/gone.h>, no file of the tree",
    };
    EXPECT_EQ(findings, expected);
}

TEST_F(PlantedTree, LinksAgainstTheGraphAreFound) {
    Plant("bignum/CMakeLists.txt",
          "add_library(arkseal_bignum STATIC a.cpp)\n"
          "# target_link_libraries(arkseal_bignum PUBLIC arkseal_job)\n"
          "target_link_libraries(arkseal_bignum\n    PUBLIC arkseal_crypto)\n");
    Plant("crypto/CMakeLists.txt",
          "add_library(arkseal_crypto STATIC b.cpp)\n"
          "target_link_libraries(arkseal_crypto PUBLIC arkseal_bignum)\n");
    Plant("job/CMakeLists.txt",
          "add_library(arkseal_job STATIC c.cpp)\n"
          "target_link_libraries(arkseal_job PUBLIC arkseal_crypto Qt6::Core arkseal_missing)\n");
    Plant("ui/qt/CMakeLists.txt",
          "add_library(arkseal_ui_qt STATIC d.cpp)\nadd_library(arkseal_ui_main OBJECT e.cpp)\n"
          "target_link_libraries(arkseal_ui_qt PUBLIC Qt6::Widgets)\n");
    Plant("app/CMakeLists.txt",
          "add_executable(arkseal $<TARGET_OBJECTS:arkseal_ui_main>)\n"
          "add_executable(other $<TARGET_OBJECTS:arkseal_cli>)\n");
    Plant("cli/CMakeLists.txt",
          "add_library(arkseal_cli STATIC m.cpp)\ntarget_link_libraries(arkseal_cli PRIVATE arkseal_ui_qt)\n");
    Plant("tests/CMakeLists.txt", "target_link_libraries(any arkseal_ui_qt Qt6::Test)\n");

    const std::vector<std::string> findings = LinksAgainst(Root(), kTreeLayering, {"ui/qt"});
    const std::vector<std::string> expected{
        "app/CMakeLists.txt:2: app links arkseal_cli of cli, which it does not build on",
        "bignum/CMakeLists.txt:4: bignum links arkseal_crypto of crypto, which it does not build on",
        "cli/CMakeLists.txt:2: cli links arkseal_ui_qt of ui/qt, which it does not build on",
        "job/CMakeLists.txt:2: job links Qt6::Core, a Qt library",
        "job/CMakeLists.txt:2: job links arkseal_missing, which no layer adds",
    };
    EXPECT_EQ(findings, expected);
}

TEST_F(PlantedTree, CirclesAreFoundInTheGraphAndBetweenFiles) {
    Layering circular = kTreeLayering;
    circular.dependsOn["bignum"] = {"crypto"};
    EXPECT_EQ(IncludesAgainst(Root(), circular),
              std::vector<std::string>{"the dependency graph has a circle: bignum -> crypto -> bignum"});

    Plant("job/a.h", "#pragma once\n#include <arkseal/job/b.h>\n");
    Plant("job/b.h", "#pragma once\n#include <arkseal/job/c.h>\n");
    Plant("job/c.h", "#pragma once\n#include <arkseal/job/a.h>\n");
    Plant("job/d.cpp", "#include <arkseal/job/a.h>\n#include <arkseal/job/c.h>\n");
    EXPECT_EQ(IncludeCircles(Root()),
              std::vector<std::string>{"include circle: job/a.h -> job/b.h -> job/c.h -> job/a.h"});
}

}  // namespace
}  // namespace arkseal::layout

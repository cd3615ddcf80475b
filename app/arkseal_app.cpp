#include <arkseal/app/arkseal_app.h>

#include <cstdio>

#include <arkseal/app/arkseal_dlg.h>
#include <arkseal/app/resources.h>

namespace arkseal {

namespace {

constexpr int kExitUsage = 64;  // EX_USAGE

constexpr const char* kUsage =
    "Usage: arkseal [FILE]\n"
    "Open the Arkseal window, which encrypts or decrypts one file in place with a\n"
    "passphrase; with FILE, its name is already in the window's Filename field.\n"
    "\n"
    "  -h, --help     show this help and exit\n"
    "      --version  show the version and exit\n"
    "\n"
    "arkseal-cli does the same from a terminal. See arkseal(1).\n";

int Refuse(const std::string& what) {
    std::fprintf(stderr, "arkseal: %s\nTry 'arkseal --help'.\n", what.c_str());
    return kExitUsage;
}

}  // namespace

CArksealApp::CArksealApp() : Application(kArksealResources) {}

bool CArksealApp::ParseCommandLine(const std::vector<std::string>& arguments, int* exitCode) {
    bool options = true;
    std::vector<std::string> files;
    for (const std::string& argument : arguments) {
        if (options && argument == "--") {
            options = false;
        } else if (options && (argument == "-h" || argument == "--help")) {
            std::fputs(kUsage, stdout);
            *exitCode = 0;
            return false;
        } else if (options && argument == "--version") {
            std::printf("arkseal %s\n", ARKSEAL_VERSION);
            *exitCode = 0;
            return false;
        } else if (options && argument.size() > 1 && argument[0] == '-') {
            *exitCode = Refuse("unknown option " + argument);
            return false;
        } else {
            files.push_back(argument);
        }
    }
    if (files.size() > 1) {
        *exitCode = Refuse("one file at a time");
        return false;
    }
    if (!files.empty()) fileName_ = files.front();
    return true;
}

bool CArksealApp::InitInstance() {
    CArksealDlg dlg;
    dlg.SetFileName(fileName_);
    m_pMainWnd = &dlg;
    dlg.DoModal();
    return false;
}

}  // namespace arkseal

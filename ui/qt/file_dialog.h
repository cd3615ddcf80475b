// The open-file (and save-file) dialog.
//
// Like message boxes, file dialogs go through one replaceable presenter,
// so that a test can answer them.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include <arkseal/ui/core/window.h>

namespace arkseal {

inline constexpr unsigned OFN_HIDEREADONLY = 0x0004;
inline constexpr unsigned OFN_FILEMUSTEXIST = 0x1000;

struct FileDialogRequest {
    bool open;  // open (true) or save (false)
    std::string defaultExtension;
    std::string fileName;  // initial name; may be a pattern such as "*.*"
    unsigned flags;        // OFN_ bits
    std::string filter;    // "Description|pattern|...|" pairs, ended by "|"
    Window* parent;
    std::string initialDirectory;  // the folder shown first; empty: the working folder
};

// The chosen path (8-bit), or nothing when the user cancelled.
using FileDialogPresenter = std::function<std::optional<std::string>(const FileDialogRequest&)>;

// Installs a presenter and returns the previous one; an empty one restores
// the default.
FileDialogPresenter SetFileDialogPresenter(FileDialogPresenter presenter);

class FileDialog {
public:
    FileDialog(bool open, const char* defaultExtension, const char* fileName, unsigned flags, const char* filter,
               Window* parent = nullptr);

    // The folder the dialog opens in (8-bit).
    void SetInitialDirectory(const std::string& folder) { request_.initialDirectory = folder; }
    // IDOK when a file was chosen, IDCANCEL otherwise.
    int DoModal();
    // The chosen file's full path; empty after a cancel.
    std::string GetPathName() const { return pathName_; }

private:
    FileDialogRequest request_;
    std::string pathName_;
};

}  // namespace arkseal

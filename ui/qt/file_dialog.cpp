#include <arkseal/ui/qt/file_dialog.h>

#include <QFile>
#include <QFileDialog>
#include <QStringList>
#include <mutex>

#include <arkseal/ui/core/application.h>
#include <arkseal/ui/qt/dialog.h>

namespace arkseal {

namespace {

std::mutex presenterLock;
FileDialogPresenter presenter;

// "All Files (*.*)|*.*||" -> "All Files (*)": Qt's "*" matches every name,
// "*.*" only names with a dot.
QStringList NameFilters(const std::string& filter) {
    const QStringList parts = QString::fromLocal8Bit(filter).split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty()) break;
        QString patterns = parts[i + 1];
        patterns.replace("*.*", "*").replace(';', ' ');
        QString description = parts[i];
        const qsizetype bracket = description.indexOf('(');
        if (bracket >= 0) description.truncate(bracket);
        filters << QStringLiteral("%1 (%2)").arg(description.trimmed(), patterns);
    }
    return filters;
}

std::optional<std::string> ShowFileDialog(const FileDialogRequest& request) {
    // Without a parent the dialog belongs to the main window.
    Window* parent = request.parent;
    if (parent == nullptr && CurrentApplication() != nullptr) parent = CurrentApplication()->m_pMainWnd;
    QFileDialog dialog(WidgetOf(parent));
    dialog.setObjectName("file_dialog");
    dialog.setAcceptMode(request.open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(request.open && (request.flags & OFN_FILEMUSTEXIST) ? QFileDialog::ExistingFile
                                                                           : QFileDialog::AnyFile);
    if (!request.defaultExtension.empty()) dialog.setDefaultSuffix(QString::fromLocal8Bit(request.defaultExtension));
    const QStringList filters = NameFilters(request.filter);
    if (!filters.isEmpty()) dialog.setNameFilters(filters);
    if (!request.initialDirectory.empty()) dialog.setDirectory(QFile::decodeName(request.initialDirectory.c_str()));
    const QString name = QString::fromLocal8Bit(request.fileName);
    if (!name.isEmpty() && !name.contains('*') && !name.contains('?')) dialog.selectFile(name);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return QFile::encodeName(dialog.selectedFiles().front()).toStdString();
}

}  // namespace

FileDialogPresenter SetFileDialogPresenter(FileDialogPresenter replacement) {
    std::lock_guard lock(presenterLock);
    return std::exchange(presenter, std::move(replacement));
}

FileDialog::FileDialog(bool open, const char* defaultExtension, const char* fileName, unsigned flags,
                       const char* filter, Window* parent)
    : request_{open,
               defaultExtension != nullptr ? defaultExtension : "",
               fileName != nullptr ? fileName : "",
               flags,
               filter != nullptr ? filter : "",
               parent,
               {}} {}

int FileDialog::DoModal() {
    FileDialogPresenter present;
    {
        std::lock_guard lock(presenterLock);
        present = presenter ? presenter : FileDialogPresenter(ShowFileDialog);
    }
    const std::optional<std::string> chosen = present(request_);
    pathName_ = chosen.value_or(std::string());
    return chosen ? IDOK : IDCANCEL;
}

}  // namespace arkseal

#include "app/arkseal_dlg.h"

#include <fcntl.h>
#include <unistd.h>

#include <ctime>
#include <optional>
#include <string>

#include "app/about_dlg.h"
#include "app/arkseal.h"
#include "app/resource_ids.h"
#include "crypto/wipe.h"
#include "job/file_claim.h"
#include "job/file_io.h"
#include "job/journal.h"
#include "job/transform_file_thread.h"
#include "ui/data_exchange.h"
#include "ui/dropped_files.h"
#include "ui/file_dialog.h"
#include "ui/message_box.h"

namespace arkseal {

namespace {

constexpr int kMaxText = 256;
constexpr unsigned kTimerId = 1;
constexpr unsigned kTimerPeriodMs = 100;

// The most bytes a field's 256 characters take in the locale's 8-bit
// encoding (UTF-8: 3 per character, 4 per surrogate pair of 2).
constexpr std::size_t kMaxTextBytes = 3 * kMaxText;

// Overwrites a passphrase's bytes before the string lets them go.
void WipeText(std::string& text) {
    SecureWipe(text.data(), text.size());
    text.clear();
}

// Why the file cannot take a job, or empty when it can: it must exist and
// open for update, be a regular file (not blocking on a FIFO) and have no
// other job on it. The descriptor, and so the lock, goes at once; the
// worker claims the file again.
std::string RefusalOfFile(const char* fileName) {
    const int fd = open(fileName, O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return CArksealDlg::kCannotOpen;
    const FileClaim claim = ClaimForJob(fd);
    close(fd);
    return claim.Refusal();
}

// "This file has an unfinished encryption, started 2026-12-10 14:02,
// stopped after 1048576 of 4194304 bytes (25%). Finish it now ...?"
std::string ResumeQuestion(const UnfinishedJob& job) {
    std::string text = std::string("This file has an unfinished ") + (job.encrypt ? "encryption" : "decryption");
    if (job.startedAt != 0) {
        const std::time_t started = static_cast<std::time_t>(job.startedAt);
        std::tm local{};
        char when[32];
        if (localtime_r(&started, &local) != nullptr &&
            std::strftime(when, sizeof when, "%Y-%m-%d %H:%M", &local) != 0) {
            text += std::string(", started ") + when;
        }
    }
    if (job.length > 0) {
        text += ", stopped after " + std::to_string(job.done) + " of " + std::to_string(job.length) + " bytes (" +
                std::to_string(job.done * 100 / job.length) + "%)";
    }
    return text +
           ". Finish it now with the typed passphrase? It must be the one the job was started with; a wrong one "
           "is refused and changes nothing.";
}

}  // namespace

// The passphrase strings never grow past their first buffer, so that no
// copy of a passphrase is left behind in memory they gave back.
CArksealDlg::CArksealDlg(Window* parent) : Dialog(IDD_MAIN, parent), m_hIcon(LoadIcon(IDR_MAINFRAME)) {
    m_passphrase.reserve(kMaxTextBytes);
    m_confirm.reserve(kMaxTextBytes);
}

CArksealDlg::~CArksealDlg() {
    WipeText(m_passphrase);
    WipeText(m_confirm);
}

const MessageMap* CArksealDlg::GetMessageMap() const {
    static const MessageMapEntry entries[] = {
        OnMessage<&CArksealDlg::OnSysCommand>(WM_SYSCOMMAND),    OnCommand<&CArksealDlg::OnBrowse>(IDC_BROWSE),
        OnCommand<&CArksealDlg::OnEncrypt>(IDC_ENCRYPT),         OnCommand<&CArksealDlg::OnDecrypt>(IDC_DECRYPT),
        OnMessage<&CArksealDlg::OnJobProgress>(WM_JOB_PROGRESS), OnMessage<&CArksealDlg::OnDropFiles>(WM_DROPFILES),
        OnMessage<&CArksealDlg::OnEndSession>(WM_ENDSESSION),
    };
    static const MessageMap map{Dialog::GetMessageMap(), entries};
    return &map;
}

void CArksealDlg::DoDataExchange(DataExchange& dx) {
    Dialog::DoDataExchange(dx);
    BindControl(dx, IDC_DECRYPT, m_btnDecrypt);
    BindControl(dx, IDC_ENCRYPT, m_btnEncrypt);
    BindControl(dx, IDC_PROGRESS, m_progress);
    ExchangeText(dx, IDC_FILENAME, m_fileName, kMaxText);
    ExchangeText(dx, IDC_PASSPHRASE, m_passphrase, kMaxText);
    ExchangeText(dx, IDC_PASSPHRASE2, m_confirm, kMaxText);
}

bool CArksealDlg::OnInitDialog() {
    Dialog::OnInitDialog();
    if (Menu* systemMenu = GetSystemMenu()) {
        const std::string about = LoadString(IDS_ABOUTBOX);
        if (!about.empty()) {
            systemMenu->AppendMenu(MF_SEPARATOR);
            systemMenu->AppendMenu(MF_STRING, IDM_ABOUTBOX, about);
        }
    }
    SetIcon(m_hIcon, true);
    SetIcon(m_hIcon, false);
    theJob.started = 0;
    SetTimer(kTimerId, kTimerPeriodMs);
    DragAcceptFiles(true);
    return true;
}

LRESULT CArksealDlg::OnSysCommand(WPARAM command, LPARAM lParam) {
    if ((command & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about;
        about.DoModal();
    } else {
        Dialog::OnSysCommand(command, lParam);
    }
    return 0;
}

// A cancelled file dialog leaves the file name as it was.
void CArksealDlg::OnBrowse() {
    FileDialog dialog(true, nullptr, "*.*", OFN_FILEMUSTEXIST | OFN_HIDEREADONLY, "All Files (*.*)|*.*||");
    UpdateData(true);
    if (dialog.DoModal() == IDOK) m_fileName = dialog.GetPathName();
    UpdateData(false);
}

LRESULT CArksealDlg::OnDropFiles(WPARAM files, LPARAM) {
    const DroppedFiles& dropped = DroppedFilesOf(files);
    if (dropped.paths.empty()) return 0;
    UpdateData(true);
    m_fileName = dropped.paths.front();
    UpdateData(false);
    return 0;
}

// The checks run in a fixed order: the texts' lengths, the file, then the
// passphrases. The previous worker has closed its file before it set done;
// its thread is waited for as well, so two workers never overlap.
void CArksealDlg::StartJob(int direction) {
    WaitForThread(m_worker);
    m_worker = 0;
    theJob.stopRequested = false;
    theJob.started = 0;
    theJob.done = 0;
    theJob.position = 0;
    UpdateData(true);
    if (!theJob.SetFileName(m_fileName)) {
        RefuseStart(kFileNameTooLong);
        return;
    }
    if (!theJob.SetPassphrase(m_passphrase)) {
        RefuseStart(m_passphrase.find('\0') != std::string::npos ? kPassphraseHasNul : kPassphraseTooLong);
        return;
    }
    if (const std::string refusal = RefusalOfFile(theJob.fileName); !refusal.empty()) {
        RefuseStart(refusal.c_str());
        return;
    }
    if (m_passphrase != m_confirm) {
        RefuseStart(kMismatch);
        return;
    }
    if (!ChooseResume()) {
        theJob.ClearPassphrase();
        return;
    }
    m_btnEncrypt.EnableWindow(false);
    m_btnDecrypt.EnableWindow(false);
    m_progress.SetRange(0, 1000);
    m_progress.SetPos(0);
    // The job has its copy of the passphrase: the dialog keeps none, and
    // the push empties both fields.
    WipeText(m_passphrase);
    WipeText(m_confirm);
    UpdateData(false);
    theJob.owner = this;
    theJob.encryptFlag = static_cast<std::uint8_t>(direction);
    m_jobRunning = true;
    m_worker = BeginThread(TransformFileThread, &theJob);
}

// A file with an unfinished job can only be finished: the user is asked,
// and says yes to have the job finish it with the typed passphrase. False
// when the user says no; true with resumeFlag set as the answer says.
bool CArksealDlg::ChooseResume() {
    theJob.resumeFlag = 0;
    const std::optional<UnfinishedJob> unfinished = LookForUnfinishedJob(WorkerFileIo(), theJob.fileName);
    if (!unfinished) return true;
    if (MessageBox(this, ResumeQuestion(*unfinished), MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES) {
        return false;
    }
    theJob.resumeFlag = 1;
    return true;
}

// A refused start leaves no passphrase behind in the job block.
void CArksealDlg::RefuseStart(const char* message) {
    theJob.ClearPassphrase();
    MessageBox(this, message);
}

LRESULT CArksealDlg::OnJobProgress(WPARAM, LPARAM) {
    UpdateData(true);
    if (theJob.done == 0) {
        m_progress.SetRange(0, theJob.fileLength);
        m_progress.SetPos(theJob.position);
    } else {
        m_btnEncrypt.EnableWindow(true);
        m_btnDecrypt.EnableWindow(true);
        m_progress.SetPos(0);
        m_jobRunning = false;
    }
    UpdateData(false);
    if (!m_jobRunning && m_quitWhenDone) EndDialog(IDCANCEL);
    return 0;
}

void CArksealDlg::OnCancel() {
    if (!m_jobRunning) {
        Dialog::OnCancel();
        return;
    }
    if (MessageBox(this, kStopNow, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES) return;
    // The job may have ended while the question was open.
    if (!m_jobRunning) {
        Dialog::OnCancel();
        return;
    }
    m_quitWhenDone = true;
    theJob.stopRequested = true;
}

// A termination signal: quit now, or as soon as the running job has
// stopped at its next chunk.
LRESULT CArksealDlg::OnEndSession(WPARAM, LPARAM) {
    if (m_jobRunning) {
        m_quitWhenDone = true;
        theJob.stopRequested = true;
    } else {
        EndDialog(IDCANCEL);
    }
    return 0;
}

}  // namespace arkseal

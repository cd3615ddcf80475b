#include <arkseal/app/arkseal_dlg.h>

#include <fcntl.h>
#include <unistd.h>

#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include <arkseal/app/about_dlg.h>
#include <arkseal/app/arkseal.h>
#include <arkseal/app/resource_ids.h>
#include <arkseal/app/status_text.h>
#include <arkseal/base/wipe.h>
#include <arkseal/guard/content_judgement.h>
#include <arkseal/guard/passphrase_strength.h>
#include <arkseal/job/file_claim.h>
#include <arkseal/job/file_io.h>
#include <arkseal/job/journal.h>
#include <arkseal/job/transform_file_thread.h>
#include <arkseal/ui/core/dropped_files.h>
#include <arkseal/ui/core/message_box.h>
#include <arkseal/ui/qt/data_exchange.h>
#include <arkseal/ui/qt/file_dialog.h>

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

// The question's text with the part filled in.
std::string Fill(const char* question, const std::string& part) {
    std::string text = question;
    text.replace(text.find("%s"), 2, part);
    return text;
}

// The question the file's head calls for; empty when there is none. A head
// that cannot be read raises none: the worker reports what fails.
std::string ContentQuestion(const char* fileName, bool encrypt, const std::string& passphrase) {
    std::vector<std::uint8_t> head;
    std::string error;
    if (!ReadFileHead(fileName, &head, &error)) return {};
    const ContentJudgement judgement = encrypt ? JudgeBeforeEncrypt(head) : JudgeBeforeDecrypt(head, passphrase);
    switch (judgement.concern) {
        case ContentConcern::None: return {};
        case ContentConcern::LooksPlain:
            return Fill(CArksealDlg::kLooksPlain, ShortTypeName(judgement.content.type.description));
        case ContentConcern::HeadDoesNotDecrypt: return CArksealDlg::kDoesNotDecrypt;
        case ContentConcern::LooksEncrypted: return CArksealDlg::kLooksEncrypted;
    }
    return {};
}

std::string PassphraseQuestion(const std::string& passphrase) {
    if (passphrase.empty()) return CArksealDlg::kEmptyPassphrase;
    const PassphraseStrength strength = EstimatePassphraseStrength(passphrase);
    if (!strength.weak) return {};
    return Fill(CArksealDlg::kWeakPassphrase, DescribeGuessingTime(strength.seconds));
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
        OnMessage<&CArksealDlg::OnSysCommand>(WM_SYSCOMMAND),
        OnCommand<&CArksealDlg::OnBrowse>(IDC_BROWSE),
        OnCommand<&CArksealDlg::OnEncrypt>(IDC_ENCRYPT),
        OnCommand<&CArksealDlg::OnDecrypt>(IDC_DECRYPT),
        OnMessage<&CArksealDlg::OnJobProgress>(WM_JOB_PROGRESS),
        OnMessage<&CArksealDlg::OnDropFiles>(WM_DROPFILES),
        OnMessage<&CArksealDlg::OnEndSession>(WM_ENDSESSION),
        OnCommand<&CArksealDlg::OnPassphraseChange>(IDC_PASSPHRASE, EN_CHANGE),
    };
    static const MessageMap map{Dialog::GetMessageMap(), entries};
    return &map;
}

void CArksealDlg::DoDataExchange(DataExchange& dx) {
    Dialog::DoDataExchange(dx);
    BindControl(dx, IDC_DECRYPT, m_btnDecrypt);
    BindControl(dx, IDC_ENCRYPT, m_btnEncrypt);
    BindControl(dx, IDC_PROGRESS, m_progress);
    BindControl(dx, IDC_STATUS, m_status);
    BindControl(dx, IDC_FILENAME, m_editFileName);
    BindControl(dx, IDC_PASSPHRASE, m_editPassphrase);
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
void CArksealDlg::StartJob(JobMode asked) {
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
    const std::optional<JobMode> mode = ConfirmStart(asked);
    if (!mode) {
        theJob.ClearPassphrase();
        SetStatus(NotStartedText(kAnsweredNo));
        return;
    }
    theJob.failure.clear();
    m_jobStart = std::chrono::steady_clock::now();
    DisableStartButtons(asked == JobMode::kEncrypt ? m_btnEncrypt : m_btnDecrypt);
    m_progress.SetRange(0, 1000);
    m_progress.SetPos(0);
    // The job has its copy of the passphrase: the dialog keeps none, and
    // the push empties both fields.
    WipeText(m_passphrase);
    WipeText(m_confirm);
    UpdateData(false);
    theJob.owner = this;
    theJob.mode = *mode;
    m_jobRunning = true;
    m_worker = BeginThread(TransformFileThread, &theJob);
}

// A refused start leaves no passphrase behind in the job block.
void CArksealDlg::RefuseStart(const char* message) {
    theJob.ClearPassphrase();
    SetStatus(NotStartedText(message));
    MessageBox(this, message);
}

// A file with an unfinished job can only be finished: the user is asked,
// and a yes has the job finish it with the typed passphrase (a half-done
// file is neither plain nor encrypted, so its content asks nothing). Else
// the content first: a file that should not be touched at all makes the
// passphrase's strength moot.
std::optional<JobMode> CArksealDlg::ConfirmStart(JobMode asked) {
    if (const std::optional<UnfinishedJob> unfinished = LookForUnfinishedJob(WorkerFileIo(), theJob.fileName)) {
        if (!Ask(ResumeQuestion(*unfinished))) return std::nullopt;
        return JobMode::kResume;
    }
    const bool encrypt = asked == JobMode::kEncrypt;
    const std::string content = ContentQuestion(theJob.fileName, encrypt, m_passphrase);
    if (!content.empty() && !Ask(content)) return std::nullopt;
    if (!encrypt) return asked;
    const std::string passphrase = PassphraseQuestion(m_passphrase);
    if (!passphrase.empty() && !Ask(passphrase)) return std::nullopt;
    return asked;
}

bool CArksealDlg::Ask(const std::string& question) {
    return MessageBox(this, question, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

// A disabled button loses the focus to the next tab stop, which would be
// Quit: the file name field takes it for the length of the job.
void CArksealDlg::DisableStartButtons(Button& startedBy) {
    m_startedBy = &startedBy;
    if (m_btnEncrypt.HasFocus() || m_btnDecrypt.HasFocus()) m_editFileName.SetFocus();
    m_btnEncrypt.EnableWindow(false);
    m_btnDecrypt.EnableWindow(false);
}

// The focus goes back to the button that started the job, so the next
// Enter or Space does that again rather than quit.
void CArksealDlg::EnableStartButtons() {
    m_btnEncrypt.EnableWindow(true);
    m_btnDecrypt.EnableWindow(true);
    if (m_startedBy != nullptr) m_startedBy->SetFocus();
    m_startedBy = nullptr;
}

void CArksealDlg::SetStatus(const std::string& text) { m_status.SetWindowText("Status: " + text); }

// Typing shows the strength; an emptied field leaves the status as it was.
void CArksealDlg::OnPassphraseChange() {
    std::string passphrase = m_editPassphrase.GetWindowText();
    if (!passphrase.empty()) SetStatus(StrengthText(EstimatePassphraseStrength(passphrase)));
    SecureWipe(passphrase.data(), passphrase.size());
}

void CArksealDlg::ShowJobEnd() {
    const bool encrypt = theJob.mode == JobMode::kResume ? theJob.result.encrypt : theJob.mode == JobMode::kEncrypt;
    if (!theJob.failure.empty()) {
        SetStatus(JobFailedText(encrypt, theJob.fileName, theJob.failure));
        return;
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - m_jobStart;
    SetStatus(JobDoneText(encrypt, theJob.fileName, theJob.fileLength, elapsed.count()));
}

LRESULT CArksealDlg::OnJobProgress(WPARAM, LPARAM) {
    UpdateData(true);
    const bool ended = m_jobRunning && theJob.done != 0;
    if (theJob.done == 0) {
        m_progress.SetRange(0, theJob.fileLength);
        m_progress.SetPos(theJob.position);
    } else {
        EnableStartButtons();
        m_progress.SetPos(0);
        m_jobRunning = false;
    }
    UpdateData(false);
    if (ended) ShowJobEnd();
    if (!m_jobRunning && m_quitWhenDone) EndDialog(IDCANCEL);
    return 0;
}

void CArksealDlg::OnCancel() {
    if (!m_jobRunning) {
        Dialog::OnCancel();
        return;
    }
    if (!Ask(kStopNow)) return;
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

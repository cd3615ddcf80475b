#include <arkseal/app/arkseal_dlg.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <filesystem>
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
#include <arkseal/job/block_job.h>
#include <arkseal/job/file_claim.h>
#include <arkseal/job/file_io.h>
#include <arkseal/job/human_units.h>
#include <arkseal/job/job_texts.h>
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
    if (fd < 0) return OpenFailureReason(fileName, errno);
    const FileClaim claim = ClaimForJob(fd);
    close(fd);
    return claim.Refusal();
}

// The text with "%f" replaced by the file's base name and "%s" by part.
std::string Fill(const char* question, const std::string& fileName, const std::string& part = {}) {
    std::string text = question;
    if (const std::size_t at = text.find("%s"); at != std::string::npos) text.replace(at, 2, part);
    if (const std::size_t at = text.find("%f"); at != std::string::npos) text.replace(at, 2, BaseName(fileName));
    return text;
}

const ButtonTexts kDecryptAnyway{"&Decrypt anyway", "&Cancel"};
const ButtonTexts kEncryptAgain{"&Encrypt again", "&Cancel"};
const ButtonTexts kEncryptAnyway{"&Encrypt anyway", "&Cancel"};
const ButtonTexts kFinishTheJob{"&Finish the job", "&Not now"};
const ButtonTexts kStopAndQuit{"&Stop and quit", "&Keep going"};

struct Question {
    std::string text;  // empty: nothing to ask
    ButtonTexts buttons;
};

// The question the file's head calls for; none when there is none. A head
// that cannot be read raises none: the worker reports what fails.
Question ContentQuestion(const char* fileName, bool encrypt, const std::string& passphrase) {
    std::vector<std::uint8_t> head;
    std::string error;
    if (!ReadFileHead(fileName, &head, &error)) return {};
    const ContentJudgement judgement = encrypt ? JudgeBeforeEncrypt(head) : JudgeBeforeDecrypt(head, passphrase);
    switch (judgement.concern) {
        case ContentConcern::None: return {};
        case ContentConcern::LooksPlain:
            return {Fill(CArksealDlg::kLooksPlain, fileName, ShortTypeName(judgement.content.type.description)),
                    kDecryptAnyway};
        case ContentConcern::HeadDoesNotDecrypt: return {Fill(CArksealDlg::kDoesNotDecrypt, fileName), kDecryptAnyway};
        case ContentConcern::LooksEncrypted: return {Fill(CArksealDlg::kLooksEncrypted, fileName), kEncryptAgain};
    }
    return {};
}

Question PassphraseQuestion(const char* fileName, const std::string& passphrase) {
    if (passphrase.empty()) return {Fill(CArksealDlg::kEmptyPassphrase, fileName), kEncryptAnyway};
    const PassphraseStrength strength = EstimatePassphraseStrength(passphrase);
    if (!strength.weak) return {};
    return {Fill(CArksealDlg::kWeakPassphrase, fileName, DescribeGuessingTime(strength.seconds)), kEncryptAnyway};
}

// "The file "big.iso" has an unfinished encryption, started 2026-12-10
// 14:02, stopped after 50.1 MB of 1.3 GB (4%). Finish it now ...?"
std::string ResumeQuestion(const char* fileName, const UnfinishedJob& job) {
    std::string text =
        Fill("The file \"%f\" has an unfinished ", fileName) + (job.encrypt ? "encryption" : "decryption");
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
        text += ", stopped after " + SizeText(job.done) + " of " + SizeText(job.length) + " (" +
                std::to_string(job.done * 100 / job.length) + "%)";
    }
    return text +
           ". Finish it now with the typed passphrase? It must be the one the job was started with; a wrong one "
           "is refused and changes nothing.";
}

// "report.pdf was not encrypted; it is unchanged."
std::string Unchanged(JobMode mode, const std::string& fileName) {
    const char* done = mode == JobMode::kDecrypt ? " was not decrypted" : " was not encrypted";
    return (fileName.empty() ? std::string("No file") + done + "." : fileName + done + "; it is unchanged.");
}

constexpr auto kProgressPeriod = std::chrono::milliseconds(250);
constexpr auto kSpeedAfter = std::chrono::seconds(1);

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
        OnCommand<&CArksealDlg::OnFileNameLimit>(IDC_FILENAME, EN_MAXTEXT),
        OnCommand<&CArksealDlg::OnPassphraseLimit>(IDC_PASSPHRASE, EN_MAXTEXT),
        OnCommand<&CArksealDlg::OnConfirmLimit>(IDC_PASSPHRASE2, EN_MAXTEXT),
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
    BindControl(dx, IDC_PASSPHRASE2, m_editConfirm);
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

// The file dialog opens in the folder of the typed file (or in the typed
// folder); a cancelled one leaves the file name as it was.
void CArksealDlg::OnBrowse() {
    FileDialog dialog(true, nullptr, "*.*", OFN_FILEMUSTEXIST | OFN_HIDEREADONLY, "All Files (*.*)|*.*||");
    UpdateData(true);
    if (!m_fileName.empty()) {
        std::error_code error;
        std::filesystem::path folder(m_fileName);
        if (!std::filesystem::is_directory(folder, error)) folder = folder.parent_path();
        if (!folder.empty() && std::filesystem::is_directory(folder, error))
            dialog.SetInitialDirectory(folder.string());
    }
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
        RefuseStart(asked, kFileNameTooLong);
        return;
    }
    if (!theJob.SetPassphrase(m_passphrase)) {
        RefuseStart(asked, m_passphrase.find('\0') != std::string::npos ? kPassphraseHasNul : kPassphraseTooLong);
        return;
    }
    if (const std::string refusal = RefusalOfFile(theJob.fileName); !refusal.empty()) {
        const std::string file = theJob.fileName[0] != '\0' ? std::string(theJob.fileName) + ": " : std::string();
        RefuseStart(asked, CannotOpenText(asked) + "\n" + file + refusal);
        return;
    }
    if (m_passphrase != m_confirm) {
        RefuseStart(asked, kMismatch);
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
    m_speedStartPosition = -1;
    DisableStartButtons(asked == JobMode::kEncrypt ? m_btnEncrypt : m_btnDecrypt);
    m_progress.SetRange(0, 1000);
    m_progress.SetPos(0);
    theJob.owner = this;
    theJob.mode = *mode;
    m_jobRunning = true;
    // The job has its copy of the passphrase: the dialog keeps none, and
    // the push empties both fields.
    WipeText(m_passphrase);
    WipeText(m_confirm);
    UpdateData(false);
    ShowJobProgress();
    m_worker = BeginThread(TransformFileThread, &theJob);
}

// A refused start leaves no passphrase behind in the job block. The box
// says what was refused, and then, unless its reason named the file
// already, which file is unchanged.
void CArksealDlg::RefuseStart(JobMode mode, const std::string& reason) {
    theJob.ClearPassphrase();
    SetStatus(NotStartedText(reason));
    const bool namesFile = reason.find('\n') != std::string::npos;
    MessageBox(this, namesFile ? reason : reason + "\n" + Unchanged(mode, m_fileName), MB_OK | MB_ICONERROR);
}

// A file with an unfinished job can only be finished: the user is asked,
// and a yes has the job finish it with the typed passphrase (a half-done
// file is neither plain nor encrypted, so its content asks nothing). Else
// the content first: a file that should not be touched at all makes the
// passphrase's strength moot.
std::optional<JobMode> CArksealDlg::ConfirmStart(JobMode asked) {
    if (const std::optional<UnfinishedJob> unfinished = LookForUnfinishedJob(WorkerFileIo(), theJob.fileName)) {
        if (!Ask(ResumeQuestion(theJob.fileName, *unfinished), kFinishTheJob)) return std::nullopt;
        m_jobEncrypt = unfinished->encrypt;
        return JobMode::kResume;
    }
    const bool encrypt = asked == JobMode::kEncrypt;
    m_jobEncrypt = encrypt;
    const Question content = ContentQuestion(theJob.fileName, encrypt, m_passphrase);
    if (!content.text.empty() && !Ask(content.text, content.buttons)) return std::nullopt;
    if (!encrypt) return asked;
    const Question passphrase = PassphraseQuestion(theJob.fileName, m_passphrase);
    if (!passphrase.text.empty() && !Ask(passphrase.text, passphrase.buttons)) return std::nullopt;
    return asked;
}

// The second answer, the safe one, is the default.
bool CArksealDlg::Ask(const std::string& question, const ButtonTexts& buttons) {
    return MessageBox(this, question, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2, buttons) == IDYES;
}

// The field keeps what it had; the tip and the status line say why the
// rest was not taken.
void CArksealDlg::RefuseText(Edit& field, const char* why) {
    field.ShowBalloonTip(why);
    SetStatus(why);
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

void CArksealDlg::SetStatus(const std::string& text) {
    m_status.SetWindowText(text.empty() ? std::string("Status:") : "Status: " + text);
}

// Typing shows the strength, an emptied field nothing; while a job runs the
// status line follows the job.
void CArksealDlg::OnPassphraseChange() {
    if (m_jobRunning) return;
    std::string passphrase = m_editPassphrase.GetWindowText();
    SetStatus(passphrase.empty() ? std::string() : StrengthText(EstimatePassphraseStrength(passphrase)));
    SecureWipe(passphrase.data(), passphrase.size());
}

// The speed counts from the first progress of the job under way (keying
// comes before it; an unfinished job starts where it stopped) and shows
// after a second of it.
void CArksealDlg::ShowJobProgress() {
    const auto now = std::chrono::steady_clock::now();
    const std::int64_t position = theJob.position;
    if (theJob.started != 0 && m_speedStartPosition < 0) {
        m_speedStart = now;
        m_speedStartPosition = position;
    }
    double speed = 0;
    const std::chrono::duration<double> running = now - m_speedStart;
    if (m_speedStartPosition >= 0 && now - m_speedStart >= kSpeedAfter && position > m_speedStartPosition) {
        speed = static_cast<double>(position - m_speedStartPosition) / running.count();
    }
    SetStatus(JobProgressText(theJob.mode, m_jobEncrypt, theJob.fileName, position, theJob.fileLength, speed));
    m_progressShown = now;
}

void CArksealDlg::ShowJobEnd() {
    if (!theJob.failure.empty()) {
        SetStatus(JobFailedText(theJob.mode, m_jobEncrypt, theJob.fileName, theJob.failure));
        return;
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - m_jobStart;
    SetStatus(JobDoneText(theJob.mode, m_jobEncrypt, theJob.fileName, theJob.fileLength, elapsed.count()));
}

LRESULT CArksealDlg::OnJobProgress(WPARAM, LPARAM) {
    UpdateData(true);
    const bool ended = m_jobRunning && theJob.done != 0;
    if (theJob.done == 0) {
        m_progress.SetRange(0, theJob.fileLength);
        m_progress.SetPos(theJob.position);
        if (m_jobRunning && std::chrono::steady_clock::now() - m_progressShown >= kProgressPeriod) ShowJobProgress();
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
    if (!Ask(Fill(kStopNow, theJob.fileName), kStopAndQuit)) return;
    // The job may have ended while the question was open.
    if (!m_jobRunning) {
        Dialog::OnCancel();
        return;
    }
    m_quitWhenDone = true;
    theJob.stopRequested = true;
}

// A termination signal: quit now, whatever box is open (each closes with
// its safe answer), or as soon as the running job has stopped at its next
// chunk (a box of the worker's closes too, so that it can end).
LRESULT CArksealDlg::OnEndSession(WPARAM, LPARAM) {
    DismissBoxes();
    if (m_jobRunning) {
        m_quitWhenDone = true;
        theJob.stopRequested = true;
    } else {
        EndDialog(IDCANCEL);
    }
    return 0;
}

}  // namespace arkseal

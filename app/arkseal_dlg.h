// The main dialog: the user names a file, types the passphrase twice and
// presses Encrypt or Decrypt; the dialog checks the input, fills the job
// block, starts the worker and follows it with the progress bar.
//
// Before a job it looks at the file and the passphrase and asks first
// (the safe answer the default) when decrypting a file that looks plain or
// that does not decrypt to anything recognisable, when encrypting a file
// that looks encrypted, and when encrypting with an empty or weak
// passphrase; each question names the file, and its buttons say what they
// do. The status line shows the passphrase's strength while one is typed,
// what a running job is doing (how far, how fast, how long still), and what
// the last job did or why it failed.
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include <arkseal/job/job_mode.h>
#include <arkseal/ui/core/icon.h>
#include <arkseal/ui/core/worker_thread.h>
#include <arkseal/ui/qt/controls.h>
#include <arkseal/ui/qt/dialog.h>

namespace arkseal {

class CArksealDlg : public Dialog {
public:
    explicit CArksealDlg(Window* parent = nullptr);
    ~CArksealDlg() override;

    // The file name the dialog opens with (the program's command line).
    void SetFileName(const std::string& fileName) { m_fileName = fileName; }

    // The texts of the dialog's own messages. A refusal names the file on
    // a line of its own after them.
    static constexpr const char* kCannotOpen = "Could not open file to encrypt.";
    static constexpr const char* kMismatch = "Passphrase and confirmation does not match.";
    static constexpr const char* kFileNameTooLong = "File name is longer than 256 bytes.";
    static constexpr const char* kPassphraseTooLong = "Passphrase is longer than 256 bytes.";
    static constexpr const char* kPassphraseHasNul = "Passphrase contains a NUL character, which cannot be used.";
    static constexpr const char* kStopNow = "Stop now? The file \"%f\" can be finished later with the same passphrase.";
    // The questions before a job; %f is the file's name, %s the file's type
    // or the time to guess the passphrase.
    static constexpr const char* kLooksPlain =
        "The file \"%f\" looks like %s, not an encrypted file. Decrypt it anyway?";
    static constexpr const char* kDoesNotDecrypt =
        "With this passphrase the file \"%f\" does not decrypt to anything recognisable. The passphrase may be "
        "wrong. Decrypt anyway?";
    static constexpr const char* kLooksEncrypted = "The file \"%f\" looks encrypted already. Encrypt it again?";
    static constexpr const char* kEmptyPassphrase =
        "The passphrase is empty: anyone can decrypt the file \"%f\". Encrypt it anyway?";
    static constexpr const char* kWeakPassphrase =
        "This passphrase is weak: one graphics card would guess it in %s. Encrypt the file \"%f\" with it anyway?";
    static constexpr const char* kAnsweredNo = "you said No; the file is unchanged.";
    // The text refused when an edit would go beyond its limit.
    static constexpr const char* kFileNameLimit =
        "A file name can be at most 256 bytes long: the longer text was refused, not cut.";
    static constexpr const char* kPassphraseLimit =
        "A passphrase can be at most 256 bytes long: the longer text was refused, not cut.";

protected:
    bool OnInitDialog() override;
    void DoDataExchange(DataExchange& dx) override;
    // Quit, Esc and the close box: refused while a job runs.
    void OnCancel() override;
    const MessageMap* GetMessageMap() const override;

private:
    LRESULT OnSysCommand(WPARAM command, LPARAM lParam);
    void OnBrowse();
    void OnEncrypt() { StartJob(JobMode::kEncrypt); }
    void OnDecrypt() { StartJob(JobMode::kDecrypt); }
    LRESULT OnJobProgress(WPARAM, LPARAM);
    LRESULT OnDropFiles(WPARAM files, LPARAM);
    LRESULT OnEndSession(WPARAM, LPARAM);
    void OnPassphraseChange();
    void OnFileNameLimit() { RefuseText(m_editFileName, kFileNameLimit); }
    void OnPassphraseLimit() { RefuseText(m_editPassphrase, kPassphraseLimit); }
    void OnConfirmLimit() { RefuseText(m_editConfirm, kPassphraseLimit); }

    void StartJob(JobMode asked);
    // Refuses the start in a box that names the file after the reason.
    void RefuseStart(JobMode asked, const std::string& reason);
    // Asks the questions the file and the passphrase call for: the mode to
    // run (kResume for a file with an unfinished job the user agrees to
    // finish, else the one asked), nothing when the user answers No to one.
    std::optional<JobMode> ConfirmStart(JobMode asked);
    bool Ask(const std::string& question, const ButtonTexts& buttons);
    void RefuseText(Edit& field, const char* why);
    void ShowJobProgress();
    void ShowJobEnd();
    void DisableStartButtons(Button& startedBy);
    void EnableStartButtons();
    void SetStatus(const std::string& text);

    Button m_btnDecrypt;
    Button m_btnEncrypt;
    ProgressBar m_progress;
    Static m_status;
    Edit m_editFileName;
    Edit m_editPassphrase;
    Edit m_editConfirm;
    Button* m_startedBy = nullptr;  // the button that started the running job
    std::string m_fileName;
    std::string m_passphrase;
    std::string m_confirm;
    Icon m_hIcon;

    ThreadId m_worker = 0;        // the last worker started
    bool m_jobRunning = false;    // from a successful start to the progress message that finds done
    bool m_jobEncrypt = true;     // the direction of the job (of the unfinished one when finishing it)
    bool m_quitWhenDone = false;  // a stop was asked for to quit: quit when the job has ended
    std::chrono::steady_clock::time_point m_jobStart;
    // The first progress seen with the job under way, the base of its speed;
    // the last time the status line showed the progress.
    std::chrono::steady_clock::time_point m_speedStart;
    std::int64_t m_speedStartPosition = -1;
    std::chrono::steady_clock::time_point m_progressShown;
};

}  // namespace arkseal

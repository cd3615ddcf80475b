// The main dialog: the user names a file, types the passphrase twice and
// presses Encrypt or Decrypt; the dialog checks the input, fills the job
// block, starts the worker and follows it with the progress bar.
//
// Before a job it looks at the file and the passphrase and asks first
// (default No) when decrypting a file that looks plain or that does not
// decrypt to anything recognisable, when encrypting a file that looks
// encrypted, and when encrypting with an empty or weak passphrase. The
// status line shows the passphrase's strength while it is typed, and what
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

    // The texts of the dialog's own messages.
    static constexpr const char* kCannotOpen = "Could not open file to encrypt.";
    static constexpr const char* kMismatch = "Passphrase and confirmation does not match.";
    static constexpr const char* kFileNameTooLong = "File name is longer than 256 bytes.";
    static constexpr const char* kPassphraseTooLong = "Passphrase is longer than 256 bytes.";
    static constexpr const char* kPassphraseHasNul = "Passphrase contains a NUL character, which cannot be used.";
    static constexpr const char* kStopNow = "Stop now? The file can be finished later with the same passphrase.";
    // The questions before a job; %s is the file's type or the time to guess.
    static constexpr const char* kLooksPlain = "This file looks like %s, not an encrypted file. Decrypt it anyway?";
    static constexpr const char* kDoesNotDecrypt =
        "With this passphrase the file does not decrypt to anything recognisable. The passphrase may be wrong. "
        "Decrypt anyway?";
    static constexpr const char* kLooksEncrypted = "This file looks encrypted already. Encrypt it again?";
    static constexpr const char* kEmptyPassphrase =
        "The passphrase is empty: anyone can decrypt the file. Encrypt it anyway?";
    static constexpr const char* kWeakPassphrase =
        "This passphrase is weak: one graphics card would guess it in %s. Encrypt with it anyway?";
    static constexpr const char* kAnsweredNo = "you said No; the file is unchanged.";

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

    void StartJob(JobMode asked);
    void RefuseStart(const char* message);
    // Asks the questions the file and the passphrase call for: the mode to
    // run (kResume for a file with an unfinished job the user agrees to
    // finish, else the one asked), nothing when the user answers No.
    std::optional<JobMode> ConfirmStart(JobMode asked);
    bool Ask(const std::string& question);
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
    Button* m_startedBy = nullptr;  // the button that started the running job
    std::string m_fileName;
    std::string m_passphrase;
    std::string m_confirm;
    Icon m_hIcon;

    ThreadId m_worker = 0;        // the last worker started
    bool m_jobRunning = false;    // from a successful start to the progress message that finds done
    bool m_quitWhenDone = false;  // a stop was asked for to quit: quit when the job has ended
    std::chrono::steady_clock::time_point m_jobStart;
};

}  // namespace arkseal

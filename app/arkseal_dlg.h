// The main dialog: the user names a file, types the passphrase twice and
// presses Encrypt or Decrypt; the dialog checks the input, fills the job
// block, starts the worker and follows it with the progress bar.
#pragma once

#include <string>

#include "ui/controls.h"
#include "ui/dialog.h"
#include "ui/icon.h"
#include "ui/worker_thread.h"

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

protected:
    bool OnInitDialog() override;
    void DoDataExchange(DataExchange& dx) override;
    // Quit, Esc and the close box: while a job runs, they ask whether to
    // stop it (at its next chunk, finishable later) and quit once it has.
    void OnCancel() override;
    const MessageMap* GetMessageMap() const override;

private:
    LRESULT OnSysCommand(WPARAM command, LPARAM lParam);
    void OnBrowse();
    void OnEncrypt() { StartJob(1); }
    void OnDecrypt() { StartJob(0); }
    LRESULT OnJobProgress(WPARAM, LPARAM);
    LRESULT OnDropFiles(WPARAM files, LPARAM);
    LRESULT OnEndSession(WPARAM, LPARAM);

    void StartJob(int direction);
    bool ChooseResume();
    void RefuseStart(const char* message);

    Button m_btnDecrypt;
    Button m_btnEncrypt;
    ProgressBar m_progress;
    std::string m_fileName;
    std::string m_passphrase;
    std::string m_confirm;
    Icon m_hIcon;

    ThreadId m_worker = 0;        // the last worker started
    bool m_jobRunning = false;    // from a successful start to the progress message that finds done
    bool m_quitWhenDone = false;  // a stop was asked for to quit: quit when the job has ended
};

}  // namespace arkseal

// The main dialog with its real widgets on Qt's offscreen platform: the
// template's controls and tab order, the checks before a job and their
// order, the buttons and the bar through a job, Enter, the edit limits,
// Browse and dropped files, the about box from the system menu, and
// quitting while a job runs.
#include <arkseal/app/arkseal_dlg.h>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QToolTip>
#include <QUrl>
#include <csignal>
#include <filesystem>

#include <arkseal/app/arkseal.h>
#include <arkseal/app/resource_ids.h>
#include <arkseal/job/file_claim.h>
#include <arkseal/job/file_io.h>
#include <arkseal/job/journal.h>
#include <arkseal/job/transform_file_thread.h>
#include <arkseal/tests/app/qt_test_environment.h>
#include <arkseal/tests/guard/content_fixtures.h>
#include <arkseal/tests/job/reference_file_cipher.h>
#include <arkseal/tests/job/temp_files.h>
#include <arkseal/ui/core/message_box.h>
#include <arkseal/ui/core/worker_thread.h>
#include <arkseal/ui/qt/file_dialog.h>
#include <arkseal/ui/qt/termination_signals.h>

namespace arkseal {
namespace {

using test::Bytes;
using test::PatternBytes;
using test::ReadFile;
using test::ReferenceFileCipher;
using test::RunUntil;
using test::WriteFile;

std::string Repeat(const std::string& text, int times) {
    std::string repeated;
    for (int i = 0; i < times; ++i) repeated += text;
    return repeated;
}

// The question with the file's name and the part filled in.
std::string Question(const char* question, const std::string& fileName, const std::string& part = {}) {
    std::string text = question;
    if (const std::size_t at = text.find("%s"); at != std::string::npos) text.replace(at, 2, part);
    return text.replace(text.find("%f"), 2, fileName);
}

// A passphrase strong enough to raise no question.
const char* const kStrong = "my dog ate 3 blue kites";

const auto* const qtEnvironment = ::testing::AddGlobalTestEnvironment(new test::QtEnvironment);

class MainDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetMessageBoxPresenter([this](Window* owner, const std::string& caption, const std::string& text, unsigned type,
                                      const ButtonTexts& buttons) {
            EXPECT_EQ(owner, &dlg_);
            EXPECT_EQ(caption, "Arkseal");
            if ((type & 0xF) == MB_OK) {
                EXPECT_EQ(type, MB_OK | MB_ICONERROR) << text;
                messages_.push_back(text);
                return IDOK;
            }
            EXPECT_EQ(type, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2);
            questions_.push_back(text);
            buttons_.push_back(buttons.yes + " / " + buttons.no);
            return answer_;
        });
        theApp.m_pMainWnd = &dlg_;
        ASSERT_TRUE(dlg_.Create());
        window_ = dlg_.Widget();
    }
    void TearDown() override {
        EXPECT_TRUE(RunUntil([this] { return Button("IDC_ENCRYPT")->isEnabled(); }));
        WaitForAllThreads();
        SetWorkerFileIo(nullptr);
        SetFileDialogPresenter(nullptr);
        SetMessageBoxPresenter(nullptr);
        theApp.m_pMainWnd = nullptr;
    }

    QPushButton* Button(const char* name) const { return window_->findChild<QPushButton*>(name); }
    QLineEdit* Edit(const char* name) const { return window_->findChild<QLineEdit*>(name); }
    QProgressBar* Bar() const { return window_->findChild<QProgressBar*>("IDC_PROGRESS"); }

    void Fill(const std::string& fileName, const std::string& passphrase, const std::string& confirm) {
        Edit("IDC_FILENAME")->setText(QString::fromStdString(fileName));
        Edit("IDC_PASSPHRASE")->setText(QString::fromStdString(passphrase));
        Edit("IDC_PASSPHRASE2")->setText(QString::fromStdString(confirm));
    }
    bool Idle() const { return Button("IDC_ENCRYPT")->isEnabled() && Button("IDC_DECRYPT")->isEnabled(); }
    bool WaitForIdle() {
        return RunUntil([this] { return Idle(); });
    }

    test::TempDir dir_;
    CArksealDlg dlg_;
    QWidget* window_ = nullptr;
    std::vector<std::string> messages_;   // OK boxes
    std::vector<std::string> questions_;  // Yes/No boxes, answered with answer_
    std::vector<std::string> buttons_;    // their buttons' texts, "yes / no"
    int answer_ = IDYES;
};

TEST_F(MainDialogTest, IsBuiltFromItsTemplateWithEncryptFirstInTabOrder) {
    EXPECT_EQ(window_->windowTitle(), "Arkseal");
    EXPECT_FALSE(window_->windowIcon().isNull());
    const char* const tabOrder[] = {"IDC_ENCRYPT",     "IDCANCEL",   "IDC_FILENAME", "IDC_PASSPHRASE",
                                    "IDC_PASSPHRASE2", "IDC_BROWSE", "IDC_DECRYPT"};
    QWidget* widget = window_->findChild<QWidget*>(tabOrder[0]);
    EXPECT_EQ(window_->focusWidget(), widget);
    for (const char* name : tabOrder) {
        EXPECT_EQ(widget->objectName(), name);
        do widget = widget->nextInFocusChain();
        while (widget->focusPolicy() != Qt::StrongFocus);
    }
    EXPECT_EQ(widget->objectName(), tabOrder[0]);

    EXPECT_TRUE(Button("IDC_ENCRYPT")->isDefault());
    EXPECT_FALSE(Button("IDC_DECRYPT")->isDefault());
    EXPECT_EQ(Button("IDCANCEL")->text(), "&Quit");
    EXPECT_EQ(Button("IDC_BROWSE")->text(), "&Browse...");
    EXPECT_EQ(Edit("IDC_FILENAME")->echoMode(), QLineEdit::Normal);
    EXPECT_EQ(Edit("IDC_PASSPHRASE")->echoMode(), QLineEdit::Password);
    EXPECT_EQ(Edit("IDC_PASSPHRASE2")->echoMode(), QLineEdit::Password);
    EXPECT_EQ(window_->findChild<QLabel*>("label_status")->text(), "Status:");
    EXPECT_EQ(window_->findChild<QLabel*>("label_passphrase2")->text(), "&Re-enter passphrase:");
    // Positions scale with the font: Decrypt sits 17 dialog units below
    // Encrypt, the bar spans the dialog less 7 units on each side.
    const QRect encrypt = Button("IDC_ENCRYPT")->geometry();
    EXPECT_GT(Button("IDC_DECRYPT")->geometry().top(), encrypt.bottom());
    EXPECT_NEAR(Bar()->geometry().right() + 1 + Bar()->geometry().left(), window_->width(), 1);
}

TEST_F(MainDialogTest, ChecksTheFileBeforeThePassphrasesAndStaysIdle) {
    const std::string existing = dir_.File("existing.bin");
    WriteFile(existing, PatternBytes(10));
    // Held as another job's open would hold it.
    const std::string busy = dir_.File("busy.bin");
    WriteFile(busy, PatternBytes(10));
    const int otherJob = open(busy.c_str(), O_RDWR);
    ASSERT_EQ(ClaimForJob(otherJob).result, FileClaim::kClaimed);
    const std::string busyRefusal = FileClaim{FileClaim::kBusy}.Refusal();
    const std::string deviceRefusal = FileClaim{FileClaim::kNotRegular, "a character device"}.Refusal();
    const std::string missing = dir_.File("missing.bin");
    const char* const toDecrypt = "Could not open file to decrypt.";
    const std::string unchanged = "\n" + existing + " was not encrypted; it is unchanged.";
    // Every refusal names the action, the file and the system's reason.
    struct Case {
        std::string fileName, passphrase, confirm;
        const char* button;
        std::string message;
    };
    const Case cases[] = {
        {missing, "a", "b", "IDC_ENCRYPT",
         CArksealDlg::kCannotOpen + ("\n" + missing + ": No such file or directory.")},
        {missing, "a", "a", "IDC_DECRYPT", toDecrypt + ("\n" + missing + ": No such file or directory.")},
        {"", "", "", "IDC_ENCRYPT", CArksealDlg::kCannotOpen + std::string("\nNo file name was given.")},
        {dir_.Path(), "a", "a", "IDC_DECRYPT",
         toDecrypt + ("\n" + dir_.Path() + ": " + FileClaim{FileClaim::kNotRegular, "a directory"}.Refusal())},
        {busy, "a", "b", "IDC_ENCRYPT", CArksealDlg::kCannotOpen + ("\n" + busy + ": " + busyRefusal)},
        {"/dev/zero", "a", "a", "IDC_DECRYPT", toDecrypt + ("\n/dev/zero: " + deviceRefusal)},
        {existing, "Secret", "secret", "IDC_ENCRYPT", CArksealDlg::kMismatch + unchanged},
        {existing, "secret", "", "IDC_DECRYPT",
         CArksealDlg::kMismatch + ("\n" + existing + " was not decrypted; it is unchanged.")},
        {existing, Repeat("\xc3\xa4", 200), Repeat("\xc3\xa4", 200), "IDC_ENCRYPT",
         CArksealDlg::kPassphraseTooLong + unchanged},
        {existing, std::string("sec\0ret", 7), std::string("sec\0ret", 7), "IDC_ENCRYPT",
         CArksealDlg::kPassphraseHasNul + unchanged},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fileName + " / " + c.passphrase + " / " + c.confirm);
        messages_.clear();
        Fill(c.fileName, c.passphrase, c.confirm);
        Button(c.button)->click();
        EXPECT_EQ(messages_, std::vector<std::string>{c.message});
        EXPECT_TRUE(Idle());
        EXPECT_EQ(std::string(theJob.passphrase, 257), std::string(257, '\0'));
    }
    EXPECT_EQ(ReadFile(existing), PatternBytes(10));
    EXPECT_EQ(ReadFile(busy), PatternBytes(10));
    close(otherJob);
}

// Root may write to read-only files, so as root the check runs with the
// effective user switched to nobody, for whom the file is read-only too.
class EffectiveUserNobody {
public:
    EffectiveUserNobody() : switched_(geteuid() == 0 && seteuid(kNobody) == 0) {}
    ~EffectiveUserNobody() {
        if (switched_) {
            EXPECT_EQ(seteuid(0), 0);
        }
    }
    bool ok() const { return geteuid() != 0; }

private:
    static constexpr uid_t kNobody = 65534;
    bool switched_;
};

TEST_F(MainDialogTest, RefusesAReadOnlyFile) {
    const std::string path = dir_.File("read-only.bin");
    WriteFile(path, PatternBytes(10));
    using std::filesystem::perms;
    std::filesystem::permissions(path, perms::owner_read | perms::group_read | perms::others_read);
    std::filesystem::permissions(std::filesystem::path(path).parent_path(), perms::owner_all | perms::group_read |
                                                                                perms::group_exec | perms::others_read |
                                                                                perms::others_exec);
    Fill(path, "a", "a");
    {
        EffectiveUserNobody nobody;
        ASSERT_TRUE(nobody.ok()) << "could not leave root";
        Button("IDC_ENCRYPT")->click();
    }
    EXPECT_EQ(messages_, std::vector<std::string>{CArksealDlg::kCannotOpen + ("\n" + path + ": Permission denied.")});
    EXPECT_EQ(ReadFile(path), PatternBytes(10));
}

// A name whose 8-bit form exceeds the buffer is refused whole, not cut to a
// shorter (and possibly existing) name.
TEST_F(MainDialogTest, RefusesAFileNameLongerThanTheBuffer) {
    const std::string shortened = dir_.File(std::string(200, 'a'));
    WriteFile(shortened, PatternBytes(10));
    const std::string tooLong = shortened + std::string(250 - 201 + 56, 'a');
    ASSERT_GT(tooLong.size(), 256u);
    Fill(tooLong, "a", "a");
    Button("IDC_ENCRYPT")->click();
    const std::string refused = std::string(CArksealDlg::kFileNameTooLong) + "\n";
    EXPECT_EQ(messages_, std::vector<std::string>{refused + tooLong + " was not encrypted; it is unchanged."});

    messages_.clear();
    const std::string nonAscii = dir_.File(std::string(40, 'a'));
    const std::string wide = nonAscii + Repeat("\xc3\xa9", 100);  // under 256 characters, over 256 bytes
    Fill(wide, "a", "a");
    EXPECT_LE(Edit("IDC_FILENAME")->text().size(), 256);
    Button("IDC_ENCRYPT")->click();
    EXPECT_EQ(messages_, std::vector<std::string>{refused + wide + " was not encrypted; it is unchanged."});
    EXPECT_EQ(ReadFile(shortened), PatternBytes(10));
}

TEST_F(MainDialogTest, RunsAJobWithTheButtonsDisabledAndTheBarFollowingIt) {
    const std::string path = dir_.File("data.bin");
    const Bytes plain = PatternBytes(3 * 262144 + 5);
    WriteFile(path, plain);

    Fill(path, "Tr0ub4dor", "Tr0ub4dor");
    Button("IDC_ENCRYPT")->click();
    EXPECT_TRUE(messages_.empty());
    // The job has its copy of the passphrase; the dialog keeps none.
    EXPECT_EQ(Edit("IDC_PASSPHRASE")->text(), "");
    EXPECT_EQ(Edit("IDC_PASSPHRASE2")->text(), "");
    EXPECT_EQ(Edit("IDC_FILENAME")->text().toStdString(), path);
    EXPECT_FALSE(Button("IDC_ENCRYPT")->isEnabled());
    EXPECT_FALSE(Button("IDC_DECRYPT")->isEnabled());
    EXPECT_TRUE(Button("IDC_BROWSE")->isEnabled());
    EXPECT_EQ(Bar()->maximum(), 1000);
    EXPECT_EQ(Bar()->value(), 0);
    ASSERT_TRUE(WaitForIdle());
    EXPECT_EQ(Bar()->value(), 0);
    EXPECT_EQ(ReadFile(path), ReferenceFileCipher(plain, "Tr0ub4dor", true));
    EXPECT_EQ(Edit("IDC_PASSPHRASE")->text(), "");
    EXPECT_EQ(Edit("IDC_PASSPHRASE2")->text(), "");

    // At once a second job on the same file: it must not overlap the first.
    Fill(path, "Tr0ub4dor", "Tr0ub4dor");
    Button("IDC_DECRYPT")->click();
    EXPECT_FALSE(Button("IDC_ENCRYPT")->isEnabled());
    ASSERT_TRUE(WaitForIdle());
    EXPECT_EQ(ReadFile(path), plain);
    EXPECT_TRUE(messages_.empty());
}

// Each progress message is read against the job block as it is then.
TEST_F(MainDialogTest, ShowsTheJobBlockOnEveryProgressMessage) {
    struct Case {
        std::int64_t fileLength, position;
        bool done;
        double filled;  // fraction of the bar
        bool idle;
    };
    const Case cases[] = {
        {262144, 262144, false, 1.0, false},
        {262145, 262144, false, 262144.0 / 262145, false},
        {std::int64_t{5} << 30, std::int64_t{2} << 30, false, 0.4, false},  // beyond 32 bits
        {262144, 262144, true, 0.0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fileLength);
        Button("IDC_ENCRYPT")->setEnabled(false);
        Button("IDC_DECRYPT")->setEnabled(false);
        theJob.fileLength = c.fileLength;
        theJob.position = c.position;
        theJob.done = c.done ? 1 : 0;
        dlg_.SendMessage(WM_JOB_PROGRESS, 0, 0);
        EXPECT_NEAR(static_cast<double>(Bar()->value()) / Bar()->maximum(), c.filled, 1e-3);
        EXPECT_EQ(Bar()->maximum(), 1000);  // a screen reader reads thousandths, never bytes
        EXPECT_EQ(Idle(), c.idle);
    }
    theJob.done = 0;
}

TEST_F(MainDialogTest, EnterStartsAnEncryption) {
    const std::string path = dir_.File("enter.bin");
    const Bytes plain = PatternBytes(1000);
    WriteFile(path, plain);
    Fill(path, "", "");  // the empty passphrase is accepted once the user says yes
    QTest::keyClick(Edit("IDC_PASSPHRASE2"), Qt::Key_Return);
    EXPECT_EQ(questions_, std::vector<std::string>{Question(CArksealDlg::kEmptyPassphrase, "enter.bin")});
    EXPECT_FALSE(Button("IDC_DECRYPT")->isEnabled());
    ASSERT_TRUE(WaitForIdle());
    EXPECT_EQ(ReadFile(path), ReferenceFileCipher(plain, "", true));
}

// The fields take what the job block takes, 256 bytes, and say so when they
// refuse more: a paste beyond the limit is refused whole, never cut, and
// the status line and a tip at the field tell why.
TEST_F(MainDialogTest, LimitsTypingTo256BytesAndSaysWhenItRefusesText) {
    const QLabel* status = window_->findChild<QLabel*>("label_status");
    window_->activateWindow();
    ASSERT_TRUE(RunUntil([this] { return window_->isActiveWindow(); }));
    const std::pair<const char*, const char*> fields[] = {
        {"IDC_FILENAME", CArksealDlg::kFileNameLimit},
        {"IDC_PASSPHRASE", CArksealDlg::kPassphraseLimit},
        {"IDC_PASSPHRASE2", CArksealDlg::kPassphraseLimit},
    };
    for (const auto& [name, why] : fields) {
        SCOPED_TRACE(name);
        QLineEdit* edit = Edit(name);
        edit->clear();
        QTest::keyClicks(edit, QString(300, 'k'));
        EXPECT_EQ(edit->text().size(), 256);
        edit->clear();
        for (int i = 0; i < 200; ++i) edit->insert(QString(QChar(0xE4)));  // two bytes each in UTF-8
        EXPECT_EQ(edit->text(), QString(128, QChar(0xE4)));

        edit->clear();
        QTest::qWait(1);
        QApplication::clipboard()->setText(QString(300, 'v'));
        edit->paste();
        EXPECT_EQ(edit->text(), "");
        ASSERT_TRUE(RunUntil([&] { return status->text() == QString("Status: ") + why; }))
            << status->text().toStdString();
        EXPECT_EQ(QToolTip::text(), why);
        QToolTip::hideText();
    }
}

TEST_F(MainDialogTest, TheWorkersFailuresAreShownAndTheDialogBecomesIdle) {
    // The dialog's own test-open succeeds; the worker's open or read fails.
    struct FailingOpen : FileIo {
        int Open(const char*, int, mode_t) override {
            errno = ENOENT;
            return -1;
        }
    } failingOpen;
    struct FailingRead : FileIo {
        ssize_t Pread(int, void*, std::size_t, off_t) override {
            errno = EIO;
            return -1;
        }
    } failingRead;
    const std::string path = dir_.File("data.bin");
    WriteFile(path, PatternBytes(100));
    const std::string failed = "Decrypting " + path + " failed.\n";
    const std::pair<FileIo*, std::string> cases[] = {
        {&failingOpen, failed + "Could not open file to decrypt.[?] (No such file or directory)"},
        {&failingRead, failed + "Could not read the file (Input/output error).\nThe file is unchanged."},
    };
    for (const auto& [io, message] : cases) {
        messages_.clear();
        SetWorkerFileIo(io);
        Fill(path, "p", "p");
        Button("IDC_DECRYPT")->click();
        EXPECT_FALSE(Idle());
        ASSERT_TRUE(WaitForIdle());
        EXPECT_EQ(messages_, std::vector<std::string>{message});
        WaitForAllThreads();
        SetWorkerFileIo(nullptr);
    }
    EXPECT_EQ(ReadFile(path), PatternBytes(100));
}

TEST_F(MainDialogTest, BrowseTakesTheChosenFileAndKeepsTheNameOnCancel) {
    std::optional<std::string> answer = "/chosen/file.txt";
    std::string initialDirectory = "unset";
    SetFileDialogPresenter([&](const FileDialogRequest& request) {
        EXPECT_TRUE(request.open);
        EXPECT_EQ(request.flags, 0x1004u);
        EXPECT_EQ(request.fileName, "*.*");
        initialDirectory = request.initialDirectory;
        return answer;
    });
    // It opens in the typed file's folder, or the typed folder; a name in
    // no folder that exists leaves the working folder.
    const std::string folder = dir_.File("sub");
    std::filesystem::create_directory(folder);
    const std::pair<std::string, std::string> typed[] = {
        {folder + "/notes.txt", folder}, {folder, folder}, {"/no/such/folder/x", ""}, {"", ""}};
    answer.reset();
    for (const auto& [name, expected] : typed) {
        Edit("IDC_FILENAME")->setText(QString::fromStdString(name));
        Button("IDC_BROWSE")->click();
        EXPECT_EQ(initialDirectory, expected) << name;
    }
    answer = "/chosen/file.txt";
    Button("IDC_BROWSE")->click();
    EXPECT_EQ(Edit("IDC_FILENAME")->text(), "/chosen/file.txt");
    answer.reset();
    Button("IDC_BROWSE")->click();
    EXPECT_EQ(Edit("IDC_FILENAME")->text(), "/chosen/file.txt");
}

TEST_F(MainDialogTest, ADroppedFileFillsTheFileName) {
    const std::string path = dir_.File("dropped file.bin");
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(Edit("IDC_FILENAME"), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(Edit("IDC_FILENAME"), &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(Edit("IDC_FILENAME")->text().toStdString(), path);
}

TEST_F(MainDialogTest, TheSystemMenuOpensTheAboutBox) {
    QContextMenuEvent request(QContextMenuEvent::Keyboard, QPoint(10, 10), window_->mapToGlobal(QPoint(10, 10)));
    QCoreApplication::sendEvent(window_, &request);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    const QList<QAction*> actions = menu->actions();
    ASSERT_EQ(actions.size(), 3);
    EXPECT_EQ(actions[0]->text(), "&Close");
    EXPECT_TRUE(actions[1]->isSeparator());
    EXPECT_EQ(actions[2]->text(), "&About Arkseal...");

    // The about box runs modally inside the menu command; a timer looks at it
    // from within and closes it with Esc.
    bool inspected = false;
    QTimer inspector;
    QObject::connect(&inspector, &QTimer::timeout, [&] {
        QWidget* about = QApplication::activeModalWidget();
        if (about == nullptr || inspected) return;
        EXPECT_EQ(about->objectName(), "IDD_ABOUTBOX");
        EXPECT_EQ(about->windowTitle(), "About Arkseal");
        EXPECT_EQ(about->findChild<QLabel*>("about_version")->text(), "Arkseal Version 1.0");
        EXPECT_EQ(about->findChild<QLabel*>("about_cipher")->text(),
                  "Uses 256-bit AES (Rjindael) encryption in CFB mode");
        EXPECT_EQ(about->findChild<QLabel*>("about_icon")->pixmap().size(), QSize(32, 32));
        EXPECT_TRUE(about->findChild<QPushButton*>("IDOK")->isDefault());
        inspected = true;
        QTest::keyClick(about, Qt::Key_Escape);
    });
    inspector.start(5);
    actions[2]->trigger();
    menu->close();
    ASSERT_TRUE(RunUntil([&] { return inspected && QApplication::activeModalWidget() == nullptr; }));
    EXPECT_TRUE(window_->isVisible());
}

// Finishes the job that a stop left unfinished, as the dialog would.
// False when there was none.
// A passphrase strong enough to raise no question.
const char* const kSolid = "six green owls hum quietly";

bool FinishUnfinishedJob(const std::string& path, const std::string& passphrase) {
    if (!LookForUnfinishedJob(WorkerFileIo(), path)) return false;
    CryptJob job(256, 256);
    Window owner;
    EXPECT_TRUE(job.SetFileName(path) && job.SetPassphrase(passphrase));
    job.owner = &owner;
    job.mode = JobMode::kResume;
    WaitForThread(BeginThread(TransformFileThread, &job));
    EXPECT_EQ(job.result.step, JobStep::kDone);
    return true;
}

// Quit, Esc and the close box during a job ask whether to stop it; No goes
// on. A termination signal stops the job at its next chunk and quits. A
// stopped job is finishable.
TEST_F(MainDialogTest, QuittingDuringAJobAsksAndStopsItFinishably) {
    const std::string path = dir_.File("long.bin");
    const Bytes plain = PatternBytes(16 * 262144);
    WriteFile(path, plain);
    TerminationSignals endRequests([this] { PostMessage(&dlg_, WM_ENDSESSION, 0, 0); });

    Fill(path, kSolid, kSolid);
    answer_ = IDNO;
    Button("IDC_ENCRYPT")->click();
    Button("IDCANCEL")->click();
    QTest::keyClick(window_, Qt::Key_Escape);
    window_->close();
    EXPECT_EQ(questions_, std::vector<std::string>(3, Question(CArksealDlg::kStopNow, "long.bin")));
    EXPECT_EQ(buttons_, std::vector<std::string>(3, "&Stop and quit / &Keep going"));
    EXPECT_TRUE(window_->isVisible());

    std::raise(SIGTERM);
    ASSERT_TRUE(RunUntil([this] { return !window_->isVisible(); }));
    EXPECT_TRUE(Idle());
    EXPECT_TRUE(messages_.empty()) << messages_.front();
    // Stopped before its first write the file is as it was; once written, it
    // is finished exactly.
    if (FinishUnfinishedJob(path, kSolid) || ReadFile(path) != plain) {
        EXPECT_EQ(ReadFile(path), ReferenceFileCipher(plain, kSolid, true));
    }
}

// A termination signal ends the program at once when no job runs, whatever
// box is open over the dialog: the box closes with its safe answer (a
// question's No changes nothing). With a job running it stops the job; the
// worker's failure box closes too, so that the job can end.
TEST_F(MainDialogTest, ATerminationSignalEndsTheDialogWhateverBoxIsOpen) {
    SetMessageBoxPresenter(nullptr);
    TerminationSignals endRequests([this] { PostMessage(&dlg_, WM_ENDSESSION, 0, 0); });
    const std::string pdf = dir_.File("report.pdf");
    WriteFile(pdf, test::PdfFixture());
    const std::string encrypted = dir_.File("notes.txt");
    const Bytes encryptedText = ReferenceFileCipher(test::TextFixture(), kStrong, true);
    WriteFile(encrypted, encryptedText);
    struct FailingRead : FileIo {
        ssize_t Pread(int, void*, std::size_t, off_t) override {
            errno = EIO;
            return -1;
        }
    } failingRead;
    struct Case {
        const char* box;  // the object name of what is open when the signal comes
        std::function<void()> open;
    };
    const Case cases[] = {
        {"message_box",
         [this] {
             Fill("", "", "");
             Button("IDC_ENCRYPT")->click();
         }},
        {"question_box",
         [&] {
             Fill(pdf, kStrong, kStrong);
             Button("IDC_DECRYPT")->click();
         }},
        {"IDD_ABOUTBOX", [this] { dlg_.SendMessage(WM_SYSCOMMAND, IDM_ABOUTBOX, 0); }},
        {"message_box",  // the worker's, while its job is still running
         [&] {
             SetWorkerFileIo(&failingRead);
             Fill(encrypted, kStrong, kStrong);
             Button("IDC_DECRYPT")->click();
             RunUntil([this] { return !window_->isVisible(); });
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.box);
        if (!window_->isVisible()) {
            ASSERT_TRUE(dlg_.Create());
            window_ = dlg_.Widget();
        }
        std::string seen;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr || modal == window_ || !seen.empty()) return;
            seen = modal->objectName().toStdString();
            std::raise(SIGTERM);
        });
        poll.start(5);
        c.open();
        EXPECT_EQ(seen, c.box);
        EXPECT_TRUE(RunUntil([this] { return !window_->isVisible(); }));
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
        WaitForAllThreads();
        SetWorkerFileIo(nullptr);
    }
    EXPECT_EQ(ReadFile(pdf), test::PdfFixture());
    EXPECT_EQ(ReadFile(encrypted), encryptedText);
}

TEST_F(MainDialogTest, QuitDuringAJobStopsItWhenTheAnswerIsYes) {
    const std::string path = dir_.File("long.bin");
    const Bytes plain = PatternBytes(16 * 262144, 3);
    WriteFile(path, plain);
    Fill(path, kSolid, kSolid);
    Button("IDC_ENCRYPT")->click();
    answer_ = IDYES;
    Button("IDCANCEL")->click();
    ASSERT_TRUE(RunUntil([this] { return !window_->isVisible(); }));
    EXPECT_TRUE(messages_.empty()) << messages_.front();
    // Stopped before its first write the file is as it was; once written, it
    // is finished exactly.
    if (FinishUnfinishedJob(path, kSolid) || ReadFile(path) != plain) {
        EXPECT_EQ(ReadFile(path), ReferenceFileCipher(plain, kSolid, true));
    }
}

// Stops the job after its first chunk of data is written (the journal's
// header and first record come before it).
class StopAfterFirstChunk : public FileIo {
public:
    ssize_t Pwrite(int fd, const void* buffer, std::size_t size, off_t offset) override {
        const ssize_t n = FileIo::Pwrite(fd, buffer, size, offset);
        if (++writes_ == 3) theJob.stopRequested = true;
        return n;
    }

private:
    int writes_ = 0;
};

// Encrypt or Decrypt on a file with an unfinished job asks to finish it,
// saying which job and how far it got; No starts nothing, a wrong
// passphrase is refused, and Yes with the right one finishes it in the
// job's own direction.
TEST_F(MainDialogTest, AnUnfinishedJobIsFinishedWithItsPassphraseWhenTheUserSaysSo) {
    const std::string path = dir_.File("half.bin");
    const Bytes plain = PatternBytes(4 * 262144, 5);
    WriteFile(path, plain);
    StopAfterFirstChunk stopper;
    SetWorkerFileIo(&stopper);
    Fill(path, kSolid, kSolid);
    Button("IDC_ENCRYPT")->click();
    ASSERT_TRUE(WaitForIdle());
    SetWorkerFileIo(nullptr);
    ASSERT_TRUE(LookForUnfinishedJob(WorkerFileIo(), path));
    const Bytes half = ReadFile(path);
    const Bytes cipher = ReferenceFileCipher(plain, kSolid, true);
    const auto firstChange = std::mismatch(half.begin(), half.end(), cipher.begin()).first - half.begin();
    EXPECT_EQ(firstChange, 262144);

    answer_ = IDNO;
    Fill(path, kSolid, kSolid);
    Button("IDC_DECRYPT")->click();
    ASSERT_EQ(questions_.size(), 1u);
    EXPECT_EQ(questions_[0].rfind("The file \"half.bin\" has an unfinished encryption, started ", 0), 0u)
        << questions_[0];
    EXPECT_NE(questions_[0].find(", stopped after 262.1 KB of 1.0 MB (25%). Finish it now"), std::string::npos)
        << questions_[0];
    EXPECT_EQ(buttons_, std::vector<std::string>{"&Finish the job / &Not now"});
    EXPECT_TRUE(Idle());
    EXPECT_EQ(ReadFile(path), half);

    answer_ = IDYES;
    messages_.clear();
    Fill(path, "your cat ate 4 red kites", "your cat ate 4 red kites");
    Button("IDC_DECRYPT")->click();
    ASSERT_TRUE(WaitForIdle());
    EXPECT_EQ(messages_, std::vector<std::string>{
                             "Finishing the encryption of " + path +
                             " failed.\nThis is not the passphrase the unfinished job was started with. Nothing was "
                             "changed."});
    EXPECT_EQ(ReadFile(path), half);

    messages_.clear();
    Fill(path, kSolid, kSolid);
    Button("IDC_DECRYPT")->click();
    ASSERT_TRUE(WaitForIdle());
    EXPECT_TRUE(messages_.empty()) << messages_.front();
    EXPECT_EQ(ReadFile(path), ReferenceFileCipher(plain, kSolid, true));
    EXPECT_FALSE(LookForUnfinishedJob(WorkerFileIo(), path));
}

// Each question stops the job until the user says yes: with No the file is
// unchanged and the status says so; with Yes the job runs.
TEST_F(MainDialogTest, AsksBeforeAJobThatLooksWrongAndChangesNothingUntilYes) {
    const Bytes text = test::TextFixture();
    struct Case {
        const char* name;
        Bytes content;
        const char* button;
        std::string passphrase;
        std::string question;
        std::string buttons;  // what the two answers say
    };
    const std::string decryptAnyway = "&Decrypt anyway / &Cancel";
    const std::string encryptAnyway = "&Encrypt anyway / &Cancel";
    const Case cases[] = {
        {"plain PDF", test::PdfFixture(), "IDC_DECRYPT", kStrong,
         Question(CArksealDlg::kLooksPlain, "file", "PDF document"), decryptAnyway},
        {"plain PNG", test::PngFixture(), "IDC_DECRYPT", kStrong,
         Question(CArksealDlg::kLooksPlain, "file", "PNG image data"), decryptAnyway},
        {"plain text", text, "IDC_DECRYPT", kStrong, Question(CArksealDlg::kLooksPlain, "file", "ASCII text"),
         decryptAnyway},
        {"wrong passphrase", ReferenceFileCipher(text, "another passphrase", true), "IDC_DECRYPT", kStrong,
         Question(CArksealDlg::kDoesNotDecrypt, "file"), decryptAnyway},
        {"random bytes", test::RandomFixture(5000), "IDC_ENCRYPT", kStrong,
         Question(CArksealDlg::kLooksEncrypted, "file"), "&Encrypt again / &Cancel"},
        {"empty passphrase", text, "IDC_ENCRYPT", "", Question(CArksealDlg::kEmptyPassphrase, "file"), encryptAnyway},
        {"weak passphrase", text, "IDC_ENCRYPT", "Tr0ub4dor&3",
         Question(CArksealDlg::kWeakPassphrase, "file", "about 3 hours"), encryptAnyway},
    };
    const QLabel* status = window_->findChild<QLabel*>("label_status");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir_.File("file");
        WriteFile(path, c.content);
        questions_.clear();
        buttons_.clear();
        answer_ = IDNO;
        Fill(path, c.passphrase, c.passphrase);
        Button(c.button)->click();
        EXPECT_EQ(questions_, std::vector<std::string>{c.question});
        EXPECT_EQ(buttons_, std::vector<std::string>{c.buttons});
        EXPECT_TRUE(Idle());
        EXPECT_EQ(ReadFile(path), c.content);
        EXPECT_EQ(status->text().toStdString(), "Status: Not started: you said No; the file is unchanged.");
        EXPECT_EQ(std::string(theJob.passphrase, 257), std::string(257, '\0'));

        answer_ = IDYES;
        Button(c.button)->click();
        ASSERT_TRUE(WaitForIdle());
        const bool encrypt = std::string(c.button) == "IDC_ENCRYPT";
        EXPECT_EQ(ReadFile(path), ReferenceFileCipher(c.content, c.passphrase, encrypt));
    }
    EXPECT_TRUE(messages_.empty());
}

TEST_F(MainDialogTest, TheRightPassphraseOnARecognisableFileDoesNotAsk) {
    for (const Bytes& plain : {test::PdfFixture(), test::PngFixture(), test::TextFixture(), Bytes(20000, 0)}) {
        const std::string path = dir_.File("file");
        WriteFile(path, ReferenceFileCipher(plain, kStrong, true));
        Fill(path, kStrong, kStrong);
        Button("IDC_DECRYPT")->click();
        ASSERT_TRUE(WaitForIdle());
        EXPECT_EQ(ReadFile(path), plain);
        Fill(path, kStrong, kStrong);
        Button("IDC_ENCRYPT")->click();
        ASSERT_TRUE(WaitForIdle());
        EXPECT_EQ(ReadFile(path), ReferenceFileCipher(plain, kStrong, true));
    }
    EXPECT_TRUE(questions_.empty()) << questions_.front();
}

// Slows each write of the job down, so that it runs long enough to show
// its speed.
class SlowWrites : public FileIo {
public:
    ssize_t Pwrite(int fd, const void* buffer, std::size_t size, off_t offset) override {
        QThread::msleep(150);
        return FileIo::Pwrite(fd, buffer, size, offset);
    }
};

// The status line says what a running job is doing, what the last job did,
// or why it did not happen, in one line; while a passphrase is typed it
// shows its strength, and nothing once the field is empty.
TEST_F(MainDialogTest, TheStatusLineSaysWhatHappened) {
    const QLabel* status = window_->findChild<QLabel*>("label_status");
    const std::string path = dir_.File("report.txt");
    WriteFile(path, PatternBytes(3200));

    QTest::keyClicks(Edit("IDC_PASSPHRASE"), "abc");
    EXPECT_EQ(status->text(), "Status: Passphrase: weak, guessed in less than a second by one graphics card.");
    Edit("IDC_PASSPHRASE")->setText(kStrong);
    EXPECT_EQ(status->text(), "Status: Passphrase: strong, guessed in more than a million years by one graphics card.");
    Edit("IDC_PASSPHRASE")->clear();
    EXPECT_EQ(status->text(), "Status:");

    // A job of eight chunks at 150 ms a write: the percentage at once, the
    // speed and the time left after a second.
    const std::string big = dir_.File("big.bin");
    WriteFile(big, PatternBytes(8 * 262144));
    SlowWrites slow;
    SetWorkerFileIo(&slow);
    Fill(big, kStrong, kStrong);
    Button("IDC_ENCRYPT")->click();
    EXPECT_EQ(status->text(), "Status: Encrypting big.bin: 0%");
    const QRegularExpression running("^Status: Encrypting big\\.bin: [0-9]+%, [0-9.]+ [KM]B/s, 0:0[0-9] left$");
    EXPECT_TRUE(RunUntil([&] { return running.match(status->text()).hasMatch(); })) << status->text().toStdString();
    ASSERT_TRUE(WaitForIdle());
    WaitForAllThreads();
    SetWorkerFileIo(nullptr);

    Fill(path, kStrong, kStrong);
    Button("IDC_ENCRYPT")->click();
    ASSERT_TRUE(WaitForIdle());
    const std::string done = status->text().toStdString();
    EXPECT_EQ(done.rfind("Status: Encrypted report.txt, 3.2 KB, in ", 0), 0u) << done;
    EXPECT_EQ(done.substr(done.size() - 3), " s.") << done;

    struct FailingRead : FileIo {
        ssize_t Pread(int, void*, std::size_t, off_t) override {
            errno = EIO;
            return -1;
        }
    } failingRead;
    SetWorkerFileIo(&failingRead);
    Fill(path, kStrong, kStrong);
    Button("IDC_DECRYPT")->click();
    ASSERT_TRUE(WaitForIdle());
    WaitForAllThreads();
    SetWorkerFileIo(nullptr);
    EXPECT_EQ(status->text(), "Status: Decrypting report.txt failed: Could not read the file (Input/output error).");
    EXPECT_EQ(messages_.size(), 1u);
    messages_.clear();

    Fill(path, kStrong, "other");
    Button("IDC_DECRYPT")->click();
    EXPECT_EQ(status->text(), QString("Status: Not started: ") + CArksealDlg::kMismatch);
}

// A screen reader names every field and the bar, and each label's mnemonic
// reaches its field.
TEST_F(MainDialogTest, FieldsAndBarHaveNamesAndLabelsTheirMnemonics) {
    struct Case {
        const char* label;
        const char* control;
        const char* name;
        Qt::Key mnemonic;
    };
    const Case cases[] = {
        {"label_filename", "IDC_FILENAME", "Filename", Qt::Key_F},
        {"label_passphrase", "IDC_PASSPHRASE", "Passphrase", Qt::Key_P},
        {"label_passphrase2", "IDC_PASSPHRASE2", "Re-enter passphrase", Qt::Key_R},
    };
    window_->activateWindow();
    ASSERT_TRUE(RunUntil([this] { return window_->isActiveWindow(); }));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.control);
        QWidget* control = window_->findChild<QWidget*>(c.control);
        EXPECT_EQ(control->accessibleName(), c.name);
        EXPECT_EQ(window_->findChild<QLabel*>(c.label)->buddy(), control);
        Button("IDC_ENCRYPT")->setFocus();
        QTest::keyClick(window_->focusWidget(), c.mnemonic, Qt::AltModifier);
        EXPECT_EQ(window_->focusWidget(), control);
    }
    EXPECT_EQ(Bar()->accessibleName(), "Status");
    EXPECT_EQ(window_->findChild<QLabel*>("label_status")->buddy(), nullptr);
}

// Shift+F10 and the Menu key open the dialog's menu wherever the focus is,
// in an edit too.
TEST_F(MainDialogTest, TheMenuKeysOpenTheDialogsMenuFromAnyControl) {
    struct Case {
        const char* control;
        Qt::Key key;
        Qt::KeyboardModifier modifier;
    };
    const Case cases[] = {
        {"IDC_FILENAME", Qt::Key_F10, Qt::ShiftModifier}, {"IDC_PASSPHRASE", Qt::Key_Menu, Qt::NoModifier},
        {"IDC_BROWSE", Qt::Key_F10, Qt::ShiftModifier},   {"IDC_ENCRYPT", Qt::Key_Menu, Qt::NoModifier},
        {"IDD_MAIN", Qt::Key_F10, Qt::ShiftModifier},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.control);
        QWidget* target = c.control == std::string("IDD_MAIN") ? window_ : window_->findChild<QWidget*>(c.control);
        QTest::keyClick(target, c.key, c.modifier);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(menu->objectName(), "system_menu");
        EXPECT_EQ(menu->actions().back()->text(), "&About Arkseal...");
        menu->close();
        ASSERT_TRUE(RunUntil([] { return QApplication::activePopupWidget() == nullptr; }));
    }
    QTest::keyClick(Edit("IDC_FILENAME"), Qt::Key_F10);  // F10 alone is no menu key
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);

    // A window system also asks an edit for its context menu when the Menu
    // key is pressed: that opens the dialog's menu too, not the edit's.
    for (const char* name : {"IDC_FILENAME", "IDC_PASSPHRASE"}) {
        const QPoint at(5, 5);
        QContextMenuEvent request(QContextMenuEvent::Keyboard, at, Edit(name)->mapToGlobal(at));
        QCoreApplication::sendEvent(Edit(name), &request);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr) << name;
        EXPECT_EQ(menu->objectName(), "system_menu") << name;
        // The key press and the request together open one menu.
        QContextMenuEvent again(QContextMenuEvent::Keyboard, at, Edit(name)->mapToGlobal(at));
        QCoreApplication::sendEvent(Edit(name), &again);
        EXPECT_EQ(QApplication::activePopupWidget(), menu);
        menu->close();
        ASSERT_TRUE(RunUntil([] { return QApplication::activePopupWidget() == nullptr; }));
    }
}

// However the job was started, the focus is never left on Quit: during the
// job the file name field holds it, afterwards the button that started it.
TEST_F(MainDialogTest, TheFocusReturnsToTheButtonThatStartedTheJob) {
    const std::string path = dir_.File("data.txt");
    WriteFile(path, PatternBytes(3 * 262144));
    window_->activateWindow();
    ASSERT_TRUE(RunUntil([this] { return window_->isActiveWindow(); }));
    struct Case {
        const char* how;
        std::function<void()> start;
        const char* button;
    };
    const Case cases[] = {
        {"mouse on Encrypt", [this] { QTest::mouseClick(Button("IDC_ENCRYPT"), Qt::LeftButton); }, "IDC_ENCRYPT"},
        {"mouse on Decrypt", [this] { QTest::mouseClick(Button("IDC_DECRYPT"), Qt::LeftButton); }, "IDC_DECRYPT"},
        {"Enter in a field", [this] { QTest::keyClick(Edit("IDC_PASSPHRASE2"), Qt::Key_Return); }, "IDC_ENCRYPT"},
        {"Space on Decrypt",
         [this] {
             Button("IDC_DECRYPT")->setFocus();
             QTest::keyClick(Button("IDC_DECRYPT"), Qt::Key_Space);
         },
         "IDC_DECRYPT"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        Fill(path, kStrong, kStrong);
        Edit("IDC_PASSPHRASE2")->setFocus();
        c.start();
        ASSERT_FALSE(Idle());
        EXPECT_NE(window_->focusWidget(), Button("IDCANCEL"));
        ASSERT_TRUE(WaitForIdle());
        EXPECT_EQ(window_->focusWidget(), Button(c.button));
    }
}

// The real box: No is the default and the escape button, so Enter and Esc
// both answer No; only Yes says yes.
TEST_F(MainDialogTest, AQuestionAnswersNoToEnterAndEscape) {
    SetMessageBoxPresenter(nullptr);
    struct Case {
        Qt::Key key;
        bool tabToYes;
        int answer;
    };
    const Case cases[] = {
        {Qt::Key_Return, false, IDNO},
        {Qt::Key_Escape, false, IDNO},
        {Qt::Key_Space, true, IDYES},  // Space on the Yes button
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        QTimer::singleShot(0, [&] {
            QWidget* box = QApplication::activeModalWidget();
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->objectName(), "question_box");
            EXPECT_EQ(box->windowTitle(), "Arkseal");
            QWidget* target = box;
            if (c.tabToYes) {
                for (QPushButton* button : box->findChildren<QPushButton*>()) {
                    if (button->text().contains("Yes")) target = button;
                }
                ASSERT_NE(target, box);
            }
            QTest::keyClick(target, c.key);
        });
        EXPECT_EQ(MessageBox(&dlg_, "Go on?", MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2), c.answer);
    }
}

// A presenter that only records gives every box its default answer.
TEST_F(MainDialogTest, ARecordingPresenterTakesTheDefaultAnswer) {
    std::vector<std::string> recorded;
    SetMessageBoxPresenter([&](Window*, const std::string&, const std::string& text) { recorded.push_back(text); });
    EXPECT_EQ(MessageBox(&dlg_, "a", MB_OK), IDOK);
    EXPECT_EQ(MessageBox(&dlg_, "b", MB_YESNO | MB_DEFBUTTON2), IDNO);
    EXPECT_EQ(MessageBox(&dlg_, "c", MB_YESNO), IDYES);
    EXPECT_EQ(recorded, (std::vector<std::string>{"a", "b", "c"}));
}

TEST_F(MainDialogTest, QuitEndsAnIdleDialog) {
    Button("IDCANCEL")->click();
    EXPECT_FALSE(window_->isVisible());
    EXPECT_TRUE(messages_.empty());
}

// "arkseal FILE", as a file manager starts it: the window opens with the
// file's name in the field, ready for the passphrase.
TEST(CommandLineTest, AFileOnTheCommandLineIsInTheFieldWhenTheWindowOpens) {
    const std::string path = "/home/ann/report of 2026.pdf";
    int exitCode = -1;
    ASSERT_TRUE(theApp.ParseCommandLine({path}, &exitCode));
    std::string shown;
    QTimer inspector;
    QObject::connect(&inspector, &QTimer::timeout, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (dialog == nullptr || dialog->objectName() != "IDD_MAIN") return;
        shown = dialog->findChild<QLineEdit*>("IDC_FILENAME")->text().toStdString();
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    inspector.start(5);
    EXPECT_FALSE(theApp.InitInstance());
    EXPECT_EQ(shown, path);
    ASSERT_TRUE(theApp.ParseCommandLine({}, &exitCode));
    theApp.m_pMainWnd = nullptr;
}

}  // namespace
}  // namespace arkseal

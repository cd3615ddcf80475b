// The main dialog in a real X session (run by run_in_desktop_session.sh, at
// the scale QT_SCALE_FACTOR gives): the status line shows every text whole,
// and the passphrase fields give accessibility clients nothing of what is
// typed into them.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTest>
#include <vector>

#include <arkseal/app/arkseal.h>
#include <arkseal/app/arkseal_dlg.h>
#include <arkseal/app/status_text.h>
#include <arkseal/job/job_result.h>
#include <arkseal/tests/app/qt_test_environment.h>
#include <arkseal/ui/qt/controls.h>
#include <arkseal/ui/qt/dialog_window.h>

namespace arkseal {
namespace {

// What accessibility clients would be sent: the layer hands every event on
// to the handler installed before it, this recorder.
struct SentText {
    int type;
    QString object;
    QString text;
};
std::vector<SentText> sent;

void Record(QAccessibleEvent* event) {
    QString text;
    switch (event->type()) {
        case QAccessible::TextInserted: text = static_cast<QAccessibleTextInsertEvent*>(event)->textInserted(); break;
        case QAccessible::TextRemoved: text = static_cast<QAccessibleTextRemoveEvent*>(event)->textRemoved(); break;
        case QAccessible::TextUpdated: {
            const auto* updated = static_cast<QAccessibleTextUpdateEvent*>(event);
            text = updated->textRemoved() + updated->textInserted();
            break;
        }
        case QAccessible::ValueChanged:
            text = static_cast<QAccessibleValueChangeEvent*>(event)->value().toString();
            break;
        default: return;
    }
    sent.push_back({event->type(), event->object() != nullptr ? event->object()->objectName() : QString(), text});
}

class DesktopEnvironment : public test::QtEnvironment {
public:
    void SetUp() override {
        QtEnvironment::SetUp();
        QAccessible::installUpdateHandler(Record);
    }
};

const auto* const environment = ::testing::AddGlobalTestEnvironment(new DesktopEnvironment);

class RealWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "run under run_in_desktop_session.sh";
        theApp.m_pMainWnd = &dlg_;
        ASSERT_TRUE(dlg_.Create());
        window_ = dlg_.Widget();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_));
    }
    void TearDown() override { theApp.m_pMainWnd = nullptr; }

    CArksealDlg dlg_;
    QWidget* window_ = nullptr;
};

// Rows of the image below `from` that hold anything but the background.
bool InkBelow(const QImage& image, int from) {
    const QRgb background = image.pixel(image.width() - 1, image.height() - 1);
    for (int y = from; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != background) return true;
        }
    }
    return false;
}

// Each text the status line shows, at its longest: the label grows to hold
// it all (drawn, it leaves nothing below its bottom edge), the bar moves
// down below it, and the window grows to hold both; with a short text it
// all goes back.
TEST_F(RealWindowTest, TheStatusLineShowsEveryTextWhole) {
    auto* label = window_->findChild<QLabel*>("label_status");
    auto* bar = window_->findChild<QProgressBar*>("IDC_PROGRESS");
    const int templateHeight = window_->height();
    Static status;
    status.Attach(label);
    JobResult readFailed;
    readFailed.step = JobStep::kRead;
    readFailed.error = EIO;
    readFailed.processed = 50069504;
    readFailed.length = 1258291200;
    readFailed.resumable = true;
    const std::string longName = "/home/ann/" + std::string(240, 'n') + ".iso";
    PassphraseStrength strong;
    strong.seconds = 1e30;
    strong.weak = false;
    const std::string texts[] = {
        "Status: " + StrengthText(strong),
        "Status: " + JobProgressText(JobMode::kResume, true, longName, 600'000'000, 1'258'291'200, 81e6),
        "Status: " + JobFailedText(JobMode::kDecrypt, false, longName, JobResultText(readFailed, longName)),
        "Status: " + NotStartedText(CArksealDlg::kPassphraseLimit),
        "Status: Not started: Could not open file to decrypt.",
    };
    int tallest = 0;
    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        status.SetWindowText(text);
        QCoreApplication::processEvents();
        tallest = std::max(tallest, window_->height());
        EXPECT_GE(label->height(), label->heightForWidth(label->width()));
        EXPECT_GE(bar->geometry().top(), label->geometry().bottom());
        EXPECT_LE(bar->geometry().bottom(), window_->height());
        EXPECT_TRUE(window_->rect().contains(label->geometry()));
        QImage drawn(label->width(), label->height() + 40, QImage::Format_RGB32);
        drawn.fill(Qt::white);
        label->resize(label->width(), drawn.height());
        label->render(&drawn);
        dlg_.Handle()->FitTexts();
        EXPECT_FALSE(InkBelow(drawn, label->height())) << "text drawn below the label";
    }
    EXPECT_GT(tallest, templateHeight);
    status.SetWindowText("Status:");
    EXPECT_EQ(window_->height(), templateHeight);
}

// The characters typed, pasted or set into a passphrase field never reach
// accessibility clients: each change is announced as that many '*'. The
// field keeps its name, role and password state, and its accessible text
// and value hold none of the passphrase. The file name field is announced
// as it is.
TEST_F(RealWindowTest, ThePassphraseFieldsExposeNoText) {
    ASSERT_TRUE(QTest::qWaitFor([] { return QAccessible::isActive(); }, 10000))
        << "the accessibility bus is not on: nothing would be announced";
    const QString passphrase = "zebra quilt vex";
    const std::pair<const char*, const char*> fields[] = {{"IDC_PASSPHRASE", "Passphrase"},
                                                          {"IDC_PASSPHRASE2", "Re-enter passphrase"}};
    for (const auto& [name, accessibleName] : fields) {
        SCOPED_TRACE(name);
        auto* edit = window_->findChild<QLineEdit*>(name);
        sent.clear();
        edit->setFocus();
        QTest::keyClicks(edit, passphrase);
        QTest::keyClick(edit, Qt::Key_Backspace);
        edit->selectAll();
        QApplication::clipboard()->setText("xylophone");
        edit->paste();
        edit->setText(passphrase);
        edit->end(false);
        edit->cursorBackward(true, 4);
        edit->del();
        ASSERT_GE(sent.size(), passphrase.size()) << "every change is announced";
        for (const SentText& event : sent) {
            EXPECT_EQ(event.text, QString(event.text.size(), '*')) << event.type << " " << event.text.toStdString();
        }

        QAccessibleInterface* field = QAccessible::queryAccessibleInterface(edit);
        ASSERT_NE(field, nullptr);
        EXPECT_EQ(field->text(QAccessible::Name), accessibleName);
        EXPECT_EQ(field->role(), QAccessible::EditableText);
        EXPECT_TRUE(field->state().passwordEdit);
        const QString text = edit->text();
        auto holdsNone = [&](const QString& exposed) {
            for (QChar c : exposed) {
                if (c != '*' && text.contains(c)) return false;
            }
            return true;
        };
        EXPECT_TRUE(holdsNone(field->text(QAccessible::Value))) << field->text(QAccessible::Value).toStdString();
        EXPECT_TRUE(holdsNone(field->text(QAccessible::Description)));
        if (QAccessibleTextInterface* textInterface = field->textInterface()) {
            const int length = textInterface->characterCount();
            EXPECT_TRUE(holdsNone(textInterface->text(0, length)));
            for (int offset = 0; offset < length; ++offset) {
                for (auto boundary :
                     {QAccessible::CharBoundary, QAccessible::WordBoundary, QAccessible::LineBoundary}) {
                    int start = 0, end = 0;
                    EXPECT_TRUE(holdsNone(textInterface->textAtOffset(offset, boundary, &start, &end)));
                    EXPECT_TRUE(holdsNone(textInterface->textBeforeOffset(offset, boundary, &start, &end)));
                    EXPECT_TRUE(holdsNone(textInterface->textAfterOffset(offset, boundary, &start, &end)));
                }
            }
        }
        // Nor does the clipboard get it.
        edit->selectAll();
        edit->copy();
        edit->cut();
        EXPECT_EQ(QApplication::clipboard()->text(), "xylophone");
        EXPECT_TRUE(edit->inputMethodHints() & Qt::ImhSensitiveData);
    }

    sent.clear();
    QTest::keyClicks(window_->findChild<QLineEdit*>("IDC_FILENAME"), "abc");
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.front().text, "a");
}

}  // namespace
}  // namespace arkseal

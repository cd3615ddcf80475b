#include <arkseal/ui/qt/dialog.h>

#include <QApplication>
#include <QMessageBox>
#include <QThread>

#include <arkseal/ui/core/application.h>
#include <arkseal/ui/core/message_box.h>
#include <arkseal/ui/qt/data_exchange.h>
#include <arkseal/ui/qt/dialog_window.h>
#include <arkseal/ui/qt/icon_images.h>
#include <arkseal/ui/qt/posted_message_event.h>

namespace arkseal {

Dialog::Dialog(int templateId, Window* parent) : templateId_(templateId), parent_(parent) {}

Dialog::~Dialog() { Destroy(); }

int Dialog::DoModal() {
    if (!Build()) return IDCANCEL;
    const int result = window_->exec();
    Destroy();
    return result;
}

bool Dialog::Create() {
    if (!Build()) return false;
    window_->show();
    return true;
}

// A dialog without a parent is owned by the application's main window, so
// that it stays above it.
bool Dialog::Build() {
    const DialogTemplate* dialogTemplate = FindDialogTemplate(templateId_);
    if (dialogTemplate == nullptr) return false;
    Window* owner = parent_;
    if (owner == nullptr && CurrentApplication() != nullptr && CurrentApplication()->m_pMainWnd != this) {
        owner = CurrentApplication()->m_pMainWnd;
    }
    Destroy();
    systemMenu_ = Menu{};
    window_ = std::make_unique<DialogWindow>(*this, *dialogTemplate, systemMenu_, WidgetOf(owner));
    widget_.store(window_.get());
    if (OnInitDialog()) window_->FocusFirstTabStopWhenShown();
    return true;
}

void Dialog::Destroy() {
    widget_.store(nullptr);
    window_.reset();
}

void Dialog::EndDialog(int result) {
    if (window_) window_->done(result);
}

bool Dialog::UpdateData(bool saveAndValidate) {
    if (!window_) return false;
    DataExchange dx(*this, saveAndValidate);
    DoDataExchange(dx);
    return true;
}

Menu* Dialog::GetSystemMenu() { return window_ ? &systemMenu_ : nullptr; }

// Qt keeps one window icon in several sizes; both calls set the same one.
void Dialog::SetIcon(const Icon& icon, bool) {
    if (window_) window_->setWindowIcon(IconImages(icon));
}

void Dialog::SetTimer(unsigned id, unsigned periodMs) {
    if (window_) window_->StartTimer(id, periodMs);
}

void Dialog::DragAcceptFiles(bool accept) {
    if (!window_) return;
    window_->AcceptFiles(accept);
    window_->setAcceptDrops(accept);
}

bool Dialog::OnInitDialog() {
    UpdateData(false);
    return true;
}

void Dialog::DoDataExchange(DataExchange&) {}

void Dialog::OnOK() {
    if (!UpdateData(true)) return;
    EndDialog(IDOK);
}

void Dialog::OnCancel() { EndDialog(IDCANCEL); }

void Dialog::OnSysCommand(WPARAM command, LPARAM) {
    if ((command & 0xFFF0) == SC_CLOSE) SendMessage(WM_CLOSE);
}

bool Dialog::Post(unsigned message, WPARAM wParam, LPARAM lParam) {
    QWidget* widget = widget_.load();
    if (widget == nullptr) return false;
    // postEvent is thread-safe; the window's event() hands the message to
    // SendMessage on the thread the window lives in.
    QCoreApplication::postEvent(widget, new PostedMessageEvent(message, wParam, lParam));
    return true;
}

void Dialog::RunOnWindowThread(const std::function<void()>& call) {
    QCoreApplication* qt = QCoreApplication::instance();
    if (qt != nullptr && QThread::currentThread() != qt->thread()) {
        QMetaObject::invokeMethod(qt, call, Qt::BlockingQueuedConnection);
    } else {
        call();
    }
}

// A question's No is also its escape button: Esc answers No.
int Dialog::ShowMessageBox(const std::string& caption, const std::string& text, unsigned type) {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        return Window::ShowMessageBox(caption, text, type);
    }
    const bool question = (type & 0xF) == MB_YESNO;
    const QMessageBox::Icon icon = (type & 0xF0) == MB_ICONWARNING ? QMessageBox::Warning : QMessageBox::NoIcon;
    QMessageBox box(icon, QString::fromLocal8Bit(caption), QString::fromLocal8Bit(text),
                    question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, Widget());
    box.setObjectName(question ? "question_box" : "message_box");
    if (question) {
        box.setDefaultButton(DefaultAnswer(type) == IDNO ? QMessageBox::No : QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
    }
    const int pressed = box.exec();
    if (!question) return IDOK;
    return pressed == QMessageBox::Yes ? IDYES : IDNO;
}

QWidget* WidgetOf(const Window* window) {
    const auto* dialog = dynamic_cast<const Dialog*>(window);
    return dialog != nullptr ? dialog->Widget() : nullptr;
}

const MessageMap* Dialog::GetMessageMap() const {
    static const MessageMapEntry entries[] = {
        OnCommand<&Dialog::HandleOk>(IDOK),
        OnCommand<&Dialog::HandleCancel>(IDCANCEL),
        OnMessage<&Dialog::HandleClose>(WM_CLOSE),
        OnMessage<&Dialog::HandleSysCommand>(WM_SYSCOMMAND),
    };
    static const MessageMap map{Window::GetMessageMap(), entries};
    return &map;
}

}  // namespace arkseal

#include <arkseal/ui/qt/dialog.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
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
    if (!window_) return;
    DismissBoxes();
    window_->done(result);
}

// The deepest first: a box over the about box goes before the about box.
void Dialog::DismissBoxes() {
    if (!window_) return;
    const QList<QDialog*> open = window_->findChildren<QDialog*>();
    for (auto box = open.rbegin(); box != open.rend(); ++box) {
        if ((*box)->isVisible()) (*box)->reject();
    }
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

namespace {

QMessageBox::Icon IconOf(unsigned type) {
    switch (type & MB_ICONMASK) {
        case MB_ICONERROR: return QMessageBox::Critical;
        case MB_ICONWARNING: return QMessageBox::Warning;
        case MB_ICONINFORMATION: return QMessageBox::Information;
        default: return QMessageBox::NoIcon;
    }
}

QPushButton* AddAnswer(QMessageBox& box, const std::string& text, QMessageBox::StandardButton standard,
                       QMessageBox::ButtonRole role, const char* name) {
    QPushButton* button = text.empty() ? box.addButton(standard) : box.addButton(QString::fromLocal8Bit(text), role);
    button->setObjectName(name);
    return button;
}

}  // namespace

// A question's No is also its escape button: Esc, closing the box and
// DismissBoxes answer No.
int Dialog::ShowMessageBox(const std::string& caption, const std::string& text, unsigned type,
                           const ButtonTexts& buttons) {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        return Window::ShowMessageBox(caption, text, type, buttons);
    }
    QMessageBox box(IconOf(type), QString::fromLocal8Bit(caption), QString::fromLocal8Bit(text), QMessageBox::NoButton,
                    Widget());
    if ((type & 0xF) != MB_YESNO) {
        box.setObjectName("message_box");
        box.addButton(QMessageBox::Ok);
        box.exec();
        return IDOK;
    }
    box.setObjectName("question_box");
    QPushButton* yes = AddAnswer(box, buttons.yes, QMessageBox::Yes, QMessageBox::AcceptRole, "answer_yes");
    QPushButton* no = AddAnswer(box, buttons.no, QMessageBox::No, QMessageBox::RejectRole, "answer_no");
    box.setDefaultButton(DefaultAnswer(type) == IDNO ? no : yes);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes ? IDYES : IDNO;
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

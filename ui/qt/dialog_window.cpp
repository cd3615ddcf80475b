#include <arkseal/ui/qt/dialog_window.h>

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimerEvent>
#include <QUrl>
#include <algorithm>

#include <arkseal/ui/core/dropped_files.h>
#include <arkseal/ui/qt/dialog.h>
#include <arkseal/ui/qt/dialog_units.h>
#include <arkseal/ui/qt/icon_images.h>
#include <arkseal/ui/qt/password_accessibility.h>
#include <arkseal/ui/qt/posted_message_event.h>
#include <arkseal/ui/qt/progress_bar_widget.h>
#include <arkseal/ui/qt/static_text_widget.h>

namespace arkseal {

namespace {

QString Text(const char* text) { return text != nullptr ? QString::fromLocal8Bit(text) : QString(); }

Qt::WindowFlags WindowFlags(std::uint32_t styles) {
    Qt::WindowFlags flags = (styles & kAppWindow) ? Qt::Window : Qt::Dialog;
    flags |= Qt::CustomizeWindowHint;
    if (styles & kCaption) flags |= Qt::WindowTitleHint;
    if (styles & kSystemMenu) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    return flags;
}

// Shift+F10 and the Menu key ask for the context menu from the keyboard.
bool IsMenuKey(const QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<const QKeyEvent*>(event);
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    return (key->key() == Qt::Key_Menu && modifiers == Qt::NoModifier) ||
           (key->key() == Qt::Key_F10 && modifiers == Qt::ShiftModifier);
}

bool IsKeyboardMenuRequest(const QEvent* event) {
    return event->type() == QEvent::ContextMenu &&
           static_cast<const QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Keyboard;
}

// A label's text names the control it stands for, without its mnemonic
// mark and colon: "&Filename:" names "Filename".
QString AccessibleNameOf(const QString& label) {
    QString name = label;
    name.remove(QRegularExpression("&(?!&)"));
    name.replace("&&", "&");
    if (name.endsWith(':')) name.chop(1);
    return name.trimmed();
}

std::vector<std::string> LocalFiles(const QMimeData* data) {
    std::vector<std::string> paths;
    if (data == nullptr) return paths;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) paths.push_back(QFile::encodeName(url.toLocalFile()).toStdString());
    }
    return paths;
}

}  // namespace

DialogWindow::DialogWindow(Dialog& owner, const DialogTemplate& dialogTemplate, const Menu& systemMenu, QWidget* parent)
    : QDialog(parent, WindowFlags(dialogTemplate.styles)), owner_(owner), systemMenu_(systemMenu) {
    setObjectName(dialogTemplate.name);
    setWindowTitle(Text(dialogTemplate.caption));
    QFont font(Text(dialogTemplate.fontFace));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(dialogTemplate.fontPoints);
    setFont(font);

    const QSize base = DialogBaseUnits(font);
    templateSize_ = DialogUnitsToPixels(QRect(0, 0, dialogTemplate.width, dialogTemplate.height), base).size();
    setFixedSize(templateSize_);
    QLabel* label = nullptr;  // the static text just before this control
    for (const ControlTemplate& control : dialogTemplate.controls) {
        QWidget* widget = MakeControl(control);
        NameAfterLabel(label, control, widget);
        label = control.kind == ControlKind::StaticText ? static_cast<QLabel*>(widget) : nullptr;
        widget->setObjectName(control.name);
        const QRect rect = DialogUnitsToPixels(QRect(control.x, control.y, control.width, control.height), base);
        widget->setGeometry(rect);
        templateRects_.emplace_back(widget, rect);
        widget->installEventFilter(this);
        if (control.id != -1) controls_[control.id] = widget;
        if (control.styles & kTabStop) {
            widget->setFocusPolicy(Qt::StrongFocus);
            tabStops_.push_back(widget);
        } else if (widget->focusPolicy() != Qt::NoFocus) {
            widget->setFocusPolicy(Qt::ClickFocus);
        }
    }
    for (std::size_t i = 1; i < tabStops_.size(); ++i) setTabOrder(tabStops_[i - 1], tabStops_[i]);
    FitTexts();
}

// A control moves down by what the texts above it grew; "above" means the
// text's template rectangle ends before the control's begins.
void DialogWindow::FitTexts() {
    std::map<QWidget*, int> growth;  // pixels each text needs beyond its template height
    int total = 0;
    for (const auto& [widget, rect] : templateRects_) {
        if (auto* text = dynamic_cast<StaticTextWidget*>(widget)) {
            growth[widget] = std::max(0, text->heightForWidth(rect.width()) - rect.height());
            total += growth[widget];
        }
    }
    for (const auto& [widget, rect] : templateRects_) {
        QRect placed = rect;
        if (growth.count(widget) != 0) placed.setHeight(rect.height() + growth[widget]);
        for (const auto& [text, textRect] : templateRects_) {
            if (growth.count(text) != 0 && textRect.bottom() < rect.top()) placed.translate(0, growth[text]);
        }
        widget->setGeometry(placed);
    }
    setFixedSize(templateSize_.width(), templateSize_.height() + total);
}

// As in a dialog template on Windows, a static text names the control that
// follows it: an edit or a progress bar, which have no text of their own,
// takes the label's text as its accessible name, and a label with a
// mnemonic ('&') becomes the buddy of the control, so Alt and the letter
// reach it.
void DialogWindow::NameAfterLabel(QLabel* label, const ControlTemplate& control, QWidget* widget) {
    if (label == nullptr || (control.kind != ControlKind::Edit && control.kind != ControlKind::ProgressBar)) return;
    widget->setAccessibleName(AccessibleNameOf(label->text()));
    if (label->text().contains('&') && (control.styles & kTabStop)) label->setBuddy(widget);
}

QWidget* DialogWindow::MakeControl(const ControlTemplate& control) {
    switch (control.kind) {
        case ControlKind::PushButton: {
            auto* button = new QPushButton(Text(control.text), this);
            button->setAutoDefault(true);
            button->setDefault(control.styles & kDefPushButton);
            connect(button, &QPushButton::clicked, this, [this, id = control.id] { SendCommand(id); });
            return button;
        }
        case ControlKind::StaticText: {
            if (control.styles & kNoPrefix) return new StaticTextWidget(Text(control.text), this);
            auto* label = new QLabel(Text(control.text), this);
            label->setTextFormat(Qt::PlainText);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            label->setWordWrap(control.styles & kLeftAligned);
            return label;
        }
        case ControlKind::StaticIcon: {
            // An icon control takes the size of its icon.
            auto* label = new QLabel(this);
            const QPixmap image = LargeIconImage(LoadIcon(control.imageId));
            label->setPixmap(image);
            label->setFixedSize(image.size());
            return label;
        }
        case ControlKind::Edit: {
            auto* edit = new QLineEdit(this);
            edit->setFrame(control.styles & kBorder);
            if (control.styles & kPassword) {
                edit->setEchoMode(QLineEdit::Password);
                ProtectPasswordFields();
            }
            connect(edit, &QLineEdit::textChanged, this, [this, id = control.id] { SendCommand(id, EN_CHANGE); });
            return edit;
        }
        case ControlKind::ProgressBar: return new ProgressBarWidget(this);
    }
    return new QWidget(this);
}

QWidget* DialogWindow::Control(int id) const {
    auto found = controls_.find(id);
    return found != controls_.end() ? found->second : nullptr;
}

void DialogWindow::StartTimer(unsigned id, unsigned periodMs) { timers_[startTimer(static_cast<int>(periodMs))] = id; }

void DialogWindow::SendCommand(int id, unsigned notifyCode) {
    owner_.SendMessage(WM_COMMAND, MakeCommandParam(id, notifyCode), 0);
}

// Menu choices arrive while the menu is still closing; the command is handled
// afterwards, so that it may run a modal dialog of its own.
void DialogWindow::SendSysCommandLater(unsigned command) {
    QMetaObject::invokeMethod(
        this, [this, command] { owner_.SendMessage(WM_SYSCOMMAND, command, 0); }, Qt::QueuedConnection);
}

// Enter with no default button, and Esc, arrive here from QDialog.
void DialogWindow::accept() { SendCommand(IDOK); }
void DialogWindow::reject() { SendCommand(IDCANCEL); }

bool DialogWindow::event(QEvent* event) {
    if (event->type() == PostedMessageEvent::EventType()) {
        const auto* posted = static_cast<PostedMessageEvent*>(event);
        owner_.SendMessage(posted->message, posted->wParam, posted->lParam);
        return true;
    }
    if (HandleFileDrag(event)) return true;
    return QDialog::event(event);
}

// Drags of files over a control belong to the dialog (an edit would take the
// file's URL as text), and so do the menu keys: they open the dialog's
// menu from any control, an edit's own menu stays on the right mouse button.
// A window system sends the Menu key twice, as the key and as a request for
// a context menu from the keyboard: both open the one menu.
bool DialogWindow::eventFilter(QObject* watched, QEvent* event) {
    if (HandleFileDrag(event)) return true;
    if (IsMenuKey(event) || IsKeyboardMenuRequest(event)) {
        auto* control = static_cast<QWidget*>(watched);
        ShowSystemMenu(control->mapToGlobal(control->rect().center()));
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void DialogWindow::keyPressEvent(QKeyEvent* event) {
    if (IsMenuKey(event)) {
        ShowSystemMenu(mapToGlobal(rect().center()));
        return;
    }
    QDialog::keyPressEvent(event);
}

bool DialogWindow::HandleFileDrag(QEvent* event) {
    if (!acceptFiles_) return false;
    if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
        auto* drag = static_cast<QDropEvent*>(event);
        if (LocalFiles(drag->mimeData()).empty()) return false;
        drag->acceptProposedAction();
        return true;
    }
    if (event->type() == QEvent::Drop) {
        auto* drop = static_cast<QDropEvent*>(event);
        DroppedFiles files{LocalFiles(drop->mimeData())};
        if (files.paths.empty()) return false;
        drop->acceptProposedAction();
        owner_.SendMessage(WM_DROPFILES, reinterpret_cast<WPARAM>(&files), 0);
        return true;
    }
    return false;
}

void DialogWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (focusFirstTabStop_ && !tabStops_.empty()) tabStops_.front()->setFocus(Qt::OtherFocusReason);
    focusFirstTabStop_ = false;
}

// The close box (or the window manager) asks; the dialog decides.
void DialogWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    owner_.SendMessage(WM_CLOSE, 0, 0);
}

void DialogWindow::contextMenuEvent(QContextMenuEvent* event) { ShowSystemMenu(event->globalPos()); }

void DialogWindow::ShowSystemMenu(const QPoint& where) {
    const QWidget* open = QApplication::activePopupWidget();
    if (open != nullptr && open->objectName() == "system_menu") return;
    auto* menu = new QMenu(this);
    menu->setObjectName("system_menu");
    menu->setAttribute(Qt::WA_DeleteOnClose);
    connect(menu->addAction(tr("&Close")), &QAction::triggered, this, [this] { SendSysCommandLater(SC_CLOSE); });
    for (const Menu::Item& item : systemMenu_.Items()) {
        if (item.separator) {
            menu->addSeparator();
        } else {
            connect(menu->addAction(QString::fromLocal8Bit(item.text)), &QAction::triggered, this,
                    [this, command = item.command] { SendSysCommandLater(command); });
        }
    }
    menu->popup(where);
}

void DialogWindow::timerEvent(QTimerEvent* event) {
    auto found = timers_.find(event->timerId());
    if (found == timers_.end()) return QDialog::timerEvent(event);
    owner_.SendMessage(WM_TIMER, found->second, 0);
}

}  // namespace arkseal

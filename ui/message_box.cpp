#include "ui/message_box.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>
#include <cstdio>
#include <mutex>

#include "ui/application.h"

namespace arkseal {

namespace {

std::mutex presenterLock;
MessageBoxPresenter presenter;

void ShowMessageBox(Window* owner, const std::string& caption, const std::string& text) {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QString::fromLocal8Bit(caption), QString::fromLocal8Bit(text),
                    QMessageBox::Ok, owner != nullptr ? owner->Widget() : nullptr);
    box.setObjectName("message_box");
    box.exec();
}

MessageBoxPresenter CurrentPresenter() {
    std::lock_guard lock(presenterLock);
    return presenter ? presenter : MessageBoxPresenter(ShowMessageBox);
}

}  // namespace

MessageBoxPresenter SetMessageBoxPresenter(MessageBoxPresenter replacement) {
    std::lock_guard lock(presenterLock);
    return std::exchange(presenter, std::move(replacement));
}

int MessageBox(Window* owner, const std::string& text) {
    const std::string caption = CurrentApplication() != nullptr ? CurrentApplication()->Title() : "Arkseal";
    const MessageBoxPresenter present = CurrentPresenter();
    QCoreApplication* qt = QCoreApplication::instance();
    if (qt != nullptr && QThread::currentThread() != qt->thread()) {
        QMetaObject::invokeMethod(
            qt, [&] { present(owner, caption, text); }, Qt::BlockingQueuedConnection);
    } else {
        present(owner, caption, text);
    }
    return IDOK;
}

}  // namespace arkseal

#include "ui/message_box.h"

#include <cstdio>
#include <mutex>
#include <utility>

#include "ui/application.h"

namespace arkseal {

namespace {

std::mutex presenterLock;
MessageBoxPresenter presenter;

void ShowMessageBox(Window* owner, const std::string& caption, const std::string& text) {
    if (owner != nullptr) {
        owner->ShowMessageBox(caption, text);
    } else {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    }
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
    const Application* application = CurrentApplication();
    const std::string caption = application != nullptr ? application->Title() : "Arkseal";
    if (owner == nullptr && application != nullptr) owner = application->m_pMainWnd;
    const MessageBoxPresenter present = CurrentPresenter();
    if (owner != nullptr) {
        owner->RunOnWindowThread([&] { present(owner, caption, text); });
    } else {
        present(owner, caption, text);
    }
    return IDOK;
}

}  // namespace arkseal

#include <arkseal/ui/core/message_box.h>

#include <cstdio>
#include <mutex>
#include <utility>

#include <arkseal/ui/core/application.h>

namespace arkseal {

namespace {

std::mutex presenterLock;
MessageBoxPresenter presenter;

int ShowMessageBox(Window* owner, const std::string& caption, const std::string& text, unsigned type,
                   const ButtonTexts& buttons) {
    if (owner != nullptr) return owner->ShowMessageBox(caption, text, type, buttons);
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    return DefaultAnswer(type);
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

MessageBoxPresenter SetMessageBoxPresenter(MessageBoxRecorder recorder) {
    if (!recorder) return SetMessageBoxPresenter(MessageBoxPresenter());
    return SetMessageBoxPresenter(MessageBoxPresenter(
        [recorder = std::move(recorder)](Window* owner, const std::string& caption, const std::string& text,
                                         unsigned type, const ButtonTexts&) {
            recorder(owner, caption, text);
            return DefaultAnswer(type);
        }));
}

MessageBoxPresenter SetMessageBoxPresenter(std::nullptr_t) { return SetMessageBoxPresenter(MessageBoxPresenter()); }

int DefaultAnswer(unsigned type) {
    if ((type & 0xF) != MB_YESNO) return IDOK;
    return (type & MB_DEFBUTTON2) ? IDNO : IDYES;
}

int MessageBox(Window* owner, const std::string& text, unsigned type, const ButtonTexts& buttons) {
    const Application* application = CurrentApplication();
    const std::string caption = application != nullptr ? application->Title() : "Arkseal";
    if (owner == nullptr && application != nullptr) owner = application->m_pMainWnd;
    const MessageBoxPresenter present = CurrentPresenter();
    if (owner == nullptr) return present(owner, caption, text, type, buttons);
    int answer = IDOK;
    owner->RunOnWindowThread([&] { answer = present(owner, caption, text, type, buttons); });
    return answer;
}

}  // namespace arkseal

#include <arkseal/ui/core/window.h>

#include <cstdio>

#include <arkseal/ui/core/message_box.h>

namespace arkseal {

LRESULT Window::SendMessage(unsigned message, WPARAM wParam, LPARAM lParam) {
    for (const MessageMap* map = GetMessageMap(); map != nullptr; map = map->base) {
        for (const MessageMapEntry& entry : map->entries) {
            if (entry.message != message) continue;
            if (message == WM_COMMAND &&
                (entry.controlId != CommandControlId(wParam) || entry.notifyCode != CommandNotifyCode(wParam))) {
                continue;
            }
            return entry.handler(*this, wParam, lParam);
        }
    }
    return DefWindowProc(message, wParam, lParam);
}

bool Window::Post(unsigned, WPARAM, LPARAM) { return false; }

void Window::RunOnWindowThread(const std::function<void()>& call) { call(); }

int Window::ShowMessageBox(const std::string& caption, const std::string& text, unsigned type, const ButtonTexts&) {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    return DefaultAnswer(type);
}

const MessageMap* Window::GetMessageMap() const { return nullptr; }

LRESULT Window::DefWindowProc(unsigned, WPARAM, LPARAM) { return 0; }

}  // namespace arkseal

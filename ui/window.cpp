#include "ui/window.h"

#include <QCoreApplication>
#include <QWidget>

#include "ui/posted_message_event.h"

namespace arkseal {

QEvent::Type PostedMessageEvent::EventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

LRESULT Window::SendMessage(unsigned message, WPARAM wParam, LPARAM lParam) {
    for (const MessageMap* map = GetMessageMap(); map != nullptr; map = map->base) {
        for (const MessageMapEntry& entry : map->entries) {
            if (entry.message != message) continue;
            if (message == WM_COMMAND && (entry.controlId != CommandControlId(wParam) ||
                                          entry.notifyCode != CommandNotifyCode(wParam))) {
                continue;
            }
            return entry.handler(*this, wParam, lParam);
        }
    }
    return DefWindowProc(message, wParam, lParam);
}

bool Window::Post(unsigned message, WPARAM wParam, LPARAM lParam) {
    QWidget* widget = widget_.load();
    if (widget == nullptr) return false;
    // postEvent is thread-safe; the widget's event() hands the message to
    // SendMessage on the thread the widget lives in.
    QCoreApplication::postEvent(widget, new PostedMessageEvent(message, wParam, lParam));
    return true;
}

const MessageMap* Window::GetMessageMap() const { return nullptr; }

LRESULT Window::DefWindowProc(unsigned, WPARAM, LPARAM) { return 0; }

}  // namespace arkseal

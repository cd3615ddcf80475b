#include <arkseal/ui/qt/posted_message_event.h>

namespace arkseal {

QEvent::Type PostedMessageEvent::EventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

}  // namespace arkseal

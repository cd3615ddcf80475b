// The Qt event that carries a posted message to the user-interface thread.
#pragma once

#include <QEvent>

#include <arkseal/ui/core/messages.h>

namespace arkseal {

class PostedMessageEvent : public QEvent {
public:
    static QEvent::Type EventType();

    PostedMessageEvent(unsigned message, WPARAM wParam, LPARAM lParam)
        : QEvent(EventType()), message(message), wParam(wParam), lParam(lParam) {}

    const unsigned message;
    const WPARAM wParam;
    const LPARAM lParam;
};

}  // namespace arkseal

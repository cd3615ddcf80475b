// A window of the dialog layer: the target of messages, sent (handled at
// once on the calling thread) or posted (queued for the user-interface
// thread from any thread), and dispatched through the class's message map.
#pragma once

#include <atomic>

#include "ui/message_map.h"
#include "ui/messages.h"

class QWidget;

namespace arkseal {

class Window {
public:
    Window() = default;
    virtual ~Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // Handles the message now, on the calling thread (the user-interface
    // thread for a real window).
    LRESULT SendMessage(unsigned message, WPARAM wParam = 0, LPARAM lParam = 0);

    // Queues the message for the user-interface thread and returns at once;
    // callable from any thread. False when the window does not exist (yet or
    // any more); the message is then dropped.
    virtual bool Post(unsigned message, WPARAM wParam, LPARAM lParam);

    // The Qt widget behind the window, null while it does not exist.
    QWidget* Widget() const { return widget_.load(); }

protected:
    virtual const MessageMap* GetMessageMap() const;
    // What no message map handles.
    virtual LRESULT DefWindowProc(unsigned message, WPARAM wParam, LPARAM lParam);

    void SetWidget(QWidget* widget) { widget_.store(widget); }

private:
    // Read by posting threads while the user-interface thread creates and
    // destroys the widget.
    std::atomic<QWidget*> widget_{nullptr};
};

// Posts a message to a window; see Window::Post.
inline bool PostMessage(Window* window, unsigned message, WPARAM wParam, LPARAM lParam) {
    return window != nullptr && window->Post(message, wParam, lParam);
}

}  // namespace arkseal

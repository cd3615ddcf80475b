// A window of the dialog layer: the target of messages, sent (handled at
// once on the calling thread) or posted (queued for the window's thread from
// any thread), and dispatched through the class's message map.
//
// This base needs no toolkit: a window that is not on screen (a command-line
// program's stand-in for a dialog, a test's recorder) derives from it and
// says itself what posting a message and showing a message box mean. The
// layer's dialogs (ui/qt/) override these with the toolkit's versions; what
// is on screen behind a window is theirs to know, not this base's.
#pragma once

#include <functional>
#include <string>

#include <arkseal/ui/core/message_map.h>
#include <arkseal/ui/core/messages.h>

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

    // Queues the message for the window's thread and returns at once;
    // callable from any thread. False when the window cannot take it (it
    // does not exist yet or any more); the message is then dropped. This
    // base has no queue and drops every message.
    virtual bool Post(unsigned message, WPARAM wParam, LPARAM lParam);

    // Runs call on the thread the window belongs to and returns once it has
    // run; message boxes owned by the window are shown this way. This base
    // runs it on the calling thread.
    virtual void RunOnWindowThread(const std::function<void()>& call);

    // Shows a message box of the type (see MessageBox) owned by the window,
    // on the window's thread, and returns the answer. This base writes
    // "caption: text" to standard error and takes the default answer.
    virtual int ShowMessageBox(const std::string& caption, const std::string& text, unsigned type,
                               const ButtonTexts& buttons);

protected:
    virtual const MessageMap* GetMessageMap() const;
    // What no message map handles.
    virtual LRESULT DefWindowProc(unsigned message, WPARAM wParam, LPARAM lParam);
};

// Posts a message to a window; see Window::Post.
inline bool PostMessage(Window* window, unsigned message, WPARAM wParam, LPARAM lParam) {
    return window != nullptr && window->Post(message, wParam, lParam);
}

}  // namespace arkseal

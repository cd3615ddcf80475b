// Message boxes: modal, owned by a window, the application's title as
// caption, an OK button only.
//
// Every box goes through one presenter. The default one shows a real box
// on the user-interface thread; a test replaces it to record the texts.
// MessageBox may be called from any thread: from a worker it has the
// presenter run on the user-interface thread and waits until the box has
// been dismissed. Without a Qt application (a program without windows),
// the presenter runs on the calling thread.
#pragma once

#include <functional>
#include <string>

#include "ui/window.h"

namespace arkseal {

using MessageBoxPresenter =
    std::function<void(Window* owner, const std::string& caption, const std::string& text)>;

// Installs a presenter and returns the previous one; an empty one restores
// the default.
MessageBoxPresenter SetMessageBoxPresenter(MessageBoxPresenter presenter);

// Shows the text; returns IDOK once the box is dismissed.
int MessageBox(Window* owner, const std::string& text);

}  // namespace arkseal

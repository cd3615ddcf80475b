// Message boxes: modal, owned by a window, the application's title as
// caption, an OK button only.
//
// Every box goes through one presenter. The default one has the owner show
// the box (a dialog shows a real one; a window that is not on screen writes
// the text to standard error); a test replaces it to record the texts.
// MessageBox may be called from any thread: the presenter runs on the
// owner's thread (the user-interface thread for a dialog) and MessageBox
// returns once the box has been dismissed. A box without an owner belongs
// to the application's main window, or, without one, to no window: it is
// then written to standard error on the calling thread.
#pragma once

#include <functional>
#include <string>

#include "ui/window.h"

namespace arkseal {

using MessageBoxPresenter = std::function<void(Window* owner, const std::string& caption, const std::string& text)>;

// Installs a presenter and returns the previous one; an empty one restores
// the default.
MessageBoxPresenter SetMessageBoxPresenter(MessageBoxPresenter presenter);

// Shows the text; returns IDOK once the box is dismissed.
int MessageBox(Window* owner, const std::string& text);

}  // namespace arkseal

// Message boxes: modal, owned by a window, the application's title as
// caption; an OK button only, or for a question Yes and No, or two buttons
// that say what they do ("Decrypt anyway", "Cancel"); an error, warning or
// information icon.
//
// A question (MB_YESNO) answers IDYES or IDNO. Its default button is Yes,
// or No with MB_DEFBUTTON2: Enter presses the default button, and Esc
// always answers No, so a question that must not be taken lightly is
// MB_YESNO | MB_DEFBUTTON2 and changes nothing unless the user picks Yes.
//
// Every box goes through one presenter. The default one has the owner show
// the box (a dialog shows a real one; a window that is not on screen writes
// the text to standard error and takes the default answer); a test replaces
// it to record the texts and give the answers. MessageBox may be called
// from any thread: the presenter runs on the owner's thread (the
// user-interface thread for a dialog) and MessageBox returns once the box
// has been dismissed. A box without an owner belongs to the application's
// main window, or, without one, to no window: it is then written to
// standard error on the calling thread.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include <arkseal/ui/core/window.h>

namespace arkseal {

// Shows the box and returns the answer: IDOK, IDYES or IDNO.
using MessageBoxPresenter = std::function<int(Window* owner, const std::string& caption, const std::string& text,
                                              unsigned type, const ButtonTexts& buttons)>;
// Only records the box: every box takes its default answer.
using MessageBoxRecorder = std::function<void(Window* owner, const std::string& caption, const std::string& text)>;

// Installs a presenter and returns the previous one; an empty one (or
// nullptr) restores the default.
MessageBoxPresenter SetMessageBoxPresenter(MessageBoxPresenter presenter);
MessageBoxPresenter SetMessageBoxPresenter(MessageBoxRecorder recorder);
MessageBoxPresenter SetMessageBoxPresenter(std::nullptr_t);

// What Enter gives on a box of this type: IDOK, or the question's default.
int DefaultAnswer(unsigned type);

// Shows the text; returns the answer once the box is dismissed. A
// question's buttons carry the given texts (Yes and No when empty).
int MessageBox(Window* owner, const std::string& text, unsigned type = MB_OK, const ButtonTexts& buttons = {});

}  // namespace arkseal

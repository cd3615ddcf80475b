// Control objects: bound to a dialog's controls by data exchange, they act
// on the control's widget.
#pragma once

#include <cstdint>
#include <string>

class QWidget;

namespace arkseal {

class Control {
public:
    void Attach(QWidget* widget) { widget_ = widget; }
    void EnableWindow(bool enable);
    bool IsWindowEnabled() const;
    // Gives the control the keyboard focus.
    void SetFocus();
    bool HasFocus() const;

protected:
    QWidget* widget_ = nullptr;
};

class Button : public Control {};

// A static text control.
class Static : public Control {
public:
    // 8-bit text, shown as it is ('&' marks no mnemonic).
    void SetWindowText(const std::string& text);
};

// An edit control.
class Edit : public Control {
public:
    // The text in 8 bits; a caller that reads a passphrase wipes the copy.
    std::string GetWindowText() const;
    // A tip that points at the edit with the text, until the user moves on.
    void ShowBalloonTip(const std::string& text);
};

// A progress bar over a 64-bit range; the widget scales it into its own.
class ProgressBar : public Control {
public:
    void SetRange(std::int64_t lower, std::int64_t upper);
    void SetPos(std::int64_t position);
};

}  // namespace arkseal

// Control objects: bound to a dialog's controls by data exchange, they act
// on the control's widget.
#pragma once

#include <cstdint>

class QWidget;

namespace arkseal {

class Control {
public:
    void Attach(QWidget* widget) { widget_ = widget; }
    void EnableWindow(bool enable);
    bool IsWindowEnabled() const;

protected:
    QWidget* widget_ = nullptr;
};

class Button : public Control {};

// A progress bar over a 64-bit range; the widget scales it into its own.
class ProgressBar : public Control {
public:
    void SetRange(std::int64_t lower, std::int64_t upper);
    void SetPos(std::int64_t position);
};

}  // namespace arkseal

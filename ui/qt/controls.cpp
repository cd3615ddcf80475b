#include <arkseal/ui/qt/controls.h>

#include <QLabel>
#include <QLineEdit>
#include <QWidget>

#include <arkseal/ui/qt/progress_bar_widget.h>

namespace arkseal {

void Control::EnableWindow(bool enable) {
    if (widget_ != nullptr) widget_->setEnabled(enable);
}

bool Control::IsWindowEnabled() const { return widget_ != nullptr && widget_->isEnabled(); }

void Control::SetFocus() {
    if (widget_ != nullptr) widget_->setFocus(Qt::OtherFocusReason);
}

bool Control::HasFocus() const { return widget_ != nullptr && widget_->hasFocus(); }

void Static::SetWindowText(const std::string& text) {
    if (auto* label = dynamic_cast<QLabel*>(widget_)) label->setText(QString::fromLocal8Bit(text));
}

std::string Edit::GetWindowText() const {
    auto* edit = dynamic_cast<QLineEdit*>(widget_);
    return edit != nullptr ? edit->text().toLocal8Bit().toStdString() : std::string();
}

void ProgressBar::SetRange(std::int64_t lower, std::int64_t upper) {
    if (auto* bar = dynamic_cast<ProgressBarWidget*>(widget_)) bar->SetRange64(lower, upper);
}

void ProgressBar::SetPos(std::int64_t position) {
    if (auto* bar = dynamic_cast<ProgressBarWidget*>(widget_)) bar->SetPosition64(position);
}

}  // namespace arkseal

#include <arkseal/ui/qt/controls.h>

#include <QLabel>
#include <QLineEdit>
#include <QToolTip>
#include <QWidget>

#include <arkseal/ui/qt/dialog_window.h>
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

// The dialog makes room for the new text.
void Static::SetWindowText(const std::string& text) {
    auto* label = dynamic_cast<QLabel*>(widget_);
    if (label == nullptr) return;
    label->setText(QString::fromLocal8Bit(text));
    if (auto* dialog = dynamic_cast<DialogWindow*>(label->parentWidget())) dialog->FitTexts();
}

std::string Edit::GetWindowText() const {
    auto* edit = dynamic_cast<QLineEdit*>(widget_);
    return edit != nullptr ? edit->text().toLocal8Bit().toStdString() : std::string();
}

void Edit::ShowBalloonTip(const std::string& text) {
    if (widget_ == nullptr) return;
    QToolTip::showText(widget_->mapToGlobal(QPoint(0, widget_->height())), QString::fromLocal8Bit(text), widget_);
}

void ProgressBar::SetRange(std::int64_t lower, std::int64_t upper) {
    if (auto* bar = dynamic_cast<ProgressBarWidget*>(widget_)) bar->SetRange64(lower, upper);
}

void ProgressBar::SetPos(std::int64_t position) {
    if (auto* bar = dynamic_cast<ProgressBarWidget*>(widget_)) bar->SetPosition64(position);
}

}  // namespace arkseal

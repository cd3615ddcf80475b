#include <arkseal/ui/qt/progress_bar_widget.h>

#include <algorithm>
#include <climits>

namespace arkseal {

ProgressBarWidget::ProgressBarWidget(QWidget* parent) : QProgressBar(parent) {
    setTextVisible(false);
    Show();
}

void ProgressBarWidget::SetRange64(std::int64_t lower, std::int64_t upper) {
    lower_ = lower;
    upper_ = upper;
    Show();
}

void ProgressBarWidget::SetPosition64(std::int64_t position) {
    position_ = position;
    Show();
}

void ProgressBarWidget::Show() {
    if (upper_ <= lower_) {
        // QProgressBar would show a busy indicator for an empty range.
        setRange(0, 1);
        setValue(0);
        return;
    }
    const auto span = static_cast<std::uint64_t>(upper_) - static_cast<std::uint64_t>(lower_);
    const auto done =
        static_cast<std::uint64_t>(std::clamp(position_, lower_, upper_)) - static_cast<std::uint64_t>(lower_);
    int shift = 0;
    while ((span >> shift) > static_cast<std::uint64_t>(INT_MAX)) ++shift;
    setRange(0, static_cast<int>(span >> shift));
    setValue(static_cast<int>(done >> shift));
}

}  // namespace arkseal

#include <arkseal/ui/qt/progress_bar_widget.h>

#include <algorithm>

namespace arkseal {

ProgressBarWidget::ProgressBarWidget(QWidget* parent) : QProgressBar(parent) {
    setTextVisible(false);
    setFormat(QStringLiteral("%p%"));
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

// Always 0 .. 1000: the bar has fewer pixels than steps, and a screen
// reader reads the value against that range as a percentage, never bytes.
void ProgressBarWidget::Show() {
    constexpr int kSteps = 1000;
    setRange(0, kSteps);
    if (upper_ <= lower_) {
        setValue(0);
        return;
    }
    const auto span =
        static_cast<unsigned __int128>(static_cast<std::uint64_t>(upper_) - static_cast<std::uint64_t>(lower_));
    const auto done = static_cast<unsigned __int128>(static_cast<std::uint64_t>(std::clamp(position_, lower_, upper_)) -
                                                     static_cast<std::uint64_t>(lower_));
    setValue(static_cast<int>(done * kSteps / span));
}

}  // namespace arkseal

// The progress-bar widget behind ProgressBar (inside the layer only): it
// keeps a 64-bit range and position and shows them as thousandths of the
// range. An empty range shows an empty bar.
#pragma once

#include <QProgressBar>
#include <cstdint>

namespace arkseal {

class ProgressBarWidget : public QProgressBar {
public:
    explicit ProgressBarWidget(QWidget* parent);

    void SetRange64(std::int64_t lower, std::int64_t upper);
    void SetPosition64(std::int64_t position);

    std::int64_t Lower() const { return lower_; }
    std::int64_t Upper() const { return upper_; }
    std::int64_t Position() const { return position_; }

private:
    void Show();

    std::int64_t lower_ = 0;
    std::int64_t upper_ = 100;
    std::int64_t position_ = 0;
};

}  // namespace arkseal

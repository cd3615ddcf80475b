#include <arkseal/cli/progress_bar.h>

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>

#include <arkseal/job/human_units.h>

namespace arkseal {

namespace {

constexpr double kSmoothingSeconds = 2.0;
constexpr double kRedrawSeconds = 0.1;

std::string Bytes(double bytes) {
    const char* units[] = {"B", "kB", "MB", "GB", "TB"};
    int unit = 0;
    while (bytes >= 1000 && unit < 4) {
        bytes /= 1000;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, unit == 0 ? "%.0f %s" : "%.1f %s", bytes, units[unit]);
    return text;
}

std::string Duration(double seconds) {
    if (!std::isfinite(seconds) || seconds < 0 || seconds > 360000) return "--:--";
    return DurationText(seconds);
}

int TerminalWidth(std::FILE* out) {
    winsize size{};
    if (ioctl(fileno(out), TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    return 80;
}

}  // namespace

std::string FormatProgressLine(const std::string& label, const ProgressState& state, int width) {
    const double fraction =
        state.length > 0 ? std::clamp(static_cast<double>(state.position) / static_cast<double>(state.length), 0.0, 1.0)
                         : 1.0;
    char percent[8];
    std::snprintf(percent, sizeof percent, "%3d%%", static_cast<int>(fraction * 100));
    // Fields of fixed width, so that the bar keeps its size from one draw
    // to the next.
    char speed[16] = "  --.-";
    if (state.bytesPerSecond > 0) std::snprintf(speed, sizeof speed, "%6.1f", state.bytesPerSecond / 1e6);
    std::string time;
    if (state.elapsedSeconds >= 0) {
        time = "in " + Duration(std::floor(state.elapsedSeconds));
    } else {
        time = (state.bytesPerSecond > 0
                    ? Duration(static_cast<double>(state.length - state.position) / state.bytesPerSecond)
                    : std::string("--:--")) +
               " left";
    }
    char tailText[128];
    std::snprintf(tailText, sizeof tailText, " %s %9s / %-9s %s MB/s %13s", percent,
                  Bytes(static_cast<double>(state.position)).c_str(), Bytes(static_cast<double>(state.length)).c_str(),
                  speed, time.c_str());
    const std::string tail = tailText;
    // label, a bar of at least 10 cells, then the figures; the label gives
    // way first on a narrow terminal.
    const int room = width - 1 - static_cast<int>(tail.size());
    std::string shown = label;
    const int barCells = std::max(10, std::min(30, room - static_cast<int>(shown.size()) - 3));
    const int labelRoom = std::max(0, room - barCells - 3);
    if (static_cast<int>(shown.size()) > labelRoom) {
        shown = labelRoom > 3 ? "..." + shown.substr(shown.size() - static_cast<std::size_t>(labelRoom - 3)) : "";
    }
    const int filled = static_cast<int>(fraction * barCells);
    std::string line = shown + (shown.empty() ? "" : " ") + "[" + std::string(static_cast<std::size_t>(filled), '#') +
                       std::string(static_cast<std::size_t>(barCells - filled), '.') + "]" + tail;
    if (static_cast<int>(line.size()) >= width) line.resize(static_cast<std::size_t>(std::max(0, width - 1)));
    return line;
}

ProgressBar::ProgressBar(std::FILE* out, bool enabled) : out_(out), enabled_(enabled) {}

void ProgressBar::Start(const std::string& label, std::int64_t length, Clock::time_point now) {
    label_ = label;
    state_ = ProgressState{0, length, 0};
    start_ = last_ = now;
    lastPosition_ = 0;
    Draw();
}

void ProgressBar::Describe(const std::string& label, std::int64_t length) {
    label_ = label;
    state_.length = length;
}

// At most ten redraws a second; the speed is measured over the same steps.
void ProgressBar::Update(std::int64_t position, Clock::time_point now) {
    const double seconds = std::chrono::duration<double>(now - last_).count();
    if (seconds < kRedrawSeconds) return;
    const double rate = static_cast<double>(position - lastPosition_) / seconds;
    const double weight = 1 - std::exp(-seconds / kSmoothingSeconds);
    state_.bytesPerSecond =
        state_.bytesPerSecond > 0 ? state_.bytesPerSecond + weight * (rate - state_.bytesPerSecond) : rate;
    state_.position = position;
    last_ = now;
    lastPosition_ = position;
    Draw();
}

// The last line shows the average speed and the time the whole file took.
void ProgressBar::Finish(std::int64_t position, Clock::time_point now) {
    const double seconds = std::chrono::duration<double>(now - start_).count();
    state_.position = position;
    state_.elapsedSeconds = seconds;
    if (seconds > 0 && position > 0) state_.bytesPerSecond = static_cast<double>(position) / seconds;
    Draw();
    if (enabled_ && drawn_) std::fputc('\n', out_);
    drawn_ = false;
}

void ProgressBar::Clear() {
    if (!enabled_ || !drawn_) return;
    std::fputs("\r\x1b[K", out_);
    std::fflush(out_);
    drawn_ = false;
}

void ProgressBar::Draw() {
    if (!enabled_) return;
    std::fputs(("\r" + FormatProgressLine(label_, state_, TerminalWidth(out_)) + "\x1b[K").c_str(), out_);
    std::fflush(out_);
    drawn_ = true;
}

bool IsTerminal(std::FILE* out) { return isatty(fileno(out)) != 0; }

}  // namespace arkseal

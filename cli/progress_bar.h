// The progress bar on standard error: one line, redrawn in place, with the
// percentage, the bytes done, the speed and the time left. The speed is
// smoothed (an exponential average over about two seconds), so that the
// time left does not jump with every chunk.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

namespace arkseal {

struct ProgressState {
    std::int64_t position = 0;
    std::int64_t length = 0;
    double bytesPerSecond = 0;   // 0: not known yet
    double elapsedSeconds = -1;  // set once the file is done: shown instead of the time left
};

// The line for a terminal of the given width, without a line end.
std::string FormatProgressLine(const std::string& label, const ProgressState& state, int width);

class ProgressBar {
public:
    using Clock = std::chrono::steady_clock;

    // A disabled bar draws nothing.
    ProgressBar(std::FILE* out, bool enabled);

    void Start(const std::string& label, std::int64_t length, Clock::time_point now);
    // A new label and length, shown from the next draw on.
    void Describe(const std::string& label, std::int64_t length);
    void Update(std::int64_t position, Clock::time_point now);
    // Draws the last state and ends the line.
    void Finish(std::int64_t position, Clock::time_point now);
    // Erases the line, so that a message can be written in its place.
    void Clear();

private:
    void Draw();

    std::FILE* out_;
    bool enabled_;
    bool drawn_ = false;
    std::string label_;
    ProgressState state_;
    Clock::time_point start_;
    Clock::time_point last_;
    std::int64_t lastPosition_ = 0;
};

// Whether a bar belongs on the stream: only when it is a terminal.
bool IsTerminal(std::FILE* out);

}  // namespace arkseal

// Frames on a stream socket: a 4-byte big-endian length, then that many
// bytes. Both calls deal with short reads and writes and interrupts, and
// give up on a peer that does not keep up: each frame must go through
// whole within the timeout, so a peer that stops part-way through one, or
// sends nothing at all, cannot hold this side forever.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace example {

constexpr std::uint32_t kMaxFrame = 1 << 20;

// False with *why set when the frame could not be sent whole in time.
bool SendFrame(int fd, const std::vector<std::uint8_t>& payload, int timeoutMs, std::string* why);
// False with *why set at the end of the stream, on an error, on a frame
// longer than kMaxFrame, or when the frame has not arrived whole in time.
bool ReceiveFrame(int fd, std::vector<std::uint8_t>& payload, int timeoutMs, std::string* why);

}  // namespace example

// Frames on a stream socket: a 4-byte big-endian length, then that many
// bytes. Both calls deal with short reads and writes and interrupts.
#pragma once

#include <cstdint>
#include <vector>

namespace example {

constexpr std::uint32_t kMaxFrame = 1 << 20;

bool SendFrame(int fd, const std::vector<std::uint8_t>& payload);
// False at end of stream, on an error or on a frame longer than kMaxFrame.
bool ReceiveFrame(int fd, std::vector<std::uint8_t>& payload);

}  // namespace example

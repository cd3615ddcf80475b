// One peer's side of the example protocol on a connected socket:
//   1. both send their 33-byte public value and read the other's;
//   2. both derive the key and send their 64-byte check value; a peer whose
//      check value differs ends the session;
//   3. messages alternate, role 1 first, each one encrypted by its sender
//      and decrypted by its receiver, so that both objects pass every
//      message through their cipher stream in the same order.
#pragma once

#include <string>
#include <vector>

namespace example {

struct SessionOptions {
    int role = 1;                       // 1 or 2
    std::string passphrase;             // empty: plain key agreement (method 4)
    std::vector<std::string> messages;  // what this side says, in turn
    int timeoutMs = 30000;              // for each frame to go through whole
};

// Runs the session on fd in the calling thread's arithmetic workspace and
// prints what happens; true when the keys agreed and every message arrived.
bool RunSession(int fd, const SessionOptions& options);

}  // namespace example

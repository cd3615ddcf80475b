// arkseal-cli: the desktop program's file job from the command line.
#pragma once

namespace arkseal {

// Exit status of the program.
inline constexpr int kExitDone = 0;
inline constexpr int kExitRefused = 1;    // usage or input refused; nothing was changed
inline constexpr int kExitJobFailed = 2;  // reading or writing a file failed during its job
inline constexpr int kExitUsage = 64;     // the command line is wrong (EX_USAGE); nothing was done
// Stopped by signal N: 128 + N, as a shell reports it.

int RunCli(int argc, char** argv);

}  // namespace arkseal

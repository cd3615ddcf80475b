// The files of a drop onto a window: WM_DROPFILES carries the address of
// a DroppedFiles in wParam, valid while the message is handled.
#pragma once

#include <string>
#include <vector>

#include <arkseal/ui/core/messages.h>

namespace arkseal {

struct DroppedFiles {
    std::vector<std::string> paths;  // 8-bit local file names
};

inline const DroppedFiles& DroppedFilesOf(WPARAM wParam) { return *reinterpret_cast<const DroppedFiles*>(wParam); }

}  // namespace arkseal

// Icons: a handle to an icon resource, shown as a window's icon or in a
// static icon control.
#pragma once

#include <arkseal/ui/core/resources.h>

namespace arkseal {

struct Icon {
    const IconResource* resource = nullptr;
    explicit operator bool() const { return resource != nullptr; }
};

// The icon with the given resource id; an empty handle when there is none.
Icon LoadIcon(int id);

}  // namespace arkseal

// Qt images of icon resources (inside the layer only).
#pragma once

#include <QIcon>
#include <QPixmap>

#include <arkseal/ui/core/icon.h>

namespace arkseal {

// Both sizes of the icon; an empty QIcon for an empty handle.
QIcon IconImages(const Icon& icon);
// The large image; a null pixmap for an empty handle.
QPixmap LargeIconImage(const Icon& icon);

}  // namespace arkseal

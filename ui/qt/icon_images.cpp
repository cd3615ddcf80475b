#include <arkseal/ui/qt/icon_images.h>

namespace arkseal {

QIcon IconImages(const Icon& icon) {
    QIcon images;
    if (icon) {
        images.addPixmap(QPixmap(icon.resource->large));
        images.addPixmap(QPixmap(icon.resource->small));
    }
    return images;
}

QPixmap LargeIconImage(const Icon& icon) { return icon ? QPixmap(icon.resource->large) : QPixmap(); }

}  // namespace arkseal

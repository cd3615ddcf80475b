#include <arkseal/ui/core/icon.h>

namespace arkseal {

Icon LoadIcon(int id) { return Icon{FindIcon(id)}; }

}  // namespace arkseal

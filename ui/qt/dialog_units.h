// Dialog units to pixels (inside the layer only).
//
// A dialog's base units are the average character width and the character
// height of its font; the average width is that of the 52 Latin letters,
// rounded half up, as Windows computes it. Four horizontal dialog units are
// one base width, eight vertical units one base height.
#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

namespace arkseal {

QSize DialogBaseUnits(const QFont& font);
QRect DialogUnitsToPixels(const QRect& units, const QSize& baseUnits);

}  // namespace arkseal

#include <arkseal/ui/qt/dialog_units.h>

#include <QFontMetrics>

namespace arkseal {

namespace {

// a * b / c rounded to the nearest integer.
int MulDiv(int a, int b, int c) { return (a * b + c / 2) / c; }

}  // namespace

QSize DialogBaseUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    const int letters =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return QSize((letters / 26 + 1) / 2, metrics.height());
}

QRect DialogUnitsToPixels(const QRect& units, const QSize& base) {
    return QRect(MulDiv(units.x(), base.width(), 4), MulDiv(units.y(), base.height(), 8),
                 MulDiv(units.width(), base.width(), 4), MulDiv(units.height(), base.height(), 8));
}

}  // namespace arkseal

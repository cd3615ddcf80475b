#include <arkseal/ui/qt/static_text_widget.h>

#include <QPainter>
#include <QTextLayout>

namespace arkseal {

namespace {

QTextOption Wrapping() {
    QTextOption option(Qt::AlignLeft | Qt::AlignTop);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    return option;
}

}  // namespace

StaticTextWidget::StaticTextWidget(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setWordWrap(true);
}

int StaticTextWidget::heightForWidth(int width) const {
    QTextLayout layout(text(), font());
    layout.setTextOption(Wrapping());
    layout.beginLayout();
    qreal height = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        height += line.height();
    }
    layout.endLayout();
    return qCeil(height);
}

void StaticTextWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    painter.drawText(QRectF(contentsRect()), text(), Wrapping());
}

}  // namespace arkseal

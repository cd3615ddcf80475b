// The widget behind a static text that shows its text as it is ('&' is no
// mnemonic mark; inside the layer only). It wraps at word boundaries, and
// inside a word that is wider than the control (a long file name), so that
// no part of the text is ever cut off sideways; its dialog makes it as tall
// as the text needs (DialogWindow::FitTexts).
#pragma once

#include <QLabel>

namespace arkseal {

class StaticTextWidget : public QLabel {
public:
    StaticTextWidget(const QString& text, QWidget* parent);

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace arkseal

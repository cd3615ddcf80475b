#include "ui/data_exchange.h"

#include <QLineEdit>
#include <algorithm>

#include "ui/dialog.h"
#include "ui/dialog_window.h"

namespace arkseal {

namespace {

QWidget* ControlOf(DataExchange& dx, int id) {
    DialogWindow* window = dx.dialog.Handle();
    return window != nullptr ? window->Control(id) : nullptr;
}

}  // namespace

void BindControl(DataExchange& dx, int id, Control& control) { control.Attach(ControlOf(dx, id)); }

void ExchangeText(DataExchange& dx, int id, std::string& value, int maxChars) {
    auto* edit = dynamic_cast<QLineEdit*>(ControlOf(dx, id));
    if (edit == nullptr) return;
    if (dx.saveAndValidate) {
        value = edit->text().toLocal8Bit().toStdString();
    } else {
        // The limit is for typing: a longer text set by the program (a
        // dropped or chosen path) is shown whole, not cut, so that the
        // dialog can refuse it rather than act on a shortened name.
        const QString text = QString::fromLocal8Bit(value);
        edit->setMaxLength(std::max<int>(maxChars, static_cast<int>(text.size())));
        edit->setText(text);
    }
}

}  // namespace arkseal

#include "ui/data_exchange.h"

#include <QLineEdit>

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
        edit->setMaxLength(maxChars);
        edit->setText(QString::fromLocal8Bit(value));
    }
}

}  // namespace arkseal

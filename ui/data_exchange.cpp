#include "ui/data_exchange.h"

#include <QLineEdit>
#include <QValidator>

#include "ui/dialog.h"
#include "ui/dialog_window.h"

namespace arkseal {

namespace {

// Refuses an edit that would make the text longer than the limit: typing
// stops at the limit, and a longer paste is refused whole rather than cut
// (a cut path can name another file). Text set by the program (a dropped or
// chosen path) is shown whole, so that the dialog can refuse it in turn.
class LengthLimit : public QValidator {
public:
    LengthLimit(int maxChars, QObject* parent) : QValidator(parent), maxChars_(maxChars) {}
    State validate(QString& input, int&) const override { return input.size() <= maxChars_ ? Acceptable : Invalid; }

private:
    const int maxChars_;
};

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
        if (edit->validator() == nullptr) edit->setValidator(new LengthLimit(maxChars, edit));
        edit->setText(QString::fromLocal8Bit(value));
    }
}

}  // namespace arkseal

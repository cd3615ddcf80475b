#include <arkseal/ui/qt/data_exchange.h>

#include <string.h>

#include <QByteArray>
#include <QLineEdit>
#include <QValidator>
#include <functional>

#include <arkseal/ui/qt/dialog.h>
#include <arkseal/ui/qt/dialog_window.h>

namespace arkseal {

namespace {

// Refuses an edit that would make the text longer than the limit, counted
// in the 8-bit encoding the text is used in (so a field takes what the job
// block takes, no more): typing stops at the limit, and a longer paste is
// refused whole rather than cut (a cut path can name another file, a cut
// passphrase would encrypt with another one). Each refusal is announced to
// the dialog as EN_MAXTEXT, once the edit has finished. Text set by the
// program (a dropped or chosen path) is shown whole, so that the dialog can
// refuse it in turn.
class LengthLimit : public QValidator {
public:
    LengthLimit(int maxChars, std::function<void()> refused, QObject* parent)
        : QValidator(parent), maxChars_(maxChars), refused_(std::move(refused)) {}
    State validate(QString& input, int&) const override {
        QByteArray bytes = input.toLocal8Bit();
        const bool fits = bytes.size() <= maxChars_;
        explicit_bzero(bytes.data(), static_cast<std::size_t>(bytes.size()));
        if (fits) return Acceptable;
        QMetaObject::invokeMethod(parent(), refused_, Qt::QueuedConnection);
        return Invalid;
    }

private:
    const int maxChars_;
    const std::function<void()> refused_;
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
        // Into the string's own buffer, and the 8-bit copy wiped: the text
        // may be a passphrase.
        QByteArray bytes = edit->text().toLocal8Bit();
        value.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        explicit_bzero(bytes.data(), static_cast<std::size_t>(bytes.size()));
    } else {
        if (edit->validator() == nullptr) {
            Dialog& dialog = dx.dialog;
            const auto refused = [&dialog, id] { dialog.SendMessage(WM_COMMAND, MakeCommandParam(id, EN_MAXTEXT), 0); };
            edit->setValidator(new LengthLimit(maxChars, refused, edit));
        }
        edit->setText(QString::fromLocal8Bit(value));
    }
}

}  // namespace arkseal

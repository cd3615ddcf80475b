#include <arkseal/ui/qt/password_accessibility.h>

#include <QAccessible>
#include <QLineEdit>

namespace arkseal {

namespace {

QAccessible::UpdateHandler next = nullptr;
bool protecting = false;

void Filter(QAccessibleEvent* event);

void Forward(QAccessibleEvent* event) {
    if (next != nullptr) {
        next(event);
        return;
    }
    // Without a handler, Qt delivers the event to the platform's bridge.
    QAccessible::installUpdateHandler(nullptr);
    QAccessible::updateAccessibility(event);
    QAccessible::installUpdateHandler(Filter);
}

// The password field the event is about; null for any other object.
QLineEdit* PasswordFieldOf(QAccessibleEvent* event) {
    QObject* object = event->object();
    if (object == nullptr && event->accessibleInterface() != nullptr) object = event->accessibleInterface()->object();
    auto* edit = qobject_cast<QLineEdit*>(object);
    return edit != nullptr && edit->echoMode() != QLineEdit::Normal ? edit : nullptr;
}

QString Masked(const QString& text) { return QString(text.size(), QLatin1Char('*')); }

// Events that carry no text (caret moves, focus, selection by offsets)
// pass unchanged.
void Filter(QAccessibleEvent* event) {
    QLineEdit* field = PasswordFieldOf(event);
    if (field == nullptr) return Forward(event);
    switch (event->type()) {
        case QAccessible::TextInserted: {
            const auto* inserted = static_cast<QAccessibleTextInsertEvent*>(event);
            QAccessibleTextInsertEvent masked(field, inserted->changePosition(), Masked(inserted->textInserted()));
            return Forward(&masked);
        }
        case QAccessible::TextRemoved: {
            const auto* removed = static_cast<QAccessibleTextRemoveEvent*>(event);
            QAccessibleTextRemoveEvent masked(field, removed->changePosition(), Masked(removed->textRemoved()));
            return Forward(&masked);
        }
        case QAccessible::TextUpdated: {
            const auto* updated = static_cast<QAccessibleTextUpdateEvent*>(event);
            QAccessibleTextUpdateEvent masked(field, updated->changePosition(), Masked(updated->textRemoved()),
                                              Masked(updated->textInserted()));
            return Forward(&masked);
        }
        case QAccessible::ValueChanged: {
            const auto* changed = static_cast<QAccessibleValueChangeEvent*>(event);
            QAccessibleValueChangeEvent masked(field, Masked(changed->value().toString()));
            return Forward(&masked);
        }
        default: return Forward(event);
    }
}

}  // namespace

void ProtectPasswordFields() {
    if (protecting) return;
    protecting = true;
    next = QAccessible::installUpdateHandler(Filter);
}

}  // namespace arkseal

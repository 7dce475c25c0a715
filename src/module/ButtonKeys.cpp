// Enter on a focused button. See ButtonKeys.h.
#include "ButtonKeys.h"

#include <QAbstractButton>
#include <QKeyEvent>

namespace {

class TEnterPressesButton : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) return false;
        auto* button = static_cast<QAbstractButton*>(watched);
        if (!button->isEnabled()) return false;
        button->click();
        return true;
    }
};

} // namespace

void EnterPressesButton(QAbstractButton* button) {
    button->installEventFilter(new TEnterPressesButton(button));
}

// Acting on the modal window that a call under test opens (a dialog's own event loop): the action
// is queued before the call and runs once a window of the wanted kind is up.
#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

// Runs the action on the modal window of kind T once one is up (polling for up to ~5 s); answers
// a flag that tells afterwards whether it ran. Another modal window (the build's progress window)
// is left alone; when none of kind T comes, the modal window is closed so that a test fails
// instead of hanging.
template <class T = QWidget> std::shared_ptr<bool> WhenModalShown(std::function<void(QWidget*)> action) {
    auto acted = std::make_shared<bool>(false);
    auto* timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, tries, acted, action] {
        QWidget* window = dynamic_cast<T*>(QApplication::activeModalWidget());
        if (window == nullptr && ++*tries < 500) return;
        timer->stop();
        timer->deleteLater();
        if (window != nullptr) {
            *acted = true;
            action(window);
        } else if (QWidget* other = QApplication::activeModalWidget()) {
            other->close();
        }
    });
    timer->start(10);
    return acted;
}

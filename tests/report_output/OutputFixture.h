// What the window tests share: one QApplication on the offscreen platform, a way to act on the
// modal window a call under test opens, and reports built in code through the engine fixture.
#pragma once

#include "engine/EngineFixture.h"

#include "report/output/VNQtWindowServices.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

inline QApplication& TestApp() {
    static QApplication* app = [] {
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "report_output_tests";
        static char* argv[] = {name, nullptr};
        return new QApplication(argc, argv);
    }();
    return *app;
}

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

// A goods list long enough for three A4 pages.
inline void ThreePageList(TEngineFixture& f) {
    TVNBandView* data = AddBand(*f.Page, "Data", bkMasterData, 100, 30);
    data->FormatText = "Lines";
    AddMemo(*f.Page, "Row", 10, 102, 300, 20, {"[name]"});
}

// Top-level windows of a kind that are on screen.
template <class T> std::vector<T*> ShownWindows() {
    std::vector<T*> out;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* t = dynamic_cast<T*>(w); t && t->isVisible()) out.push_back(t);
    return out;
}

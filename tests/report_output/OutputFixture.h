// What the window tests share: one QApplication on the offscreen platform, a way to act on the
// modal window a call under test opens, and reports built in code through the engine fixture.
#pragma once

#include "engine/EngineFixture.h"
#include "support/ModalWindow.h"

#include "report/output/VNQtWindowServices.h"

#include <QApplication>

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

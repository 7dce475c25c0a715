// Shared set-up of the module's tests: one offscreen QApplication, private config and data
// folders, a demo database on SQLite served by the real host server, a server wrapper that
// records every call and can fail a chosen server function, a host panel that records the close
// notice, and helpers that answer the modal condition dialog the way a clerk would.
#pragma once

#include "host/CallCommand.h"
#include "host/DemoData.h"
#include "host/HostServer.h"
#include "coordisp/CoorDisp.h"
#include "platform/qt/HostMessageEvent.h"
#include "module/GusvakModule.h"
#include "module/ModuleText.h"
#include "module/UnitCondition.h"
#include "module/UnitGusvak.h"
#include "platform/MessageService.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

extern "C" void GetFormOne(std::intptr_t, void*, const unsigned char*, void*, ICoorDisp*);

namespace moduletest {

namespace fs = std::filesystem;

inline AnsiString A(const char* utf8) {
    return Utf8ToAnsi(utf8);
}

inline fs::path Scratch() {
    static const fs::path folder = [] {
        fs::path p = fs::temp_directory_path() / ("module_tests-" + std::to_string(::getpid()));
        fs::create_directories(p);
        return p;
    }();
    return folder;
}

inline void EnsureApplication() {
    if (QApplication::instance() != nullptr) return;
    static int argc = 1;
    static char name[] = "module_tests";
    static char* argv[] = {name, nullptr};
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    new QApplication(argc, argv);
}

// How long a test waits for something the product does by itself (a dialog opening, a search
// ending). Generous: on a loaded machine a second of work can take ten.
constexpr int PatientMs = 60000;

// Runs the event loop until the condition holds or the time is up; returns the condition.
inline bool ProcessUntil(const std::function<bool()>& condition, int ms = PatientMs) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

inline void ProcessPending() {
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Polls from the event loop (also inside modal loops the product runs) until `ready` holds, then
// runs the action once; gives up after maxMs of wall time. `answered` (when given) tells whether it ran.
inline void WhenReady(std::function<bool()> ready, std::function<void()> action, int maxMs = PatientMs,
                      std::shared_ptr<bool> answered = nullptr) {
    auto* timer = new QTimer;
    auto since = std::make_shared<QElapsedTimer>();
    since->start();
    QObject::connect(timer, &QTimer::timeout, [timer, since, ready, action, answered, maxMs] {
        const bool isReady = ready();
        if (!isReady && since->elapsed() < maxMs) return;
        timer->stop();
        timer->deleteLater();
        if (!isReady) return;
        if (answered) *answered = true;
        action();
    });
    timer->start(10);
}

// Runs the action on the first modal widget of the type once it runs modally.
template <class TDialog>
void WhenModalShown(std::function<void(TDialog&)> action, int maxMs = PatientMs,
                    std::shared_ptr<bool> answered = nullptr) {
    WhenReady([] { return qobject_cast<TDialog*>(QApplication::activeModalWidget()) != nullptr; },
              [action] { action(*qobject_cast<TDialog*>(QApplication::activeModalWidget())); }, maxMs, answered);
}

inline void WhenConditionShown(std::function<void(TFrmCondition&)> action, int maxMs = PatientMs) {
    WhenModalShown<TFrmCondition>(std::move(action), maxMs);
}

inline void SendKey(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                    const QString& text = QString()) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QCoreApplication::sendEvent(target, &release);
}

// The clerk types the number, presses Enter (the look-up takes the one match) and confirms.
inline void ChooseSheet(TFrmCondition& dialog, const std::string& djh) {
    dialog.edtDjh->setText(QString::fromStdString(djh));
    SendKey(dialog.edtDjh, Qt::Key_Return);
    dialog.btnOK->click();
}

inline void CancelCondition(TFrmCondition& dialog) {
    dialog.BtnCancel->click();
}

// One call as the module made it.
struct TCall {
    std::int32_t DispId;
    std::int32_t Function; // for RunServerFunction, else 0
    AnsiString Text;       // the first text argument (SELECT text, parameter text)
};

// Forwards to the real server, records every call and fails a chosen server function the way the
// server fails: false with an error list in the parameter.
class TRecordingServer final : public TCoorDispObject {
public:
    explicit TRecordingServer(TCoorDispRef inner) : FInner(std::move(inner)) {}
    std::vector<TCall> Calls;
    std::int32_t FailFunction = 0;
    std::int32_t ThrowOn = 0; // a dispatch id whose call cannot be made

    Value Invoke(std::int32_t dispId, const std::vector<TDispArg>& args) override {
        TCall call{dispId, 0, {}};
        if (dispId == CoorDispId::RunServerFunction && !args.empty()) {
            call.Function = static_cast<std::int32_t>(args[0].Get().AsInteger());
            if (args.size() > 1) call.Text = args[1].Get().AsString();
        } else if (!args.empty() && args[0].Get().IsString()) {
            call.Text = args[0].Get().AsString();
        }
        Calls.push_back(call);
        if (dispId == ThrowOn) throw ECoorDispError("连接已断开");
        if (dispId == CoorDispId::RunServerFunction && call.Function == FailFunction && args.size() > 1) {
            args[1].Ref() = Value::Array({Value::String(A("服务器函数失败")), Value::String("second line")});
            return Value::Integer(0);
        }
        return FInner->Invoke(dispId, args);
    }

    std::vector<std::int32_t> Functions() const {
        std::vector<std::int32_t> out;
        for (const TCall& c : Calls)
            if (c.DispId == CoorDispId::RunServerFunction) out.push_back(c.Function);
        return out;
    }

private:
    TCoorDispRef FInner;
};

// The host's notify control: counts the close notices.
class THostNotify : public QWidget {
public:
    int ClosedNotices = 0;

protected:
    bool event(QEvent* e) override {
        if (e->type() == static_cast<QEvent::Type>(HostMessageEventType(HostMsgModuleClosed))) {
            ++ClosedNotices;
            return true;
        }
        return QWidget::event(e);
    }
};

// A fresh demo database with its own server, config folder and scripted message boxes.
class ModuleFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureApplication(); }

    void SetUp() override {
        static int n = 0;
        FFolder = Scratch() / ("case" + std::to_string(++n));
        fs::create_directories(FFolder);
        qputenv("XDG_CONFIG_HOME", (FFolder / "config").string().c_str());
        qputenv("XDG_DATA_HOME", (FFolder / "data").string().c_str());
        const std::string dbPath = (FFolder / "demo.sqlite").string();
        {
            auto db = OpenSqliteBackend(dbPath);
            TDemoOptions options;
            options.Lines = 120;
            options.Goods = 3000;
            options.Today = "20240915";
            Demo = CreateDemoDatabase(*db, options);
        }
        Host = THostServer::Create(OpenSqliteBackend(dbPath));
        THostServer::Of(Host).SetClock([] { return std::string("2024-09-15 10:00:00"); });
        Recorder = new TRecordingServer(Host);
        Server = TCoorDispRef::Adopt(Recorder);
        FScope = std::make_unique<TMessageServiceScope>(Script);
        Panel = std::make_unique<QWidget>();
        Panel->resize(900, 600);
        Panel->show();
        Notify = std::make_unique<THostNotify>();
    }

    void TearDown() override {
        if (TFrmGusvak* form = GusvakModule::FrmGusvak.data()) delete form;
        ProcessPending();
        Panel.reset();
        Notify.reset();
        FScope.reset();
        GusvakModule::MainServer = TCoorDispRef();
        GusvakModule::ConditionServer = TCoorDispRef();
        Server = TCoorDispRef();
        Host = TCoorDispRef();
        std::error_code ec;
        fs::remove_all(FFolder, ec);
    }

    TDbBackend& Db() { return THostServer::Of(Host).Database(); }

    // Opens the module as the host does; the first showing's search chooses the given sheet
    // (or cancels when it is empty). Returns the form once that search is over.
    TFrmGusvak* OpenModule(const std::string& operatorCode, const std::string& firstSheet) {
        std::string code(1, static_cast<char>(operatorCode.size()));
        code += operatorCode;
        bool answered = false;
        WhenConditionShown([&](TFrmCondition& dialog) {
            answered = true;
            if (firstSheet.empty())
                CancelCondition(dialog);
            else
                ChooseSheet(dialog, firstSheet);
        });
        GetFormOne(0, Notify.get(), reinterpret_cast<const unsigned char*>(code.data()), Panel.get(),
                   Server.Get());
        TFrmGusvak* form = GusvakModule::FrmGusvak.data();
        EXPECT_NE(form, nullptr);
        EXPECT_TRUE(ProcessUntil([&] { return answered && QApplication::activeModalWidget() == nullptr; }));
        ProcessPending();
        return form;
    }

    // Runs F2 and answers the dialog.
    void SearchWithKey(TFrmGusvak& form, const std::string& djh) {
        WhenConditionShown([djh](TFrmCondition& dialog) {
            if (djh.empty())
                CancelCondition(dialog);
            else
                ChooseSheet(dialog, djh);
        });
        SendKey(&form, Qt::Key_F2);
        ProcessPending();
    }

    std::vector<AnsiString> ShownTexts() const {
        std::vector<AnsiString> out;
        for (const TShownMessage& m : Script.Shown())
            out.push_back(m.Text);
        return out;
    }

    fs::path FFolder;
    TDemoSummary Demo;
    TCoorDispRef Host;
    TRecordingServer* Recorder = nullptr;
    TCoorDispRef Server;
    TScriptedMessageService Script;
    std::unique_ptr<TMessageServiceScope> FScope;
    std::unique_ptr<QWidget> Panel;
    std::unique_ptr<THostNotify> Notify;
};

} // namespace moduletest

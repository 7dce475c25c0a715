// Module-wide entry state and the command guard. See GusvakModule.h.
#include "GusvakModule.h"

#include "UnitGusvak.h"
#include "platform/MessageService.h"
#include "platform/qt/QtMessageService.h"

#include <cstdlib>
#include <exception>

namespace GusvakModule {

QPointer<QWidget> NotifyControl;
AnsiString OperatorCode;
TCoorDispRef MainServer;
TCoorDispRef ConditionServer;
QPointer<TFrmGusvak> FrmGusvak;

void Enter(QWidget* notifyControl, const AnsiString& operatorCode, ICoorDisp* server) {
    NotifyControl = notifyControl;
    OperatorCode = operatorCode;
    MainServer = TCoorDispRef(server);
    ConditionServer = TCoorDispRef(server);
}

void EnsureMessageService() {
    static TQtMessageService qtService;
    // In a run nobody watches, a box would wait for ever: it is logged instead.
    static TLogMessageService logService("gusvak");
    IMessageService* installed = SetMessageService(nullptr);
    if (installed == nullptr)
        installed = std::getenv(UnattendedEnvironment) ? static_cast<IMessageService*>(&logService) : &qtService;
    SetMessageService(installed);
}

namespace {

bool IsMultiByteUtf8(const char* text) {
    bool multi = false;
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    while (*p) {
        if (*p < 0x80) {
            ++p;
            continue;
        }
        int follow = (*p & 0xE0) == 0xC0 ? 1 : (*p & 0xF0) == 0xE0 ? 2 : (*p & 0xF8) == 0xF0 ? 3 : -1;
        if (follow < 0 || *p == 0xC0 || *p == 0xC1) return false;
        ++p;
        for (int i = 0; i < follow; ++i, ++p)
            if ((*p & 0xC0) != 0x80) return false;
        multi = true;
    }
    return multi;
}

} // namespace

AnsiString ErrorText(const char* what) {
    if (what == nullptr) return {};
    return IsMultiByteUtf8(what) ? Utf8ToAnsi(what) : AnsiString(what);
}

bool RunGuarded(const std::function<void()>& command) {
    try {
        command();
        return true;
    } catch (const std::exception& e) {
        Messages().Error(ErrorText(e.what()));
    } catch (...) {
        Messages().Error(CP936("未知错误！"));
    }
    return false;
}

} // namespace GusvakModule

// The module-wide entry state that GetFormOne sets: the host's notify control, the operator code,
// the server interface (one reference for the main form's unit and one for the condition dialog's
// unit, both the same object) and the current main form. Also the guard every command of the
// module runs under, so that an error is shown to the user instead of vanishing.
#pragma once

#include "coordisp/CoorDisp.h"
#include "platform/AnsiString.h"

#include <QPointer>
#include <QWidget>

#include <functional>

class TFrmGusvak;

namespace GusvakModule {

extern QPointer<QWidget> NotifyControl;
extern AnsiString OperatorCode;
extern TCoorDispRef MainServer;
extern TCoorDispRef ConditionServer;
extern QPointer<TFrmGusvak> FrmGusvak;

// Sets the entry state from GetFormOne's arguments (the operator code already taken apart).
void Enter(QWidget* notifyControl, const AnsiString& operatorCode, ICoorDisp* server);

// Installs the Qt message boxes when the host has installed no message service of its own.
void EnsureMessageService();

// Runs a command; an error it raises is shown in a message box (caption "错误", error icon) with
// the error's own text. Returns false when an error was shown.
bool RunGuarded(const std::function<void()>& command);

// An error's text as CP936: texts that are valid UTF-8 with non-ASCII characters are converted,
// anything else is taken as CP936 already.
AnsiString ErrorText(const char* what);

} // namespace GusvakModule

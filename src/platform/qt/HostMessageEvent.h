// A host window message (0x402, 0x404) delivered as a Qt event between the host window and the
// module's form. It lives on the Qt side so that the host contract itself stays free of Qt and
// reads the same in every file that includes it.
#pragma once

#include "coordisp/CoorDisp.h"

#include <QEvent>

#include <cstdint>

// Send it with QCoreApplication::sendEvent; receivers test event->type() against
// HostMessageEventType(...) and static_cast.
class THostMessageEvent : public QEvent {
public:
    THostMessageEvent(std::uint32_t message, std::intptr_t wParam, std::intptr_t lParam)
        : QEvent(static_cast<QEvent::Type>(HostMessageEventType(message))), Message(message), WParam(wParam),
          LParam(lParam) {}
    std::uint32_t Message;
    std::intptr_t WParam;
    std::intptr_t LParam;
};

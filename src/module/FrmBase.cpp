// The embedded base form: host resize message and close notice. See FrmBase.h.
#include "FrmBase.h"

#include "GusvakModule.h"
#include "coordisp/CoorDisp.h"
#include "platform/qt/HostMessageEvent.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFrame>

TFrmBase::TFrmBase(QWidget* owner) : QWidget(owner, Qt::Widget) {
    PanelMain = new QFrame(this);
    PanelMain->setObjectName("PanelMain");
    PanelMain->setFrameShape(QFrame::NoFrame);
    PanelMain->setGeometry(0, 0, 688, 450);
}

bool TFrmBase::event(QEvent* event) {
    if (event->type() == static_cast<QEvent::Type>(HostMessageEventType(HostMsgResize))) {
        const auto* message = static_cast<THostMessageEvent*>(event);
        const int height = static_cast<int>(message->WParam);
        const int width = static_cast<int>(message->LParam);
        if (height >= 0 && width >= 0) {
            PanelMain->resize(width, height);
            // The form is only the frame around its panel.
            resize(width, height);
        }
        return true;
    }
    return QWidget::event(event);
}

void TFrmBase::closeEvent(QCloseEvent* event) {
    FormClose();
    if (QWidget* notify = GusvakModule::NotifyControl.data()) {
        THostMessageEvent closed(HostMsgModuleClosed, 0, 0);
        QCoreApplication::sendEvent(notify, &closed);
    }
    setAttribute(Qt::WA_DeleteOnClose);
    event->accept();
}

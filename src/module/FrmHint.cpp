// The wait hint window. See FrmHint.h.
#include "FrmHint.h"

#include "HintAnimation.h"
#include "ModuleText.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPointer>
#include <QWindow>
#include <QLabel>
#include <QScreen>

TFrmHint::TFrmHint() : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName("FrmHint");
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFixedSize(332, 87);
    PaintFormColor(*this);

    Label = new QLabel(AnsiToQString(CP936("正在统计，请稍候...")), this);
    Label->setFont(ModuleFont("宋体", 14));
    Label->adjustSize();

    TAviClip clip;
    if (LoadAviClip("Resource/Turtle.avi", clip)) {
        FPlaysClip = true;
        Animation = new TAviAnimation(std::move(clip), this);
        Animation->move(32, 2);
        Label->move(93, 69);
    } else {
        Animation = new TFolderSearchAnimation(this);
        Animation->move(16, 20);
        Label->move(116, 40);
    }
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
}

TFrmHint* TFrmHint::ShowHint() {
    auto* hint = new TFrmHint;
    hint->show();
    hint->raise();
    // The work that follows runs no events. On X11 a window is mapped asynchronously: painted
    // before the server has exposed it, it stays black until the work is over. So wait (briefly)
    // for the exposure, then paint, and let the windows under it repaint too (the condition
    // dialog that just closed). Only paint and window-system events run here, no user input.
    QPointer<TFrmHint> self(hint);
    QElapsedTimer waited;
    waited.start();
    while (self && !(self->windowHandle() && self->windowHandle()->isExposed()) && waited.elapsed() < 1000)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::WaitForMoreEvents, 20);
    if (!self) return nullptr;
    hint->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (self) QGuiApplication::sync();
    return self;
}

void TFrmHint::CloseHint(QPointer<TFrmHint>& hint) {
    if (hint) hint->close();
    hint = nullptr;
}

// The base of every form the host embeds: a borderless form with one main panel `PanelMain`
// (688 x 450, no bevel). The host resizes the panel with the window message 0x402 (wParam the new
// height, lParam the new width); closing the form tells the host with 0x404 (wParam = lParam = 0),
// sent synchronously to the host's notify control, and frees the form.
#pragma once

#include <QWidget>

class QFrame;

class TFrmBase : public QWidget {
    Q_OBJECT
public:
    explicit TFrmBase(QWidget* owner);

    QFrame* PanelMain = nullptr;

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // The derived form's own close steps, run before the host is told.
    virtual void FormClose() {}
};

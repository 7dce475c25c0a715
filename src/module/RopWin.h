// The help popup: a framed box with a drop shadow listing lines of text (the sheet's keys and the
// names a print template may use). TRopWin holds what to show; Execute shows a TRopInst modally.
//
// The popup takes the mouse while it is shown, and the first key, the first mouse button (also
// outside the box) or the close timer ends it. Outside the box the window is transparent, so the
// screen behind shows through; the shadow darkens every other pixel of that screen in a
// checkerboard, as a half-tone does.
#pragma once

#include "platform/AnsiString.h"

#include <QBrush>
#include <QDialog>
#include <QFont>
#include <QPixmap>
#include <QTimer>

#include <vector>

class TRopWin {
public:
    std::vector<AnsiString> Lines;
    QFont Font;
    QBrush Brush{Qt::white};
    int TimeClose = 0; // milliseconds; 0: until a key or a click
    int xPos = 0;      // screen position; 0: centred on that axis
    int yPos = 0;

    // Shows the popup modally; an empty Lines shows "The Lines is empty" instead.
    void Execute();
};

class TRopInst : public QDialog {
    Q_OBJECT
public:
    explicit TRopInst(const TRopWin& source, QWidget* parent = nullptr);

    // Where the popup goes for a text of this size on this screen: text + 40 wide, + 30 high, at
    // (xPos, yPos) or, for a 0, at (screen - text) / 2 on that axis.
    static QRect PopupGeometry(QSize textSize, int xPos, int yPos, const QRect& screen);

    QSize TextSize() const { return FTextSize; }
    QString Text() const { return FText; }
    // What was on the screen where the popup opens (null where the screen cannot be read).
    const QPixmap& ScreenBehind() const { return FBehind; }
    bool TimerActive() const { return FTimer.isActive(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void done(int result) override;

private:
    QString FText;
    QPixmap FBehind;
    QFont FFont;
    QBrush FBrush;
    QSize FTextSize;
    QTimer FTimer;
};

// The sheet's popup: its 36 lines in 宋体 size 9, no close time, centred.
std::vector<AnsiString> SheetHelpLines();
void SetupSheetHelp(TRopWin& rop);

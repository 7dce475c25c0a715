// The help popup: the empty case, the layout, the painted box and half-tone shadow, and closing
// on a key, a click or the timer.
#include "DialogsFixture.h"

#include "module/RopWin.h"
#include "platform/MessageService.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <QFontMetrics>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class RopWin : public ::testing::Test {
protected:
    RopWin() : FScope(FMessages) { TestApp(); }

    TScriptedMessageService FMessages;
    TMessageServiceScope FScope;
};

TEST_F(RopWin, EmptyLinesShowAMessageAndNoPopup) {
    TRopWin rop;
    rop.Execute();
    ASSERT_EQ(FMessages.Shown().size(), 1u);
    EXPECT_EQ(FMessages.Shown()[0].Text, "The Lines is empty");
    EXPECT_EQ(FMessages.Shown()[0].Caption, "Error");
    EXPECT_EQ(FMessages.Shown()[0].Buttons, TMsgButtons::OK);
}

TEST_F(RopWin, SheetLines) {
    const std::vector<AnsiString> lines = SheetHelpLines();
    ASSERT_EQ(lines.size(), 36u);
    EXPECT_EQ(lines[0], Utf8ToAnsi("快捷键："));
    EXPECT_EQ(lines[11], Utf8ToAnsi("    单据号:    [Djh]         备注:      [Bz] "));
    EXPECT_EQ(lines[16], Utf8ToAnsi("    盘点日期:  [Pdrq]    "));
    EXPECT_EQ(lines[33], Utf8ToAnsi("    模拟本库存金额: [Ads.f_Mnbkcje]"));
    EXPECT_EQ(lines[34], "");
    EXPECT_EQ(lines[35], "  ");
}

TEST_F(RopWin, Layout) {
    const QRect screen(0, 0, 1024, 768);
    EXPECT_EQ(TRopInst::PopupGeometry(QSize(301, 500), 0, 0, screen), QRect(361, 134, 341, 530));
    EXPECT_EQ(TRopInst::PopupGeometry(QSize(300, 500), 10, 0, screen), QRect(10, 134, 340, 530));
    EXPECT_EQ(TRopInst::PopupGeometry(QSize(300, 500), 0, 20, screen), QRect(362, 20, 340, 530));

    TRopWin rop;
    SetupSheetHelp(rop);
    TRopInst popup(rop);
    const QFontMetrics metrics(rop.Font);
    EXPECT_EQ(popup.TextSize().height(), 36 * metrics.lineSpacing()) << "every line counts, empty or not";
    EXPECT_EQ(popup.size(), popup.TextSize() + QSize(40, 30));
    EXPECT_FALSE(popup.TimerActive());
}

TEST_F(RopWin, PaintsTheBoxAndAHalfToneShadowOverTheScreenBehind) {
    // Something on the screen where the popup opens, so that "the screen behind" is not black.
    QWidget under;
    under.setAutoFillBackground(true);
    QPalette palette = under.palette();
    palette.setColor(QPalette::Window, QColor(0, 128, 255));
    under.setPalette(palette);
    under.setGeometry(QGuiApplication::primaryScreen()->geometry());
    under.show();
    QCoreApplication::processEvents();

    TRopWin rop;
    rop.Lines = {"Help"};
    rop.Brush = QBrush(QColor(255, 255, 0));
    TRopInst popup(rop);
    ASSERT_FALSE(popup.ScreenBehind().isNull());
    const QImage behind = popup.ScreenBehind().toImage();
    QImage image(popup.size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    popup.render(&image);
    const int w = image.width();
    const int h = image.height();
    // the shadow: black on odd x + y, the screen behind elsewhere - never a black strip
    for (const QPoint p : {QPoint(20, h - 3), QPoint(21, h - 3), QPoint(w - 3, 20), QPoint(w - 4, h - 10)}) {
        const QRgb pixel = image.pixel(p);
        if ((p.x() + p.y()) % 2 == 1)
            EXPECT_EQ(pixel, qRgba(0, 0, 0, 255)) << p.x() << "," << p.y();
        else
            EXPECT_EQ(pixel, behind.pixel(p)) << p.x() << "," << p.y();
    }
    EXPECT_EQ(behind.pixel(w - 3, 5), qRgb(0, 128, 255)) << "the grab holds the screen behind";
    EXPECT_EQ(image.pixel(w - 3, 5), behind.pixel(w - 3, 5)) << "beside the box and above the shadow";
    EXPECT_EQ(image.pixel(w - 20, h / 2), qRgb(255, 255, 0)) << "inside the box: the brush";
    EXPECT_EQ(image.pixel(1, h / 2), qRgb(0, 0, 0)) << "the frame";
}

TEST_F(RopWin, ClosesOnAKeyAClickOrTheTimer) {
    TRopWin rop;
    rop.Lines = {"Help"};
    {
        TRopInst popup(rop);
        popup.show();
        QTest::keyClick(&popup, Qt::Key_Shift);
        EXPECT_FALSE(popup.isVisible());
    }
    {
        TRopInst popup(rop);
        popup.show();
        QTest::mouseClick(&popup, Qt::RightButton, {}, QPoint(2, 2));
        EXPECT_FALSE(popup.isVisible());
    }
    {
        // A click on another window, away from the popup.
        QWidget other;
        other.setGeometry(0, 0, 60, 60);
        other.show();
        TRopInst popup(rop);
        popup.move(200, 200);
        popup.show();
        QTest::mouseClick(other.windowHandle(), Qt::LeftButton, {}, QPoint(10, 10));
        EXPECT_FALSE(popup.isVisible());
    }
    rop.TimeClose = 20;
    QElapsedTimer clock;
    clock.start();
    rop.Execute(); // returns once the timer closes the popup
    EXPECT_GE(clock.elapsed(), 15);
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_TRUE(FMessages.Shown().empty());
}

} // namespace

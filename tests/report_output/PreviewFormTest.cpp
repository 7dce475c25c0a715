// The page viewer: pages laid out one under another, drawn when in view and released when they
// leave it, page keys, and how the window services show it (modal or not).
#include "OutputFixture.h"

#include "report/output/VNPreviewForm.h"

#include <QKeyEvent>
#include <QScrollArea>

#include <gtest/gtest.h>

namespace {

struct TShownPreview {
    TEngineFixture F{TEngineFixture::Rows(90)};
    std::unique_ptr<TVNPreviewForm> Form;
    TShownPreview() {
        TestApp();
        ThreePageList(F);
        F.Report.ReportInfo.Title = CP936("盘点损益表");
        EXPECT_TRUE(F.Report.BuildReport());
        Form = std::make_unique<TVNPreviewForm>(F.Report);
        Form->resize(900, 600);
        Form->show();
        Repaint();
    }
    void Repaint() {
        QApplication::processEvents();
        Form->ScrollArea()->viewport()->repaint();
    }
    void Key(int key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(Form->ScrollArea(), &press);
        Repaint();
    }
    std::vector<bool> Decoded() {
        std::vector<bool> out;
        for (int i = 0; i < F.PageCount(); ++i)
            out.push_back(F.Report.EMFPages->Page(i).DecodedPage != nullptr);
        return out;
    }
};

} // namespace

TEST(PreviewForm, DrawsThePagesInViewAndReleasesThePagesOutOfIt) {
    TShownPreview p;
    TVNPreviewForm& form = *p.Form;
    EXPECT_EQ(form.windowTitle(), QString::fromUtf8("盘点损益表"));
    ASSERT_EQ(form.PageCount(), 3);
    EXPECT_EQ(form.PageRect(0), QRect(10, 10, 794, 1123));
    EXPECT_EQ(form.PageRect(1).top(), 10 + 1123 + 10);

    // Page 1 shows its rows: dark pixels inside the white page.
    const QImage shot = form.ScrollArea()->viewport()->grab().toImage();
    int dark = 0;
    for (int y = 12; y < std::min(shot.height(), 590); ++y)
        for (int x = 12; x < std::min(shot.width(), 800); ++x)
            if (qGray(shot.pixel(x, y)) < 128) ++dark;
    EXPECT_GT(dark, 20);
    EXPECT_EQ(p.Decoded(), (std::vector<bool>{true, false, false}));

    p.Key(Qt::Key_PageDown);
    EXPECT_EQ(form.CurrentPage(), 1);
    EXPECT_EQ(p.Decoded(), (std::vector<bool>{false, true, false}));
    p.Key(Qt::Key_End);
    EXPECT_EQ(form.CurrentPage(), 2);
    EXPECT_EQ(p.Decoded(), (std::vector<bool>{false, false, true}));
    p.Key(Qt::Key_PageUp);
    EXPECT_EQ(form.CurrentPage(), 1);
    p.Key(Qt::Key_Home);
    EXPECT_EQ(form.CurrentPage(), 0);
    EXPECT_EQ(p.Decoded(), (std::vector<bool>{true, false, false}));

    p.Form.reset(); // closing releases what it decoded
    EXPECT_EQ(p.Decoded(), (std::vector<bool>{false, false, false}));
}

TEST(QtWindowServices, PreviewIsModalOrAWindowThatDeletesItselfAsTheReportAsks) {
    TestApp();
    TVNQtWindowServicesScope services;
    TEngineFixture f(TEngineFixture::Rows(90));
    ThreePageList(f);

    int pagesShown = 0;
    auto acted = WhenModalShown<TVNPreviewForm>([&](QWidget* w) {
        pagesShown = static_cast<TVNPreviewForm*>(w)->PageCount();
        w->close();
    });
    f.Report.PreviewReport(); // returns once the window is closed
    EXPECT_TRUE(*acted);
    EXPECT_EQ(pagesShown, 3);
    EXPECT_TRUE(ShownWindows<QWidget>().empty());

    f.Report.ModalPreview = false;
    f.Report.PreviewReport();
    auto shown = ShownWindows<TVNPreviewForm>();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_FALSE(shown[0]->isModal());
    QPointer<TVNPreviewForm> window = shown[0];
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(window->ScrollArea(), &escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
    EXPECT_TRUE(f.Messages.Texts().empty());
}

TEST(QtWindowServices, AReportFreedWhileItsPreviewIsOpenClosesThePreviewFirst) {
    TestApp();
    TVNQtWindowServicesScope services;
    QPointer<TVNPreviewForm> window;
    {
        TEngineFixture f(TEngineFixture::Rows(90));
        ThreePageList(f);
        f.Report.ModalPreview = false;
        f.Report.PreviewReport();
        auto shown = ShownWindows<TVNPreviewForm>();
        ASSERT_EQ(shown.size(), 1u);
        window = shown[0];
        window->repaint(); // pages in view are decoded and held by the window
    }
    EXPECT_TRUE(window.isNull());
    QCoreApplication::processEvents(); // nothing left to paint from the freed report
    EXPECT_TRUE(ShownWindows<QWidget>().empty());
}

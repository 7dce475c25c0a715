// The preview window: its tool bar and PreviewButtons, zoom commands and the zoom carried to the
// next preview, keys and the page edit, the state kept in the registry file, and how the window
// services show it (modal or not).
#include "OutputFixture.h"

#include "report/output/VNPageSetupForm.h"
#include "report/output/VNPreviewForm.h"

#include "platform/Registry.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QSpinBox>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

namespace {

QString U(const char* s) { return QString::fromUtf8(s); }

// A preview window over a three-page list, its state kept in a registry file of the test's own.
struct TShownForm {
    QTemporaryDir Dir;
    TEngineFixture F{TEngineFixture::Rows(90)};
    std::unique_ptr<TVNPreviewForm> Form;
    explicit TShownForm(bool show = true) {
        TestApp();
        TVNPreviewForm::SetRegistryFile((Dir.path() + QStringLiteral("/registry.reg")).toStdString());
        ThreePageList(F);
        F.Report.ReportInfo.Title = CP936("盘点损益表");
        EXPECT_TRUE(F.Report.BuildReport());
        if (show) Open();
    }
    ~TShownForm() { TVNPreviewForm::SetRegistryFile(""); }
    void Open() {
        Form = std::make_unique<TVNPreviewForm>(F.Report);
        Form->show();
        QApplication::processEvents();
    }
    TVNPreview& P() { return *Form->Control(); }
    void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, key, mods);
        QApplication::sendEvent(P().DrawPanel(), &press);
    }
    QAction* PopupEntry(const char* name) {
        for (QAction* a : Form->PopupMenu()->actions())
            if (a->objectName() == QLatin1String(name)) return a;
        return nullptr;
    }
};

} // namespace

TEST(PreviewForm, ShowsTheToolBarAndFollowsPreviewButtons) {
    TShownForm s;
    TVNPreviewForm& form = *s.Form;
    EXPECT_EQ(form.windowTitle(), U("预览 - 盘点损益表"));
    EXPECT_EQ(form.ToolBar()->windowTitle(), U("预览工具栏"));
    EXPECT_EQ(form.ToolBar()->objectName(), QStringLiteral("ToolbarPreviewStand"));
    for (const char* hint : {"放大镜", "整页", "100%", "页面宽度", "第一页", "上一页", "下一页", "最后一页", "查找文本",
                             "打开报表", "保存报表", "保存为excel格式文件", "打印报表", "页面设置", "关闭预览"})
        EXPECT_TRUE(form.ButtonShown(U(hint))) << hint;
    EXPECT_FALSE(form.ButtonShown(U("超级数据格式转换"))); // not in the default set
    EXPECT_FALSE(form.ButtonShown(U("修改报表")));         // no designer in this program
    // No printer is installed here, so printing is disabled; page setup is offered for pages
    // built from the design.
    EXPECT_FALSE(form.Button(U("打印报表"))->isEnabled());
    EXPECT_TRUE(form.Button(U("页面设置"))->isEnabled());
    // Without a designer the page editing entries and their separator stay hidden.
    for (const char* entry : {"editSeparator", "addPage", "deletePage", "editPage"})
        EXPECT_FALSE(s.PopupEntry(entry)->isVisible()) << entry;
    EXPECT_EQ(form.PageEdit()->text(), QStringLiteral("1"));
    EXPECT_EQ(form.ZoomCombo()->currentText(), U("100%"));
    EXPECT_TRUE(form.Button(U("100%"))->isChecked());
    s.Form.reset();

    // Without pbPrint and pbZoom: no print button, no print entries in the popup, no zoom combo
    // and no separator after it.
    s.F.Report.PreviewButtons = pbLoad | pbSave | pbFind | pbExit | pbSuperExp;
    s.Open();
    EXPECT_FALSE(s.Form->ButtonShown(U("打印报表")));
    EXPECT_FALSE(s.Form->ButtonShown(U("页面设置")));
    EXPECT_TRUE(s.Form->ButtonShown(U("超级数据格式转换")));
    EXPECT_FALSE(s.PopupEntry("print")->isVisible());
    EXPECT_FALSE(s.PopupEntry("printPage")->isVisible());
    EXPECT_FALSE(s.Form->ZoomCombo()->isVisible());
    const QList<QAction*> actions = s.Form->ToolBar()->actions();
    EXPECT_FALSE(actions[0]->isVisible()); // the combo
    EXPECT_FALSE(actions[1]->isVisible()); // its separator
}

TEST(PreviewForm, ZoomCommandsAndTheZoomCarriedToTheNextPreview) {
    TVNPreviewForm::ResetCarriedState();
    TShownForm s;
    TVNPreviewForm& form = *s.Form;
    EXPECT_TRUE(s.P().MagnifierOn()); // on at the start of the process
    // A typed zoom, then a text that is not a number: 100 %.
    form.ZoomCombo()->lineEdit()->setText(QStringLiteral("50"));
    QTest::keyClick(form.ZoomCombo()->lineEdit(), Qt::Key_Return);
    EXPECT_DOUBLE_EQ(s.P().Scale(), 0.5);
    EXPECT_EQ(form.ZoomCombo()->currentText(), QStringLiteral("50%"));
    form.ZoomCombo()->lineEdit()->setText(QStringLiteral("abc"));
    QTest::keyClick(form.ZoomCombo()->lineEdit(), Qt::Key_Return);
    EXPECT_DOUBLE_EQ(s.P().Scale(), 1.0);
    // The popup's 75 %, then the whole-page button.
    for (QAction* a : form.PopupMenu()->actions())
        if (a->data().toInt() == 75) a->trigger();
    EXPECT_DOUBLE_EQ(s.P().Scale(), 0.75);
    form.Button(U("放大镜"))->trigger(); // off
    form.Button(U("整页"))->trigger();
    EXPECT_EQ(s.P().ZoomMode(), zmOnePage);
    EXPECT_EQ(form.ZoomCombo()->currentText(), U("整页"));
    // Printer resolution without a printer that can print: page width.
    form.ZoomCombo()->lineEdit()->setText(U("打印机分辨率"));
    QTest::keyClick(form.ZoomCombo()->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(s.P().ZoomMode(), zmPageWidth);
    form.ZoomCombo()->lineEdit()->setText(QStringLiteral("150%"));
    QTest::keyClick(form.ZoomCombo()->lineEdit(), Qt::Key_Return);
    s.Form.reset();

    // A second preview with the default initial zoom starts where the first ended.
    s.Open();
    EXPECT_DOUBLE_EQ(s.P().Scale(), 1.5);
    EXPECT_EQ(s.P().ZoomMode(), zmFixed);
    EXPECT_FALSE(s.P().MagnifierOn());
    EXPECT_FALSE(s.Form->Button(U("放大镜"))->isChecked());
    s.Form.reset();
    // A page-width start keeps its own mode.
    s.F.Report.InitialZoom = pzPageWidth;
    s.Open();
    EXPECT_EQ(s.P().ZoomMode(), zmPageWidth);
    EXPECT_TRUE(s.Form->Button(U("页面宽度"))->isChecked());
    TVNPreviewForm::ResetCarriedState();
}

TEST(PreviewForm, PagesByKeysAndThePageEdit) {
    TShownForm s;
    TVNPreviewForm& form = *s.Form;
    s.Key(Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(s.P().CurrentPage(), 2);
    EXPECT_EQ(form.PageEdit()->text(), QStringLiteral("2"));
    const int top = s.P().VScroll()->value();
    s.Key(Qt::Key_Down);
    EXPECT_EQ(s.P().VScroll()->value(), top + 10);
    s.Key(Qt::Key_PageDown);
    EXPECT_EQ(s.P().VScroll()->value(), top + 210);
    s.Key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(s.P().CurrentPage(), 3);
    s.Key(Qt::Key_Home); // without Ctrl: not a command
    EXPECT_EQ(s.P().CurrentPage(), 3);
    s.Key(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(s.P().CurrentPage(), 1);

    form.PageEdit()->setText(QStringLiteral("3"));
    QTest::keyClick(form.PageEdit(), Qt::Key_Return);
    EXPECT_EQ(s.P().CurrentPage(), 3);
    form.PageEdit()->setText(QStringLiteral("x"));
    QTest::keyClick(form.PageEdit(), Qt::Key_Return);
    EXPECT_EQ(form.PageEdit()->text(), QStringLiteral("3"));
    EXPECT_EQ(s.P().CurrentPage(), 3);
}

TEST(PreviewForm, PageSetupGivesEveryPrintedPageThePaperAndMarginsAndBuildsAgain) {
    TShownForm s;
    TVNReport& report = s.F.Report;
    TVNPage& dialog = s.F.AddPage();
    dialog.PageType = ptDialog;
    dialog.Visible = false;
    std::vector<TVNPageSetting> notified;
    report.OnPageSetup = [&](const TVNPageSetting& setting) { notified.push_back(setting); };
    int saved = 0;
    report.OnSaveReportSetting = [&](TVNReport*) { ++saved; };
    s.P().GotoPage(2);

    // The dialog starts from the report and its first built page (margins in millimetres).
    TVNPageSetting shown;
    auto acted = WhenModalShown<TVNPageSetupForm>([&](QWidget* w) {
        auto* dialog = static_cast<TVNPageSetupForm*>(w);
        shown = dialog->Setting;
        EXPECT_FALSE(dialog->ColCount()->isEnabled());
        dialog->Landscape()->click();
        dialog->Margin(0)->setValue(3.0); // centimetres
        dialog->Setting.Title = CP936("横向");
        dialog->Option(1)->click(); // two passes
        dialog->accept();
    });
    s.Form->Button(U("页面设置"))->trigger();
    ASSERT_TRUE(*acted);
    EXPECT_EQ(shown.PaperSize, 9);
    EXPECT_EQ(shown.Orientation, 0);
    EXPECT_DOUBLE_EQ(shown.MarginLeft, 15.1); // 57 report pixels
    EXPECT_DOUBLE_EQ(shown.MarginTop, 20.1);  // 76
    EXPECT_EQ(AnsiToUtf8(shown.Title), "盘点损益表");

    // Every printed design page turned and moved; the dialog page keeps its own settings.
    // (A two-pass build renews the design pages: look them up again.)
    const TVNPage& page = report.Pages[0];
    const TVNPage& dialogPage = report.Pages[1];
    EXPECT_EQ(page.Orientation, 1);
    EXPECT_EQ(page.PaperWidth, 297000);
    EXPECT_EQ(page.LeftMarginPx(), 113); // 30 mm
    EXPECT_EQ(dialogPage.Orientation, 0);
    EXPECT_EQ(dialogPage.LeftMarginPx(), 57);
    EXPECT_EQ(AnsiToUtf8(report.ReportInfo.Title), "横向");
    EXPECT_TRUE(report.DoublePass);
    ASSERT_EQ(notified.size(), 1u);
    EXPECT_EQ(notified[0].Orientation, 1);
    EXPECT_EQ(saved, 1);
    // Built again and shown from page 1: landscape pages hold fewer rows.
    ASSERT_GT(s.P().PageCount(), 3);
    EXPECT_EQ(report.EMFPages->Page(0).Orientation, 1);
    EXPECT_EQ(report.EMFPages->Page(0).Margins.Left, 113);
    EXPECT_EQ(s.P().CurrentPage(), 1);
    EXPECT_EQ(s.P().PageText(), QString::fromUtf8("页 1/%1").arg(s.P().PageCount()));

    // Cancel changes nothing.
    const int pages = s.P().PageCount();
    acted = WhenModalShown<TVNPageSetupForm>([](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
    s.Form->PageSetupCommand();
    EXPECT_TRUE(*acted);
    EXPECT_EQ(notified.size(), 1u);
    EXPECT_EQ(s.P().PageCount(), pages);

    // Pages opened from a prepared report file have no design to rebuild.
    QTemporaryDir dir;
    const std::string file = (dir.path() + QStringLiteral("/p.vnp")).toStdString();
    ASSERT_TRUE(s.P().SaveReportAs(file, 1));
    ASSERT_TRUE(s.P().OpenReportFiles({file}));
    EXPECT_FALSE(s.Form->Button(U("页面设置"))->isEnabled());
    EXPECT_FALSE(s.P().PageSetup());
}

TEST(PreviewForm, KeepsWindowAndToolBarStateInTheRegistryFile) {
    TShownForm s(false);
    const std::string file = (s.Dir.path() + QStringLiteral("/registry.reg")).toStdString();
    {
        TRegistry reg(file);
        ASSERT_TRUE(reg.OpenKey("\\Software\\Quillon\\Valnor\\Form\\TVNPreviewForm", true));
        reg.WriteInteger("Width", 640);
        reg.WriteInteger("Height", 480);
        reg.WriteInteger("XPosition", 30);
        reg.WriteInteger("YPosition", 40);
        reg.WriteBool("Maximized", false);
        ASSERT_TRUE(reg.OpenKey("\\Software\\Quillon\\Valnor\\ToolBar\\ToolbarPreviewStand", true));
        reg.WriteBool("Docked", false);
        reg.WriteInteger("XPosition", 120);
        reg.WriteInteger("YPosition", 90);
        reg.WriteString("DockName", "");
    }
    s.Open();
    EXPECT_FALSE(s.Form->isMaximized());
    EXPECT_EQ(s.Form->geometry().size(), QSize(640, 480));
    EXPECT_TRUE(s.Form->ToolBar()->isWindow()); // floating
    EXPECT_EQ(s.Form->ToolBar()->pos(), QPoint(120, 90));
    s.Form->resize(700, 500);
    s.Form->close();
    s.Form.reset();
    TRegistry reg(file);
    ASSERT_TRUE(reg.OpenKey("\\Software\\Quillon\\Valnor\\Form\\TVNPreviewForm", false));
    EXPECT_EQ(reg.ReadInteger("Width"), 700);
    EXPECT_FALSE(reg.ReadBool("Maximized"));
    ASSERT_TRUE(reg.OpenKey("\\Software\\Quillon\\Valnor\\ToolBar\\ToolbarPreviewStand", false));
    EXPECT_FALSE(reg.ReadBool("Docked"));
    EXPECT_EQ(reg.ReadInteger("XPosition"), 120);
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
    QApplication::sendEvent(window->Control()->DrawPanel(), &escape);
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

TEST(QtWindowServices, AnMdiPreviewIsAChildWindowOfTheMainWindowsArea) {
    TestApp();
    TVNQtWindowServicesScope services;
    QTemporaryDir dir;
    const QString registry = dir.path() + QStringLiteral("/registry.reg");
    TVNPreviewForm::SetRegistryFile(registry.toStdString());
    QMainWindow main;
    auto* area = new QMdiArea;
    main.setCentralWidget(area);
    main.resize(1000, 800);
    main.show();
    auto f = std::make_unique<TEngineFixture>(TEngineFixture::Rows(90));
    ThreePageList(*f);
    f->Report.MDIPreview = true; // modal or not, an MDI child never blocks

    f->Report.PreviewReport();
    ASSERT_EQ(area->subWindowList().size(), 1);
    QPointer<QMdiSubWindow> frame = area->subWindowList()[0];
    auto* form = dynamic_cast<TVNPreviewForm*>(frame->widget());
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->PageCount(), 3);
    EXPECT_FALSE(frame->isMaximized());
    EXPECT_TRUE(ShownWindows<TVNPreviewForm>().empty()); // no window of its own
    // Escape closes the child with its frame; an MDI child keeps no place in the registry.
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(form->Control()->DrawPanel(), &escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(frame.isNull());
    EXPECT_FALSE(QFile::exists(registry));

    // A report freed while its MDI preview is open takes the child and its frame along.
    f->Report.PreviewReport();
    ASSERT_EQ(area->subWindowList().size(), 1);
    frame = area->subWindowList()[0];
    f.reset();
    EXPECT_TRUE(frame.isNull());
    TVNPreviewForm::SetRegistryFile("");
}

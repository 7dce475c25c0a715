// The build's progress window: what it shows, how Cancel reaches the build, and that a build
// through the installed Qt services leaves no window behind.
#include "OutputFixture.h"

#include "report/output/VNProgressForm.h"

#include <QLabel>
#include <QPushButton>

#include <set>

#include <gtest/gtest.h>

TEST(ProgressForm, ShowsCaptionAndLinesAndCancelIsAnsweredByTheNextPump) {
    TestApp();
    TVNProgressForm form(CP936("正在准备报表 - 盘点损益表"));
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.windowModality(), Qt::ApplicationModal);
    EXPECT_EQ(form.windowTitle(), QString::fromUtf8("正在准备报表 - 盘点损益表"));
    EXPECT_EQ(form.CancelButton()->text(), QString::fromUtf8("取消"));

    form.SetLabel(CP936("正在处理页:  3 从 10"));
    form.SetDetail("<b>row 7</b>");
    EXPECT_EQ(form.LabelLine()->text(), QString::fromUtf8("正在处理页:  3 从 10"));
    EXPECT_EQ(form.DetailLine()->text(), "<b>row 7</b>");
    EXPECT_EQ(form.DetailLine()->textFormat(), Qt::PlainText);

    EXPECT_FALSE(form.ProcessMessages());
    form.SetVisible(false);
    EXPECT_FALSE(form.isVisible());
    form.SetVisible(true);
    form.CancelButton()->click();
    EXPECT_TRUE(form.ProcessMessages());
    EXPECT_TRUE(form.isVisible()); // it stays until the build has stopped and destroys it
}

TEST(ProgressForm, EscapeAsksToCancelToo) {
    TestApp();
    TVNProgressForm form("x");
    form.close(); // the close box
    EXPECT_TRUE(form.ProcessMessages());
}

TEST(QtWindowServices, ABuildOpensTheProgressFormAndClosesIt) {
    TestApp();
    TVNQtWindowServicesScope services;
    TEngineFixture f(TEngineFixture::Rows(90));
    ThreePageList(f);
    f.Report.ReportInfo.Title = CP936("盘点损益表");
    std::set<TVNProgressForm*> forms;
    std::vector<QString> captions, labels;
    f.Report.OnEndPage = [&](int) {
        for (TVNProgressForm* form : ShownWindows<TVNProgressForm>()) {
            forms.insert(form);
            captions.push_back(form->windowTitle());
            labels.push_back(form->LabelLine()->text());
        }
    };
    ASSERT_TRUE(f.Report.BuildReport());
    EXPECT_EQ(f.PageCount(), 3);
    ASSERT_GE(captions.size(), 2u);
    EXPECT_EQ(forms.size(), 1u); // one form for the whole build
    EXPECT_EQ(captions[0], QString::fromUtf8("正在准备报表 - 盘点损益表"));
    EXPECT_TRUE(labels[0].startsWith(QString::fromUtf8("正在处理页:  "))) << labels[0].toStdString();
    QApplication::processEvents();
    EXPECT_TRUE(ShownWindows<QWidget>().empty());
}

TEST(QtWindowServices, CancelOnTheProgressFormStopsTheBuild) {
    TestApp();
    TVNQtWindowServicesScope services;
    TEngineFixture f(TEngineFixture::Rows(90));
    ThreePageList(f);
    f.Report.OnEndPage = [&](int) {
        for (TVNProgressForm* form : ShownWindows<TVNProgressForm>())
            form->CancelButton()->click();
    };
    EXPECT_FALSE(f.Report.BuildReport());
    EXPECT_EQ(f.PageCount(), 0);
    EXPECT_TRUE(f.Messages.Texts().empty());
    EXPECT_TRUE(ShownWindows<QWidget>().empty());
}

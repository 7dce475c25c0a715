// The sheet's filter (F5), column chooser (F4) and help popup (F1) on the running form, against the
// real host server on a demo SQLite database. The modal dialogs are answered from a timer that
// finds the active modal widget, as a clerk would answer them.
#include "ModuleTestSupport.h"

#include "controls/AdvDBGridQx.h"
#include "module/RopWin.h"
#include "module/UnitChooseDBFields.h"
#include "module/UnitQuerySet.h"
#include "platform/IniFile.h"

#include <QListWidget>
#include <QMouseEvent>
#include <QTableView>

#include <algorithm>
#include <iomanip>
#include <sstream>

using namespace moduletest;

namespace {

std::string U8(const AnsiString& text) {
    return AnsiToUtf8(text);
}

AnsiString CountText(int n) {
    return A("合计:") + std::to_string(n) + A("条");
}

// Lines of the form's unfiltered data set that satisfy the predicate (field values as UTF-8).
int CountLines(TMemDataSet& lines, const std::function<bool(double sysl, const std::string& name)>& keep) {
    const int sysl = lines.FieldByName("f_Sysl").Index();
    const int spmc = lines.FieldByName("f_Spmc").Index();
    int n = 0;
    for (int r = 0; r < lines.RecordCount(); ++r)
        n += keep(lines.CellValue(r, sysl).AsFloat(), U8(lines.CellValue(r, spmc).AsString())) ? 1 : 0;
    return n;
}

fs::path LayoutPath(const fs::path& folder) {
    return folder / "config" / "gusvak" / "Trevalmpos.ini";
}

class SheetCommands : public ModuleFixture {
protected:
    // Presses F5 and confirms the dialog with these lines; returns the lines the dialog started from.
    TLogicList FilterWith(TFrmGusvak& form, const TLogicList& lines, bool confirm = true) {
        auto answered = std::make_shared<bool>(false);
        TLogicList initial;
        WhenModalShown<TFrmQuerySet>(
            [&](TFrmQuerySet& dialog) {
                initial = dialog.Logic();
                dialog.SetLogic(lines);
                (confirm ? dialog.btnOK : dialog.btnExit)->click();
            },
            PatientMs, answered);
        SendKey(&form, Qt::Key_F5);
        ProcessPending();
        EXPECT_TRUE(*answered) << "the filter dialog did not show";
        return initial;
    }

    // Presses F4 and lets the action answer the chooser.
    void ChooseWith(TFrmGusvak& form, std::function<void(TFrmChooseDBFields&)> action) {
        auto answered = std::make_shared<bool>(false);
        WhenModalShown<TFrmChooseDBFields>(std::move(action), PatientMs, answered);
        SendKey(&form, Qt::Key_F4);
        ProcessPending();
        EXPECT_TRUE(*answered) << "the chooser did not show";
    }
};

} // namespace

TEST_F(SheetCommands, F5FiltersTheSheetAndTheFooterCountsTheShownLines) {
    TFrmGusvak* form = OpenModule("0001", Demo.OpenSheets[0]);
    ASSERT_NE(form, nullptr);
    TMemDataSet& lines = *form->ADS_Main();
    const int all = lines.RecordCount();
    // A name part that some lines have and others not: the first line's first two characters.
    const std::string firstName = U8(lines.CellValue(0, lines.FieldByName("f_Spmc").Index()).AsString());
    const std::string part = firstName.substr(0, 6);

    // A difference quantity that some lines exceed and others not: the median.
    std::vector<double> sysls;
    for (int r = 0; r < all; ++r)
        sysls.push_back(lines.CellValue(r, lines.FieldByName("f_Sysl").Index()).AsFloat());
    std::sort(sysls.begin(), sysls.end());
    const double median = sysls[sysls.size() / 2];
    std::ostringstream medianText;
    medianText << std::setprecision(17) << median;

    struct TCase {
        const char* Name;
        TLogicList Lines;
        int Expected;
    };
    const TLogicList comparison = {ConditionLine(A("差异数量"), A("大于"), medianText.str())};
    const TLogicList exclusion = {ConditionLine(A("商品名称"), A("部分不等于"), Utf8ToAnsi(part))};
    const TLogicList both = {comparison[0], RelationLine(RelationAnd()), exclusion[0]};
    const TCase cases[] = {
        {"comparison", comparison,
         CountLines(lines, [&](double s, const std::string&) { return s > median; })},
        {"partial not equal", exclusion,
         CountLines(lines, [&](double, const std::string& n) { return n.find(part) == std::string::npos; })},
        {"both", both,
         CountLines(lines,
                    [&](double s, const std::string& n) {
                        return s > median && n.find(part) == std::string::npos;
                    })},
        {"empty list shows all", {}, all},
    };
    TLogicList previous;
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        ASSERT_TRUE(c.Lines.empty() || c.Expected < all) << "the case must hide some lines";
        ASSERT_GT(c.Expected, 0);
        // The dialog starts from what was confirmed last time.
        EXPECT_EQ(FilterWith(*form, c.Lines), previous);
        previous = c.Lines;
        EXPECT_EQ(form->dgdView->FilterStore(), c.Lines);
        EXPECT_EQ(form->dgdView->View()->model()->rowCount(), c.Expected);
        EXPECT_EQ(form->dgdView->FooterDisplayText(0), CountText(c.Expected));
    }

    // Cancelled: filter, store and footer stay as they were.
    FilterWith(*form, comparison);
    const int shown = form->dgdView->View()->model()->rowCount();
    FilterWith(*form, {}, false);
    EXPECT_EQ(form->dgdView->FilterStore(), comparison);
    EXPECT_EQ(form->dgdView->View()->model()->rowCount(), shown);
    EXPECT_EQ(form->dgdView->FooterDisplayText(0), CountText(shown));
    EXPECT_TRUE(Script.Shown().empty());
}

TEST_F(SheetCommands, UnparseableFilterShowsItsErrorKeepsTheNewLinesAndRecounts) {
    TFrmGusvak* form = OpenModule("0001", Demo.OpenSheets[0]);
    ASSERT_NE(form, nullptr);
    const int all = form->ADS_Main()->RecordCount();
    const AnsiString firstCode =
        form->ADS_Main()->CellValue(0, form->ADS_Main()->FieldByName("f_Spbm").Index()).AsString();
    FilterWith(*form, {ConditionLine(A("商品编码"), A("等于"), firstCode)});
    ASSERT_LT(form->dgdView->View()->model()->rowCount(), all);

    // A bare word on a number field: the data set can not read it.
    const TLogicList bad = {ConditionLine(A("差异数量"), A("等于"), "abc")};
    FilterWith(*form, bad);
    ASSERT_EQ(Script.Shown().size(), 1u);
    EXPECT_EQ(Script.Shown()[0].Caption, A("错误"));
    EXPECT_EQ(Script.Shown()[0].Icon, TMsgIcon::Error);
    // In the clerk's language, naming what was typed.
    EXPECT_EQ(Script.Shown()[0].Text, A("过滤条件有误：“abc”不是数值，也不是字段名（位置 12）。"));
    EXPECT_EQ(form->dgdView->FilterStore(), bad);
    // No half-applied filter: every line shows, and the footer says so.
    EXPECT_EQ(form->dgdView->View()->model()->rowCount(), all);
    EXPECT_EQ(form->dgdView->FooterDisplayText(0), CountText(all));
    EXPECT_NE(GusvakModule::FrmGusvak.data(), nullptr);
}

TEST_F(SheetCommands, F4HidesColumnsAndTheLayoutComesBackAfterReopening) {
    TFrmGusvak* form = OpenModule("0001", Demo.OpenSheets[0]);
    ASSERT_NE(form, nullptr);
    TAdvDBGridQx& grid = *form->dgdView;
    const int sphh = grid.FindColumn("f_Sphh"), sptm = grid.FindColumn("f_Sptm"),
              ggxh = grid.FindColumn("f_Ggxh");
    grid.SetColumnWidth(ggxh, 123); // dragged by the user
    ChooseWith(*form, [&](TFrmChooseDBFields& dialog) {
        ASSERT_EQ(dialog.ltvChoose->count(), grid.ColumnCount());
        // The sheet's columns are captioned with the field's label.
        EXPECT_EQ(dialog.ltvChoose->item(1)->text(), QString::fromUtf8("商品名称"));
        EXPECT_EQ(dialog.CheckedCount(), grid.ColumnCount());
        dialog.SetChecked(sphh, false);
        dialog.SetChecked(sptm, false);
        dialog.btnok->click();
    });
    EXPECT_FALSE(grid.ColumnVisible(sphh));
    EXPECT_FALSE(grid.ColumnVisible(sptm));
    EXPECT_TRUE(grid.ColumnVisible(ggxh));
    EXPECT_TRUE(grid.View()->isColumnHidden(sphh));
    {
        const TIniFile ini(LayoutPath(FFolder).string());
        EXPECT_EQ(ini.ReadString("Gusvak", "f_Sphh", "").substr(0, 2), "0,");
        EXPECT_EQ(ini.ReadString("Gusvak", "f_Ggxh", ""), "1,123");
    }

    SendKey(grid.View(), Qt::Key_Escape);
    ProcessPending();
    ASSERT_EQ(GusvakModule::FrmGusvak.data(), nullptr);

    form = OpenModule("0001", Demo.OpenSheets[0]);
    ASSERT_NE(form, nullptr);
    for (int c = 0; c < form->dgdView->ColumnCount(); ++c)
        EXPECT_EQ(form->dgdView->ColumnVisible(c), c != sphh && c != sptm) << c;
    EXPECT_EQ(form->dgdView->ColumnWidth(ggxh), 123);
    EXPECT_TRUE(form->dgdView->View()->isColumnHidden(sptm));
}

TEST_F(SheetCommands, CancellingTheChooserStillSavesTheLayout) {
    TFrmGusvak* form = OpenModule("0001", Demo.OpenSheets[0]);
    ASSERT_NE(form, nullptr);
    ASSERT_FALSE(fs::exists(LayoutPath(FFolder)));
    ChooseWith(*form, [](TFrmChooseDBFields& dialog) {
        dialog.CheckNone();
        dialog.btncancel->click();
    });
    ASSERT_TRUE(fs::exists(LayoutPath(FFolder)));
    const TIniFile ini(LayoutPath(FFolder).string());
    EXPECT_EQ(ini.ReadSection("Gusvak").size(), 28u);
    for (int c = 0; c < form->dgdView->ColumnCount(); ++c) {
        EXPECT_TRUE(form->dgdView->ColumnVisible(c)) << c;
        EXPECT_EQ(ini.ReadString("Gusvak", form->dgdView->Column(c).FieldName, ""),
                  "1," + std::to_string(form->dgdView->ColumnWidth(c)));
    }
}

TEST_F(SheetCommands, F1ShowsTheHelpPopupAndAnyKeyOrClickClosesIt) {
    TFrmGusvak* form = OpenModule("0001", Demo.OpenSheets[0]);
    ASSERT_NE(form, nullptr);
    struct TCloser {
        const char* Name;
        std::function<void(TRopInst&)> Close;
    };
    const TCloser closers[] = {
        {"a letter", [](TRopInst& popup) { SendKey(&popup, Qt::Key_A, Qt::NoModifier, "a"); }},
        {"Esc", [](TRopInst& popup) { SendKey(&popup, Qt::Key_Escape); }},
        {"a click outside the box",
         [](TRopInst& popup) {
             QMouseEvent press(QEvent::MouseButtonPress, QPointF(-50, -50), QPointF(-50, -50), Qt::LeftButton,
                               Qt::LeftButton, Qt::NoModifier);
             QCoreApplication::sendEvent(&popup, &press);
         }},
    };
    for (const TCloser& closer : closers) {
        SCOPED_TRACE(closer.Name);
        auto answered = std::make_shared<bool>(false);
        QString text;
        bool visible = false;
        WhenModalShown<TRopInst>(
            [&](TRopInst& popup) {
                text = popup.Text();
                visible = popup.isVisible();
                closer.Close(popup);
            },
            PatientMs, answered);
        SendKey(form, Qt::Key_F1);
        ProcessPending();
        ASSERT_TRUE(*answered) << "no popup";
        EXPECT_TRUE(visible);
        const QStringList shownLines = text.split(QLatin1Char('\n'));
        ASSERT_EQ(shownLines.size(), 36);
        EXPECT_EQ(shownLines[0], QString::fromUtf8("快捷键："));
        EXPECT_EQ(shownLines[1], QString::fromUtf8("    助  手: F1"));
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "closed";
    }
    EXPECT_TRUE(Script.Shown().empty());
    EXPECT_NE(GusvakModule::FrmGusvak.data(), nullptr); // Esc closed the popup, not the form
}

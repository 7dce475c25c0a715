// The filter builder dialog and the grid's filter operation, driven through their controls with
// scripted answers to every message box.
#include "DialogsFixture.h"

#include "module/GridFilterDialog.h"
#include "module/UnitQuerySet.h"
#include "platform/MessageService.h"

#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

AnsiString U(const char* utf8) {
    return Utf8ToAnsi(utf8);
}

class QuerySet : public ::testing::Test {
protected:
    QuerySet() : FScope(FMessages) { TestApp(); }

    // Picks the field, operator and value in the editors and presses the add button.
    void Add(TFrmQuerySet& dlg, const char* field, const char* factor, const char* value) {
        dlg.cbxField->setCurrentText(QString::fromUtf8(field));
        dlg.cbxFactor->setCurrentText(QString::fromUtf8(factor));
        dlg.editValue->setText(QString::fromUtf8(value));
        dlg.btnAddLogic->click();
    }

    TScriptedMessageService FMessages;
    TMessageServiceScope FScope;
    std::shared_ptr<TMemDataSet> FLines = MakeLines();
};

// The three-line list: 商品编码 = 01, 或者, 实盘数量 > 1.
TLogicList ThreeLines() {
    return {ConditionLine(U("商品编码"), U("等于"), U("01")), RelationLine(RelationOr()),
            ConditionLine(U("实盘数量"), U("大于"), U("1"))};
}

TEST_F(QuerySet, EditorsListTheFieldsAndOperators) {
    FLines->FieldByName("f_Spmc").Visible = false;
    TFrmQuerySet all(nullptr, *FLines, false);
    TFrmQuerySet visible(nullptr, *FLines, true);
    EXPECT_EQ(all.cbxField->count(), 4);
    EXPECT_EQ(visible.cbxField->count(), 3);
    EXPECT_EQ(visible.cbxField->itemText(1), QString::fromUtf8("实盘数量"));
    ASSERT_EQ(all.cbxFactor->count(), 9);
    EXPECT_EQ(all.cbxFactor->itemText(7), QString::fromUtf8("部分不等于"));
    EXPECT_EQ(all.size(), QSize(629, 264));

    all.editValue->setText("x");
    all.cbxField->setCurrentIndex(2);
    EXPECT_TRUE(all.editValue->text().isEmpty()) << "choosing another field empties the value";
}

TEST_F(QuerySet, AddingAsksForTheRelationAndRemembersIt) {
    TFrmQuerySet dlg(nullptr, *FLines, false);
    Add(dlg, "商品编码", "等于", "");
    ASSERT_EQ(FMessages.Shown().size(), 1u);
    EXPECT_EQ(FMessages.Shown()[0].Text, U("请输入一个值。"));
    EXPECT_EQ(FMessages.Shown()[0].Caption, U("警告"));
    EXPECT_TRUE(dlg.Logic().empty());

    Add(dlg, "商品编码", "等于", "01"); // first line: no relation asked
    EXPECT_EQ(FMessages.Shown().size(), 1u);

    FMessages.ExpectChoice(-1); // cancelled: nothing added
    Add(dlg, "实盘数量", "大于", "1");
    EXPECT_EQ(dlg.Logic().size(), 1u);
    const TShownMessage& choice = FMessages.Shown().back();
    EXPECT_EQ(choice.Kind, TMsgKind::Choice);
    EXPECT_EQ(choice.Caption, U("选择框"));
    EXPECT_EQ(choice.Text, U("请选择一个逻辑关系："));
    EXPECT_EQ(choice.Choices, (std::vector<AnsiString>{U("并且"), U("或者")}));
    EXPECT_EQ(choice.Preselected, 0);

    FMessages.ExpectChoice(1); // 或者
    Add(dlg, "实盘数量", "大于", "1");
    EXPECT_EQ(dlg.Logic(), ThreeLines());
    EXPECT_EQ(dlg.LastRelation(), U("或者"));
    EXPECT_EQ(dlg.lvwLogic->topLevelItemCount(), 3);
    EXPECT_EQ(dlg.lvwLogic->topLevelItem(1)->text(3), QString::fromUtf8("或者"));

    FMessages.ExpectChoice(0);
    Add(dlg, "差异数量", "小于", "0");
    EXPECT_EQ(FMessages.Shown().back().Choices, (std::vector<AnsiString>{U("或者"), U("并且")}));
    EXPECT_EQ(FMessages.UnscriptedCount(), 1u); // only the empty-value warning
}

TEST_F(QuerySet, SameConditionAgain) {
    // on the last line with the add button showing: confirms the dialog
    {
        TFrmQuerySet dlg(nullptr, *FLines, false);
        dlg.SetLogic(ThreeLines());
        Add(dlg, "实盘数量", "大于", "1");
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
        EXPECT_EQ(dlg.SQLText(), "( f_Spbm = '01' ) OR ( f_Spsl > 1 )");
        EXPECT_TRUE(FMessages.Shown().empty());
    }
    // not the last line: says so and adds nothing
    {
        TFrmQuerySet dlg(nullptr, *FLines, false);
        dlg.SetLogic(ThreeLines());
        Add(dlg, "商品编码", "等于", "01");
        EXPECT_NE(dlg.result(), QDialog::Accepted);
        ASSERT_EQ(FMessages.Shown().size(), 1u);
        EXPECT_EQ(FMessages.Shown()[0].Text, U("该逻辑表达式已经存在。"));
        EXPECT_EQ(FMessages.Shown()[0].Caption, U("信息"));
        EXPECT_EQ(dlg.Logic(), ThreeLines());
    }
    // while a line is being modified (the add button hidden), Enter on the last one does not confirm
    {
        FMessages.Clear();
        TFrmQuerySet dlg(nullptr, *FLines, false);
        dlg.SetLogic(ThreeLines());
        dlg.SetSelected(2);
        dlg.MenuModifyField();
        QTest::keyClick(dlg.editValue, Qt::Key_Return);
        EXPECT_NE(dlg.result(), QDialog::Accepted);
        ASSERT_EQ(FMessages.Shown().size(), 1u);
        EXPECT_EQ(FMessages.Shown()[0].Text, U("该逻辑表达式已经存在。"));
    }
}

TEST_F(QuerySet, DeletionRules) {
    const TLogicLine c1 = ConditionLine(U("商品编码"), U("等于"), U("01"));
    const TLogicLine r1 = RelationLine(RelationOr());
    const TLogicLine c2 = ConditionLine(U("实盘数量"), U("大于"), U("1"));
    const TLogicLine r2 = RelationLine(RelationAnd());
    const TLogicLine c3 = ConditionLine(U("差异数量"), U("小于"), U("0"));
    const AnsiString askCondition = U("您确认删除该逻辑表达式吗？");
    const AnsiString askRelation = U("删除该逻辑关系，将同时删除与之关联的逻辑表达式。\r\n您确认继续吗？");
    struct Case {
        TLogicList lines;
        int select;
        TMsgResult answer;
        AnsiString question;
        TLogicList left;
    } cases[] = {
        {{c1, r1, c2}, 0, TMsgResult::Yes, askCondition, {c2}}, // the first: with the relation after it
        {{c1, r1, c2, r2, c3}, 2, TMsgResult::Yes, askCondition, {c1, r2, c3}}, // with the relation before
        {{c1, r1, c2, r2, c3}, 4, TMsgResult::Yes, askCondition, {c1, r1, c2}},
        {{c1, r1, c2, r2, c3}, 1, TMsgResult::Yes, askRelation, {c1, r2, c3}}, // with the condition after
        {{c1, r1, c2}, 1, TMsgResult::No, askRelation, {c1, r1, c2}},
        {{c1}, 0, TMsgResult::Yes, askCondition, {}},
    };
    for (const Case& c : cases) {
        FMessages.Clear();
        TFrmQuerySet dlg(nullptr, *FLines, false);
        dlg.SetLogic(c.lines);
        dlg.SetSelected(c.select);
        FMessages.Expect(c.answer);
        dlg.MenuDelete();
        ASSERT_EQ(FMessages.Shown().size(), 1u);
        EXPECT_EQ(FMessages.Shown()[0].Text, c.question);
        EXPECT_EQ(FMessages.Shown()[0].Caption, U("询问"));
        EXPECT_EQ(FMessages.Shown()[0].Buttons, TMsgButtons::YesNo);
        EXPECT_EQ(dlg.Logic(), c.left) << "select " << c.select;
        EXPECT_EQ(dlg.lvwLogic->topLevelItemCount(), static_cast<int>(c.left.size()));
    }
    FMessages.Clear();
    TFrmQuerySet dlg(nullptr, *FLines, false);
    dlg.SetLogic({c1});
    dlg.MenuDelete(); // nothing selected
    ASSERT_EQ(FMessages.Shown().size(), 1u);
    EXPECT_EQ(FMessages.Shown()[0].Text, U("请选择一个逻辑表达式。"));
    EXPECT_EQ(dlg.Logic().size(), 1u);
}

TEST_F(QuerySet, MenuEnablingRelationsAndModifying) {
    TFrmQuerySet dlg(nullptr, *FLines, false);
    dlg.SetLogic(ThreeLines());
    dlg.SetSelected(1);
    dlg.PrepareMenu();
    EXPECT_TRUE(dlg.mniModifyRelation->isEnabled());
    EXPECT_FALSE(dlg.mniModifyField->isEnabled());
    dlg.mniRelationAnd->trigger();
    EXPECT_EQ(dlg.Logic()[1].Relation, U("并且"));
    dlg.MenuModifyField(); // a relation line: refused
    EXPECT_EQ(FMessages.Shown().back().Text, U("请选择一个逻辑表达式。"));
    EXPECT_TRUE(dlg.btnModifyOK->isHidden());

    dlg.SetSelected(2);
    dlg.PrepareMenu();
    EXPECT_FALSE(dlg.mniModifyRelation->isEnabled());
    EXPECT_TRUE(dlg.mniModifyField->isEnabled());
    dlg.mniRelationOr->trigger(); // not a relation line: left alone
    EXPECT_EQ(dlg.Logic()[2], ThreeLines()[2]);

    // modify, then cancel: the line stays
    dlg.mniModifyField->trigger();
    EXPECT_EQ(dlg.cbxField->currentText(), QString::fromUtf8("实盘数量"));
    EXPECT_EQ(dlg.cbxFactor->currentText(), QString::fromUtf8("大于"));
    EXPECT_EQ(dlg.editValue->text(), "1");
    EXPECT_FALSE(dlg.btnModifyOK->isHidden());
    EXPECT_FALSE(dlg.btnModifyCancel->isHidden());
    EXPECT_TRUE(dlg.btnAddLogic->isHidden());
    dlg.editValue->setText("9");
    dlg.btnModifyCancel->click();
    EXPECT_EQ(dlg.Logic()[2].Value, "1");
    EXPECT_TRUE(dlg.btnModifyOK->isHidden());
    EXPECT_FALSE(dlg.btnAddLogic->isHidden());

    // modify, then OK: the editors go back into the line
    dlg.SetSelected(2);
    dlg.MenuModifyField();
    dlg.cbxFactor->setCurrentText(QString::fromUtf8("小于等于"));
    dlg.editValue->setText("9");
    dlg.btnModifyOK->click();
    EXPECT_EQ(dlg.Logic()[2], ConditionLine(U("实盘数量"), U("小于等于"), U("9")));
    EXPECT_TRUE(dlg.btnModifyCancel->isHidden());
    EXPECT_EQ(dlg.lvwLogic->topLevelItem(2)->text(1), QString::fromUtf8("小于等于"));
}

TEST_F(QuerySet, KeysTestBoxHelpAndClear) {
    TFrmQuerySet dlg(nullptr, *FLines, false);
    dlg.SetHelpText(U("字段名称值的要求:\r\n"));
    dlg.show();
    dlg.cbxField->setCurrentText(QString::fromUtf8("商品名称"));
    dlg.cbxFactor->setCurrentText(QString::fromUtf8("左等于"));
    dlg.editValue->setText(QString::fromUtf8("5'' 显示器"));
    QTest::keyClick(dlg.editValue, Qt::Key_Return); // Enter adds, and closes nothing
    EXPECT_EQ(dlg.Logic().size(), 1u);
    EXPECT_TRUE(dlg.isVisible());

    QTest::keyRelease(dlg.editValue, Qt::Key_Up);
    EXPECT_EQ(dlg.editValue->selectedText(), QString::fromUtf8("5'' 显示器"));

    FMessages.ExpectInput(std::nullopt);
    QApplication::setActiveWindow(&dlg);
    QTest::keyClick(dlg.editValue, Qt::Key_F2, Qt::AltModifier);
    ASSERT_EQ(FMessages.Shown().size(), 1u);
    const TShownMessage& box = FMessages.Shown()[0];
    EXPECT_EQ(box.Kind, TMsgKind::Input);
    EXPECT_EQ(box.Caption, U("测试信息"));
    EXPECT_EQ(box.Text, U("查询语句"));
    EXPECT_EQ(box.DefaultText, U("( f_Spmc LIKE '5'''' 显示器%' )"));
    EXPECT_TRUE(dlg.isVisible());

    dlg.btnHelp->click();
    EXPECT_EQ(FMessages.Shown().back().Text, U("字段名称值的要求:\r\n"));
    EXPECT_EQ(FMessages.Shown().back().Caption, U("信息"));

    dlg.btnClearLogic->click();
    EXPECT_TRUE(dlg.Logic().empty());
    EXPECT_EQ(dlg.lvwLogic->topLevelItemCount(), 0);

    QTest::keyClick(&dlg, Qt::Key_Escape);
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_FALSE(dlg.isVisible());
}

// The grid's operation around the dialog.
TEST_F(QuerySet, FilterDialogCancelLeavesEverything) {
    TLogicList store = ThreeLines();
    FLines->SetFilter("( f_Spsl > 4 )");
    FLines->SetFiltered(true);
    const bool applied = FilterDialog(nullptr, *FLines, store, U("盘点损益表"), false, [](TFrmQuerySet& dlg) {
        EXPECT_EQ(dlg.Logic(), ThreeLines()) << "the store is the initial list";
        dlg.ClearLogic();
        return static_cast<int>(QDialog::Rejected);
    });
    EXPECT_FALSE(applied);
    EXPECT_EQ(store, ThreeLines());
    EXPECT_EQ(FLines->Filter(), "( f_Spsl > 4 )");
    EXPECT_EQ(FLines->RecordCount(), 3);
}

TEST_F(QuerySet, FilterDialogAppliesAndKeepsTheLines) {
    TLogicList store;
    const bool applied =
        FilterDialog(nullptr, *FLines, store, U("盘点损益表"), false, [this](TFrmQuerySet& dlg) {
            EXPECT_EQ(dlg.gbxGoodsInfo->title(), QString::fromUtf8("盘点损益表"));
            EXPECT_EQ(dlg.btnOK->text(), QString::fromUtf8("过  滤(&O)"));
            EXPECT_EQ(dlg.HelpText(), U("字段名称值的要求:\r\n"));
            EXPECT_TRUE(dlg.Logic().empty());
            Add(dlg, "商品名称", "部分不等于", "ABC");
            dlg.btnOK->click();
            return dlg.result();
        });
    EXPECT_TRUE(applied);
    EXPECT_EQ(store, (TLogicList{ConditionLine(U("商品名称"), U("部分不等于"), U("ABC"))}));
    // every line whose name holds ABC is excluded by name
    EXPECT_EQ(FLines->Filter(), "( f_Spmc<>'temp@temp@temp' and (f_Spmc<>'ABC' and f_Spmc<>'xABCx') )");
    EXPECT_TRUE(FLines->Filtered());
    EXPECT_EQ(FLines->RecordCount(), 3);

    // the next use starts from the stored lines; confirming an empty list shows every line
    EXPECT_TRUE(FilterDialog(nullptr, *FLines, store, "  ", false, [&](TFrmQuerySet& dlg) {
        EXPECT_EQ(dlg.Logic(), store);
        EXPECT_TRUE(dlg.gbxGoodsInfo->title().isEmpty()) << "a blank title is not used";
        dlg.ClearLogic();
        dlg.ConfirmFilter();
        return dlg.result();
    }));
    EXPECT_TRUE(store.empty());
    EXPECT_EQ(FLines->Filter(), "");
    EXPECT_TRUE(FLines->Filtered());
    EXPECT_EQ(FLines->RecordCount(), 6);
}

TEST_F(QuerySet, FilterDialogShowsTheErrorOfAnUnparseableFilter) {
    TLogicList store;
    const TLogicList typed = {ConditionLine(U("实盘数量"), U("等于"), U("abc"))};
    const bool applied =
        FilterDialog(nullptr, *FLines, store, U("盘点损益表"), false, [&](TFrmQuerySet& dlg) {
            dlg.SetLogic(typed);
            dlg.ConfirmFilter();
            return dlg.result();
        });
    EXPECT_FALSE(applied);
    EXPECT_EQ(store, typed) << "the store holds the new lines for the next try";
    ASSERT_EQ(FMessages.Shown().size(), 1u);
    EXPECT_EQ(FMessages.Shown()[0].Caption, U("错误"));
    EXPECT_EQ(FMessages.Shown()[0].Icon, TMsgIcon::Error);
    EXPECT_NE(FMessages.Shown()[0].Text.find("abc"), AnsiString::npos);
}

} // namespace

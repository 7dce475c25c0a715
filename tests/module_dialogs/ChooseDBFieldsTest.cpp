// The column chooser: items from the columns, check all / none, the refusal of too few columns,
// applying the choice, and an error raised while applying.
#include "DialogsFixture.h"

#include "module/UnitChooseDBFields.h"
#include "platform/MessageService.h"

#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

class ChooseDBFields : public ::testing::Test {
protected:
    ChooseDBFields() : FScope(FMessages) { TestApp(); }

    TScriptedMessageService FMessages;
    TMessageServiceScope FScope;
    std::vector<TChooseColumn> FColumns = {
        {Utf8ToAnsi("商品编码"), true}, {Utf8ToAnsi("商品名称"), false}, {Utf8ToAnsi("实盘数量"), true}};
    std::vector<std::pair<int, bool>> FApplied;
    TApplyColumnVisibility FApply = [this](int index, bool visible) {
        FApplied.emplace_back(index, visible);
    };
};

TEST_F(ChooseDBFields, ShowsTheColumns) {
    TFrmChooseDBFields dlg(nullptr, FColumns, 1, FApply);
    EXPECT_EQ(dlg.windowTitle(), QString::fromUtf8("选择项目"));
    EXPECT_EQ(dlg.size(), QSize(312, 204));
    EXPECT_EQ(dlg.palette().color(QPalette::Window), QColor(0xFB, 0xFE, 0xDE)); // 14614267 = 0xDEFEFB
    ASSERT_EQ(dlg.ltvChoose->count(), 3);
    EXPECT_EQ(dlg.ltvChoose->item(1)->text(), QString::fromUtf8("商品名称"));
    EXPECT_EQ(dlg.CheckedCount(), 2);
    EXPECT_FALSE(dlg.Checked(1));
    dlg.btnAll->click();
    EXPECT_EQ(dlg.CheckedCount(), 3);
    dlg.btnno->click();
    EXPECT_EQ(dlg.CheckedCount(), 0);
}

TEST_F(ChooseDBFields, RefusesTooFewColumns) {
    struct Case {
        int frozen;
        std::vector<bool> checked;
        bool accepted;
    } cases[] = {
        {1, {true, false, false}, false}, // one frozen column: one checked is refused
        {1, {true, false, true}, true},   // two are accepted
        {0, {false, false, false}, false}, {0, {false, true, false}, true}, {3, {true, true, true}, false},
    };
    for (const Case& c : cases) {
        FMessages.Clear();
        FApplied.clear();
        const int result = ChooseColumns(nullptr, FColumns, c.frozen, FApply, [&](TFrmChooseDBFields& dlg) {
            for (int i = 0; i < 3; ++i)
                dlg.SetChecked(i, c.checked[static_cast<std::size_t>(i)]);
            dlg.btnok->click();
            return dlg.result();
        });
        EXPECT_EQ(result == QDialog::Accepted, c.accepted) << "frozen " << c.frozen;
        if (c.accepted) {
            EXPECT_TRUE(FMessages.Shown().empty());
            ASSERT_EQ(FApplied.size(), 3u);
            for (int i = 0; i < 3; ++i)
                EXPECT_EQ(FApplied[static_cast<std::size_t>(i)],
                          std::make_pair(i, c.checked[static_cast<std::size_t>(i)]));
        } else {
            EXPECT_TRUE(FApplied.empty());
            ASSERT_EQ(FMessages.Shown().size(), 1u);
            EXPECT_EQ(FMessages.Shown()[0].Text, Utf8ToAnsi("所选列数必须大于固定列数!"));
            EXPECT_EQ(FMessages.Shown()[0].Caption, Utf8ToAnsi("警告"));
            EXPECT_EQ(FMessages.Shown()[0].Icon, TMsgIcon::Warning);
        }
    }
}

TEST_F(ChooseDBFields, CancelAppliesNothingAndAnErrorClosesTheDialog) {
    EXPECT_EQ(ChooseColumns(nullptr, FColumns, 1, FApply,
                            [](TFrmChooseDBFields& dlg) {
                                dlg.btnAll->click();
                                dlg.btncancel->click();
                                return dlg.result();
                            }),
              QDialog::Rejected);
    EXPECT_TRUE(FApplied.empty());

    TFrmChooseDBFields dlg(nullptr, FColumns, 1, [](int, bool) { throw std::runtime_error("column gone"); });
    dlg.show();
    dlg.btnok->click();
    EXPECT_FALSE(dlg.isVisible());
    ASSERT_EQ(FMessages.Shown().size(), 1u);
    EXPECT_EQ(FMessages.Shown()[0].Text, "column gone");
    EXPECT_EQ(FMessages.Shown()[0].Caption, Utf8ToAnsi("错误"));
}

} // namespace

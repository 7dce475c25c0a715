// The message service switch and the scripted service: answers in order, refused misfits,
// the record of what was shown, and the never-blocking fallback.
#include "platform/MessageService.h"

#include <gtest/gtest.h>

namespace {

TEST(ScriptedMessages, AnswersInOrderAndRecordsEveryBox) {
    TScriptedMessageService script;
    script.Expect(TMsgResult::Yes);
    script.ExpectChoice(1);
    script.ExpectInput(CP936("查询语句"));
    script.ExpectInput(std::nullopt);
    script.ExpectChoice(-1);

    EXPECT_TRUE(script.Confirm(CP936("您确认删除该逻辑表达式吗？")));
    const std::vector<AnsiString> relations = {CP936("并且"), CP936("或者")};
    EXPECT_EQ(script.ChoiceBox(CP936("选择框"), CP936("请选择一个逻辑关系："), relations, 0), 1);
    EXPECT_EQ(script.InputBox(CP936("测试信息"), "prompt", "( f_Sysl > -50 )"), CP936("查询语句"));
    EXPECT_EQ(script.InputBox(CP936("测试信息"), "prompt", ""), std::nullopt);
    EXPECT_EQ(script.ChoiceBox(CP936("选择框"), "p", relations, 1), -1);
    EXPECT_EQ(script.PendingAnswers(), 0u);
    EXPECT_EQ(script.UnscriptedCount(), 0u);

    const auto& shown = script.Shown();
    ASSERT_EQ(shown.size(), 5u);
    EXPECT_EQ(shown[0].Kind, TMsgKind::Message);
    EXPECT_EQ(shown[0].Caption, CP936("询问"));
    EXPECT_EQ(shown[0].Text, CP936("您确认删除该逻辑表达式吗？"));
    EXPECT_EQ(shown[0].Icon, TMsgIcon::Question);
    EXPECT_EQ(shown[0].Buttons, TMsgButtons::YesNo);
    EXPECT_EQ(shown[0].Result, TMsgResult::Yes);
    EXPECT_EQ(shown[1].Kind, TMsgKind::Choice);
    EXPECT_EQ(shown[1].Caption, CP936("选择框"));
    EXPECT_EQ(shown[1].Text, CP936("请选择一个逻辑关系："));
    EXPECT_EQ(shown[1].Choices, relations);
    EXPECT_EQ(shown[1].Preselected, 0);
    EXPECT_EQ(shown[1].Choice, 1);
    EXPECT_EQ(shown[2].Kind, TMsgKind::Input);
    EXPECT_EQ(shown[2].DefaultText, "( f_Sysl > -50 )");
    EXPECT_EQ(shown[2].Input, CP936("查询语句"));
    EXPECT_EQ(shown[3].Result, TMsgResult::Cancel);
    EXPECT_EQ(shown[4].Result, TMsgResult::Cancel);
}

TEST(ScriptedMessages, WrappersUseTheStandardCaptionsAndIcons) {
    TScriptedMessageService script;
    script.Information(CP936("请先确定单据号"));
    script.Warning(CP936("请输入一个值。"));
    script.Error(CP936("未知错误！"));
    script.Information("x", CP936("提示"));
    const struct {
        const char* Caption;
        TMsgIcon Icon;
    } expected[] = {
        {"信息", TMsgIcon::Information},
        {"警告", TMsgIcon::Warning},
        {"错误", TMsgIcon::Error},
        {"提示", TMsgIcon::Information},
    };
    ASSERT_EQ(script.Shown().size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(script.Shown()[i].Caption, Utf8ToAnsi(expected[i].Caption)) << i;
        EXPECT_EQ(script.Shown()[i].Icon, expected[i].Icon) << i;
        EXPECT_EQ(script.Shown()[i].Buttons, TMsgButtons::OK) << i;
        EXPECT_EQ(script.Shown()[i].Result, TMsgResult::OK) << i;
    }
}

// An answer that does not fit the box stays queued; the box gets the dismissing answer, so a
// confirmation is never taken as given by accident.
TEST(ScriptedMessages, MisfitOrMissingAnswersDismiss) {
    const struct {
        TMsgButtons Buttons;
        TMsgResult Dismiss;
    } dismiss[] = {
        {TMsgButtons::OK, TMsgResult::OK},
        {TMsgButtons::OKCancel, TMsgResult::Cancel},
        {TMsgButtons::YesNo, TMsgResult::No},
        {TMsgButtons::YesNoCancel, TMsgResult::Cancel},
    };
    for (const auto& c : dismiss) {
        TScriptedMessageService script;
        EXPECT_EQ(script.ShowMessage("t", "c", TMsgIcon::None, c.Buttons), c.Dismiss);
        EXPECT_FALSE(script.Shown().back().Scripted);
    }

    TScriptedMessageService script;
    script.Expect(TMsgResult::OK); // an OK for a Yes/No box does not fit
    EXPECT_FALSE(script.Confirm("delete?"));
    EXPECT_EQ(script.ChoiceBox("c", "p", {"a", "b"}, 0), -1); // a message answer for a choice box
    EXPECT_EQ(script.InputBox("c", "p", "default"), std::nullopt);
    EXPECT_EQ(script.PendingAnswers(), 1u);
    script.ShowMessage("ok box", "c", TMsgIcon::None, TMsgButtons::OK); // now it fits
    EXPECT_EQ(script.PendingAnswers(), 0u);
    script.ExpectChoice(2); // out of range for two choices
    EXPECT_EQ(script.ChoiceBox("c", "p", {"a", "b"}, 0), -1);
    EXPECT_EQ(script.UnscriptedCount(), 4u);
    EXPECT_EQ(script.Shown().size(), 5u);
}

TEST(MessageServiceSwitch, FallbackAnswersWithoutBlockingAndScopesRestore) {
    // Nothing installed: boxes return at once with the dismissing answer.
    EXPECT_FALSE(Messages().Confirm("headless"));
    EXPECT_EQ(Messages().ChoiceBox("c", "p", {"a"}, 0), -1);
    EXPECT_EQ(Messages().InputBox("c", "p", "d"), std::nullopt);

    TScriptedMessageService outer;
    TScriptedMessageService inner;
    {
        TMessageServiceScope outerScope(outer);
        {
            TMessageServiceScope innerScope(inner);
            inner.Expect(TMsgResult::Yes);
            EXPECT_TRUE(Messages().Confirm("inner"));
        }
        Messages().Warning("outer");
    }
    EXPECT_EQ(inner.Shown().size(), 1u);
    ASSERT_EQ(outer.Shown().size(), 1u);
    EXPECT_EQ(outer.Shown()[0].Text, "outer");
    EXPECT_NE(&Messages(), &outer);
    EXPECT_NE(&Messages(), &inner);
}

} // namespace

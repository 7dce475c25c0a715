// The search condition dialog against the demo server: digits-only entry, the document look-up
// through Enter (one match, a list, a remark), the leave rule, the remark list and the confirm
// rules with their messages.
#include "ModuleTestSupport.h"

#include "framework/LookupList.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFocusEvent>

using namespace moduletest;

namespace {

class ConditionTest : public ModuleFixture {
protected:
    void SetUp() override {
        ModuleFixture::SetUp();
        GusvakModule::Enter(nullptr, "", Server.Get());
        Dialog = std::make_unique<TFrmCondition>();
    }
    void TearDown() override {
        Dialog.reset();
        ModuleFixture::TearDown();
    }
    void Enter() { SendKey(Dialog->edtDjh, Qt::Key_Return); }
    // The look-up waits in its own loop for the list to be answered.
    void WhenListShown(std::function<void(TLookupListView&)> action) {
        WhenReady([this] { return Dialog->Orvane().LookupListVisible(); },
                  [this, action] { action(*Dialog->Orvane().LookupList()); });
    }
    std::unique_ptr<TFrmCondition> Dialog;
};

} // namespace

TEST_F(ConditionTest, DocumentNumberTakesDigitsOnly) {
    QLineEdit* edit = Dialog->edtDjh;
    const std::pair<int, const char*> keys[] = {
        {Qt::Key_A, "a"},     {Qt::Key_1, "1"}, {Qt::Key_Minus, "-"},      {Qt::Key_2, "2"},
        {Qt::Key_Space, " "}, {Qt::Key_3, "3"}, {Qt::Key_Backspace, "\b"}, {Qt::Key_X, "x"}};
    for (const auto& [key, text] : keys)
        SendKey(edit, key, Qt::NoModifier, QString::fromLatin1(text));
    EXPECT_EQ(edit->text(), "12");
    edit->insert("4b5"); // pasting obeys the rule as well
    EXPECT_EQ(edit->text(), "12");
    EXPECT_TRUE(Script.Shown().empty());
}

TEST_F(ConditionTest, EnterLooksTheNumberUpAndLeavingPutsTheLastResultBack) {
    // Typed by hand and left without a look-up: emptied.
    Dialog->edtDjh->setText("2024");
    QFocusEvent out(QEvent::FocusOut);
    QCoreApplication::sendEvent(Dialog->edtDjh, &out);
    EXPECT_TRUE(Dialog->edtDjh->text().isEmpty());
    EXPECT_TRUE(Dialog->Djh.empty());

    // The whole number matches one sheet: taken without a list.
    const std::string djh = Demo.OpenSheets[2];
    Dialog->edtDjh->setText(QString::fromStdString(djh));
    Enter();
    EXPECT_EQ(Dialog->Djh, djh);
    EXPECT_EQ(Dialog->edtDjh->text().toStdString(), djh);
    // A later hand-typed number is replaced by that result on leaving.
    Dialog->edtDjh->setText("99");
    QCoreApplication::sendEvent(Dialog->edtDjh, &out);
    EXPECT_EQ(Dialog->edtDjh->text().toStdString(), djh);

    // The posted sheet is no candidate.
    Dialog->edtDjh->setText(QString::fromStdString(Demo.PostedSheet));
    Enter();
    EXPECT_TRUE(Dialog->Djh.empty());
}

TEST_F(ConditionTest, SeveralMatchesOpenTheListAndItsChoiceIsTaken) {
    Dialog->show();
    ProcessPending();
    std::string listed;
    WhenListShown([&](TLookupListView& list) {
        EXPECT_EQ(list.RowCount(), 4); // every open sheet of the department
        list.SelectRow(1);
        listed = list.Cell(1, 0);
        SendKey(&list, Qt::Key_Return);
    });
    Dialog->edtDjh->clear();
    Enter(); // empty prefix: every number matches
    EXPECT_FALSE(listed.empty());
    EXPECT_EQ(Dialog->Djh, listed);
    EXPECT_EQ(Dialog->edtDjh->text().toStdString(), listed);

    // Esc in the list leaves the result empty.
    WhenListShown([](TLookupListView& list) { SendKey(&list, Qt::Key_Escape); });
    Dialog->edtDjh->clear();
    Enter();
    EXPECT_TRUE(Dialog->Djh.empty());
}

TEST_F(ConditionTest, RemarksAreListedAndNarrowTheLookupEvenWithAQuote) {
    bool found = false;
    for (int i = 0; i < Dialog->cmbBz->count(); ++i)
        found = found || QStringToAnsi(Dialog->cmbBz->itemText(i)) == A(Demo.Remark.c_str());
    EXPECT_TRUE(found);

    Db().Execute("update tbDlpdzb set f_Bz = ? where f_Djh = ?",
                 {Value::String("O'Neil"), Value::String(Demo.RemarkSheet)});
    Dialog->cmbBz->setEditText("O'Neil");
    Enter();
    EXPECT_EQ(Dialog->Djh, Demo.RemarkSheet);
}

TEST_F(ConditionTest, ConfirmNeedsANumberAndADateNotBeforeTheSheet) {
    struct {
        const char* Djh;
        QDate Date;
        const char* Message; // nullptr: accepted
    } cases[] = {
        {"", QDate(2024, 9, 15), "请先确定单据号"},
        {"202409150001", QDate(2024, 9, 15), nullptr},
        {"202409150001", QDate(2024, 9, 14), "模拟日期必须大于制单日期"},
        {"202409150001", QDate(2025, 1, 1), nullptr},
        {"2024", QDate(2024, 1, 1), nullptr}, // a short number compares as a whole
    };
    for (const auto& c : cases) {
        Script.Clear();
        Dialog->setResult(0);
        Dialog->Mnrq.clear();
        Dialog->Djh = c.Djh;
        Dialog->dtpMnrq->setDate(c.Date);
        Dialog->btnOK->click();
        if (c.Message == nullptr) {
            EXPECT_EQ(Dialog->result(), QDialog::Accepted) << c.Djh;
            EXPECT_EQ(Dialog->Mnrq, c.Date.toString("yyyyMMdd").toStdString());
            EXPECT_TRUE(Script.Shown().empty());
        } else {
            EXPECT_NE(Dialog->result(), QDialog::Accepted) << c.Djh;
            ASSERT_EQ(Script.Shown().size(), 1u);
            EXPECT_EQ(Script.Shown()[0].Text, A(c.Message));
            EXPECT_EQ(Script.Shown()[0].Caption, A("信息"));
            EXPECT_EQ(Script.Shown()[0].Buttons, TMsgButtons::OK);
            EXPECT_TRUE(Dialog->Mnrq.empty());
        }
    }
    // The simulated date cannot be changed by the clerk.
    EXPECT_FALSE(Dialog->dtpMnrq->isEnabled());
}

TEST_F(ConditionTest, EnterOnAFocusedButtonPressesIt) {
    Dialog->Djh = "202409150001";
    Dialog->dtpMnrq->setDate(QDate(2024, 9, 15));
    SendKey(Dialog->btnOK, Qt::Key_Return);
    EXPECT_EQ(Dialog->result(), QDialog::Accepted);
    Dialog->setResult(QDialog::Accepted);
    SendKey(Dialog->BtnCancel, Qt::Key_Enter);
    EXPECT_EQ(Dialog->result(), QDialog::Rejected);
    EXPECT_TRUE(Script.Shown().empty());
}

// The stocktake sheet form against the real host server on a demo SQLite database: creation and
// its calls, the first showing's search, searches that fail half-way, keys, closing and posting.
#include "ModuleTestSupport.h"

#include "controls/AdvDBGridQx.h"
#include "module/FrmHint.h"
#include "platform/Format.h"
#include "platform/IniFile.h"

#include <QComboBox>
#include <QRadioButton>
#include <QTableView>
#include <QToolButton>

using namespace moduletest;

namespace {

int LineCount(TDbBackend& db, const std::string& djh) {
    return static_cast<int>(
        db.Query("select count(*) from tbDlpdmx where f_Djh = ?", {Value::String(djh)}).At(0, 0).AsInteger());
}

std::int64_t PostedFlag(TDbBackend& db, const std::string& djh) {
    return db.Query("select f_Jzbz from tbDlpdzb where f_Djh = ?", {Value::String(djh)}).At(0, 0).AsInteger();
}

std::string Text(const QLineEdit* edit) {
    return AnsiToUtf8(QStringToAnsi(edit->text()));
}

} // namespace

TEST_F(ModuleFixture, CreationCallsTheServerInOrderAndTheFirstShowingSearches) {
    const std::string djh = Demo.OpenSheets[1];
    TFrmGusvak* form = OpenModule("0001", djh);
    ASSERT_NE(form, nullptr);

    std::vector<std::int32_t> ids;
    for (const TCall& c : Recorder->Calls)
        ids.push_back(c.DispId);
    using namespace CoorDispId;
    const std::vector<std::int32_t> expected = {GetDatabaseKind,   GetCurrentYearMonth, GetCurrentDateTime,
                                                GetCurrentDate,    GetCodeRecord,       GetSystemParameters,
                                                GetDatabaseKind,   GetCurrentYearMonth, GetCurrentDateTime,
                                                GetCurrentDate,    GetSystemParameters,
                                                OpenQuery, // remark list
                                                GetReportList,     CheckRight,
                                                OpenQuery, // the condition dialog's document look-up
                                                RunServerFunction, RunServerFunction};
    EXPECT_EQ(ids, expected);
    EXPECT_EQ(Recorder->Functions(), (std::vector<std::int32_t>{33, 34}));

    // Header, stocktake date, simulated date and the lines.
    EXPECT_EQ(Text(form->edtDjh), djh);
    EXPECT_EQ(Text(form->edtCkbm).empty(), false);
    EXPECT_EQ(Text(form->edtZdrq), djh.substr(0, 8));
    EXPECT_EQ(Text(form->edtMnrq), "20240915");
    EXPECT_EQ(form->Pdrq(), djh.substr(0, 8));
    const int lines = LineCount(Db(), djh);
    ASSERT_GT(lines, 0);
    EXPECT_EQ(form->ADS_Main()->RecordCount(), lines);
    EXPECT_EQ(form->dgdView->View()->model()->rowCount(), lines);
    EXPECT_EQ(form->dgdView->FooterDisplayText(0), A("合计:") + std::to_string(lines) + A("条"));
    EXPECT_EQ(form->ADS().RecordCount(), lines);
    EXPECT_TRUE(form->tbnZsy->isEnabled());
    EXPECT_TRUE(Script.Shown().empty()) << AnsiToUtf8(Script.Shown().front().Text);

    // Template list: the demo stores one template; normal print is chosen, the list disabled.
    EXPECT_EQ(form->cmbPrint->count(), 1);
    EXPECT_TRUE(form->rdoNormal->isChecked());
    EXPECT_TRUE(form->rdoMuban->isEnabled());
    EXPECT_FALSE(form->cmbPrint->isEnabled());
    form->rdoMuban->click();
    EXPECT_TRUE(form->cmbPrint->isEnabled());
    EXPECT_EQ(form->cmbPrint->currentIndex(), 0);
    form->rdoNormal->click();
    EXPECT_FALSE(form->cmbPrint->isEnabled());
    EXPECT_TRUE(form->cmbPrint->currentText().isEmpty());
}

TEST_F(ModuleFixture, PrintCopyHoldsRoundedValuesWithItsOwnLabels) {
    TFrmGusvak* form = OpenModule("0001", Demo.OpenSheets[0]);
    ASSERT_NE(form, nullptr);
    const TMemDataSet& lines = *form->ADS_Main();
    const TMemDataSet& copy = form->ADS();
    ASSERT_EQ(copy.RecordCount(), lines.RecordCount());
    EXPECT_EQ(copy.FieldByName("f_Swsl").Label(), A("事物数量"));
    EXPECT_EQ(copy.FieldByName("f_Sysl").Label(), A("损益数量"));
    EXPECT_EQ(lines.FieldByName("f_Sysl").Label(), A("差异数量"));
    EXPECT_EQ(copy.FieldByName("f_Xsdj").EditFormat, "0.00");
    EXPECT_TRUE(copy.FieldByName("f_Xsdj").DisplayFormat.empty());
    const int pddj = lines.FieldByName("f_Pddj").Index(), spje = lines.FieldByName("f_Spje").Index();
    const int spbm = lines.FieldByName("f_Spbm").Index();
    for (int r = 0; r < lines.RecordCount(); ++r) {
        EXPECT_EQ(copy.CellValue(r, 0).AsString(), lines.CellValue(r, spbm).AsString());
        const double p = copy.CellValue(r, 9).AsFloat(), j = copy.CellValue(r, 18).AsFloat();
        EXPECT_DOUBLE_EQ(p, std::stod(FormatFloat("0.0000", lines.CellValue(r, pddj).AsFloat())));
        EXPECT_DOUBLE_EQ(j, std::stod(FormatFloat("0.00", lines.CellValue(r, spje).AsFloat())));
    }
}

TEST_F(ModuleFixture, FailingServerFunctionsShowTheErrorListAndKeepWhatTheyMust) {
    TFrmGusvak* form = OpenModule("0001", Demo.OpenSheets[0]);
    ASSERT_NE(form, nullptr);
    const int firstLines = form->ADS_Main()->RecordCount();
    const std::string first = Text(form->edtDjh);

    // Function 33 fails: header and lines of the first sheet stay.
    Recorder->FailFunction = 33;
    SearchWithKey(*form, Demo.OpenSheets[1]);
    ASSERT_EQ(Script.Shown().size(), 1u);
    EXPECT_EQ(Script.Shown()[0].Caption, A("错误"));
    EXPECT_EQ(Script.Shown()[0].Icon, TMsgIcon::Error);
    EXPECT_EQ(Script.Shown()[0].Text, A("服务器函数失败") + "\r\nsecond line");
    EXPECT_EQ(Text(form->edtDjh), first);
    EXPECT_EQ(form->ADS_Main()->RecordCount(), firstLines);

    // Function 34 fails: the new header shows over the old lines.
    Recorder->FailFunction = 34;
    SearchWithKey(*form, Demo.OpenSheets[1]);
    ASSERT_EQ(Script.Shown().size(), 2u);
    EXPECT_EQ(Text(form->edtDjh), Demo.OpenSheets[1]);
    EXPECT_EQ(form->ADS_Main()->RecordCount(), firstLines);
    EXPECT_EQ(form->dgdView->FooterDisplayText(0), A("合计:") + std::to_string(firstLines) + A("条"));
    // No wait hint is left behind.
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_FALSE(qobject_cast<TFrmHint*>(w) && w->isVisible());
}

TEST_F(ModuleFixture, CancelledSearchMakesNoCallAndEmptySheetCountsZero) {
    TFrmGusvak* form = OpenModule("0001", "");
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(Recorder->Functions().empty());
    EXPECT_TRUE(Text(form->edtDjh).empty());

    // A sheet without lines; the new search also clears the sort markers.
    form->dgdView->ClickTitle(1, false);
    ASSERT_EQ(form->dgdView->MarkedColumns().size(), 1u);
    const std::string empty = "202409150099";
    Db().Execute("insert into tbDlpdzb (f_Djh, f_Bz, f_Bmbm, f_Bmmc, f_Ckbm, f_Ckmc, f_Zdrbm, f_Zdrmc, "
                 "f_Zdrq, f_Jzbz) "
                 "values (?, '', '0201', 'x', '020101', 'y', '0001', 'z', '20240915', 0)",
                 {Value::String(empty)});
    SearchWithKey(*form, empty);
    EXPECT_EQ(Text(form->edtDjh), empty);
    EXPECT_EQ(form->ADS_Main()->RecordCount(), 0);
    EXPECT_EQ(form->ADS().RecordCount(), 0);
    EXPECT_EQ(form->dgdView->FooterDisplayText(0), A("合计:0条"));
    EXPECT_TRUE(form->dgdView->MarkedColumns().empty());
}

TEST_F(ModuleFixture, EscClosesSavesTheLayoutAndTellsTheHost) {
    TFrmGusvak* form = OpenModule("0001", Demo.OpenSheets[0]);
    ASSERT_NE(form, nullptr);
    const fs::path layout = FFolder / "config" / "gusvak" / "Trevalmpos.ini";
    EXPECT_FALSE(fs::exists(layout));
    SendKey(form->dgdView->View(), Qt::Key_Escape);
    ProcessPending();
    EXPECT_EQ(GusvakModule::FrmGusvak.data(), nullptr); // freed
    EXPECT_EQ(Notify->ClosedNotices, 1);
    ASSERT_TRUE(fs::exists(layout));
    const TIniFile ini(layout.string());
    EXPECT_EQ(ini.ReadSection("Gusvak").size(), 28u);
    EXPECT_EQ(ini.ReadString("Gusvak", "f_Spbm", "").substr(0, 2), "1,");
}

TEST_F(ModuleFixture, HostResizeMessageSizesThePanel) {
    TFrmGusvak* form = OpenModule("0001", "");
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->PanelMain->size(), Panel->size());
    THostMessageEvent resize(HostMsgResize, 333, 777);
    QCoreApplication::sendEvent(form, &resize);
    EXPECT_EQ(form->PanelMain->size(), QSize(777, 333));
    EXPECT_EQ(form->PanelGusvak->size(), QSize(777, 333));
}

TEST_F(ModuleFixture, PostingAnOpenSheetPostsItAndResetsTheForm) {
    const std::string djh = Demo.OpenSheets[0];
    TFrmGusvak* form = OpenModule("0001", djh);
    ASSERT_NE(form, nullptr);
    Script.Expect(TMsgResult::OK); // the confirmation
    Script.Expect(TMsgResult::OK); // the success message
    SendKey(form, Qt::Key_F3);
    ProcessPending();
    ASSERT_EQ(ShownTexts(), (std::vector<AnsiString>{A("确定要进行转损益操作?"), A("盘点转损益成功")}));
    EXPECT_EQ(Script.Shown()[0].Caption, A("提示"));
    EXPECT_EQ(Script.Shown()[0].Buttons, TMsgButtons::OKCancel);
    EXPECT_EQ(Script.UnscriptedCount(), 0u);
    EXPECT_NE(PostedFlag(Db(), djh), 0);
    // The request: number, stocktake date, operator code and name, tab-joined.
    ASSERT_EQ(Recorder->Calls.back().Function, 35);
    EXPECT_EQ(Recorder->Calls.back().Text, djh + "\t" + djh.substr(0, 8) + "\t0001\t" + A("张伟"));
    // Reset.
    EXPECT_TRUE(Text(form->edtDjh).empty());
    EXPECT_TRUE(Text(form->edtMnrq).empty());
    EXPECT_EQ(form->dgdView->View()->model()->rowCount(), 0);
    EXPECT_FALSE(form->ADS_Main()->Active());
    EXPECT_FALSE(form->tbnZsy->isEnabled());
    EXPECT_TRUE(form->FrmCondition()->Djh.empty());
    EXPECT_TRUE(form->FrmCondition()->Mnrq.empty());

    // F3 again on the empty form: refused and reset again, no server function.
    const std::size_t calls = Recorder->Functions().size();
    SendKey(form, Qt::Key_F3);
    ProcessPending();
    EXPECT_EQ(Script.Shown().back().Text, A("该单据已结转或已注销"));
    EXPECT_EQ(Script.Shown().back().Icon, TMsgIcon::Information);
    EXPECT_EQ(Recorder->Functions().size(), calls);
}

TEST_F(ModuleFixture, PostingIsRefusedCancelledOrFailsWithoutChange) {
    const std::string djh = Demo.OpenSheets[1];
    TFrmGusvak* form = OpenModule("0001", djh);
    ASSERT_NE(form, nullptr);
    const int lines = form->ADS_Main()->RecordCount();

    // Cancelled confirmation: no request, nothing changes.
    Script.Expect(TMsgResult::Cancel);
    form->tbnZsy->click();
    EXPECT_EQ(Recorder->Functions(), (std::vector<std::int32_t>{33, 34}));
    EXPECT_EQ(Text(form->edtDjh), djh);

    // Failing function 35: only the failure message, nothing reset.
    Recorder->FailFunction = 35;
    Script.Expect(TMsgResult::OK);
    Script.Expect(TMsgResult::OK);
    form->tbnZsy->click();
    EXPECT_EQ(Script.Shown().back().Text, A("盘点转损益失败"));
    EXPECT_EQ(Text(form->edtDjh), djh);
    EXPECT_EQ(form->ADS_Main()->RecordCount(), lines);
    EXPECT_EQ(PostedFlag(Db(), djh), 0);
    EXPECT_TRUE(form->tbnZsy->isEnabled());

    // Posted meanwhile: refused before any confirmation, and the form is reset.
    Db().Execute("update tbDlpdzb set f_Jzbz = 1 where f_Djh = ?", {Value::String(djh)});
    const std::size_t shown = Script.Shown().size();
    form->tbnZsy->click();
    ASSERT_EQ(Script.Shown().size(), shown + 1);
    EXPECT_EQ(Script.Shown().back().Text, A("该单据已结转或已注销"));
    EXPECT_TRUE(Text(form->edtDjh).empty());
    EXPECT_FALSE(form->tbnZsy->isEnabled());
}

TEST_F(ModuleFixture, F3WithoutTheRightDoesNothing) {
    TFrmGusvak* form = OpenModule("0003", Demo.OpenSheets[0]);
    ASSERT_NE(form, nullptr);
    EXPECT_FALSE(form->tbnZsy->isEnabled());
    const std::size_t calls = Recorder->Calls.size();
    SendKey(form, Qt::Key_F3);
    ProcessPending();
    ASSERT_EQ(Recorder->Calls.size(), calls + 1); // only the right check
    EXPECT_EQ(Recorder->Calls.back().DispId, CoorDispId::CheckRight);
    EXPECT_TRUE(Script.Shown().empty());
}

TEST_F(ModuleFixture, ErrorsAfterTheWaitHintReachTheUser) {
    TFrmGusvak* form = OpenModule("0001", Demo.OpenSheets[0]); // the search showed the wait hint
    ASSERT_NE(form, nullptr);
    Recorder->ThrowOn = CoorDispId::CheckRight;
    SendKey(form, Qt::Key_F3);
    ProcessPending();
    ASSERT_EQ(Script.Shown().size(), 1u);
    EXPECT_EQ(Script.Shown()[0].Text, A("连接已断开"));
    EXPECT_EQ(Script.Shown()[0].Caption, A("错误"));
    EXPECT_EQ(Script.Shown()[0].Icon, TMsgIcon::Error);
    EXPECT_NE(GusvakModule::FrmGusvak.data(), nullptr); // the form carries on
}

TEST_F(ModuleFixture, ContextFailureShowsItsTextAndClosesTheForm) {
    Db().Execute("delete from tbSysMsg where lower(f_Csmc) = 'dwmc'");
    bool shown = false;
    WhenConditionShown(
        [&](TFrmCondition& dialog) {
            shown = true;
            CancelCondition(dialog);
        },
        1000);
    std::string code = "\x04"
                       "0001";
    GetFormOne(0, Notify.get(), reinterpret_cast<const unsigned char*>(code.data()), Panel.get(),
               Server.Get());
    ProcessUntil([&] { return GusvakModule::FrmGusvak.isNull(); }, 3000);
    ProcessPending();
    EXPECT_TRUE(GusvakModule::FrmGusvak.isNull());
    EXPECT_FALSE(shown); // no search on a closing form
    ASSERT_GE(Script.Shown().size(), 1u);
    EXPECT_EQ(Script.Shown()[0].Text, A("没有可利用的单位名称！"));
    EXPECT_EQ(Script.Shown()[0].Caption, A("错误"));
    EXPECT_EQ(Notify->ClosedNotices, 1);
    // The dialog answerer had nothing to answer: let it run out before the next test.
    ProcessUntil([] { return false; }, 1200);
}

namespace {

// Answers like the scripted boxes, but first runs the event loop for a while as a real modal
// box does: timers fire and deferred deletes run inside it.
class TModalLikeMessages final : public IMessageService {
public:
    explicit TModalLikeMessages(IMessageService& inner) : FInner(inner) {}
    TMsgResult ShowMessage(const AnsiString& text, const AnsiString& caption, TMsgIcon icon,
                           TMsgButtons buttons) override {
        ProcessUntil([] { return false; }, 100);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return FInner.ShowMessage(text, caption, icon, buttons);
    }
    int ChoiceBox(const AnsiString& caption, const AnsiString& prompt, const std::vector<AnsiString>& choices,
                  int preselected) override {
        return FInner.ChoiceBox(caption, prompt, choices, preselected);
    }
    std::optional<AnsiString> InputBox(const AnsiString& caption, const AnsiString& prompt,
                                       const AnsiString& defaultText) override {
        return FInner.InputBox(caption, prompt, defaultText);
    }

private:
    IMessageService& FInner;
};

} // namespace

TEST_F(ModuleFixture, ContextFailureWithBoxesThatRunEventsLeavesTheHostWithoutAForm) {
    // Both the form and its condition dialog fail to load the context: two boxes, each running
    // events while it is open. The form must not be freed while its creation goes on.
    Db().Execute("delete from tbSysMsg where lower(f_Csmc) = 'dybm'");
    TModalLikeMessages modal(Script);
    TMessageServiceScope scope(modal);
    std::string code = "\x04"
                       "0001";
    GetFormOne(0, Notify.get(), reinterpret_cast<const unsigned char*>(code.data()), Panel.get(),
               Server.Get());
    ProcessPending();
    EXPECT_TRUE(GusvakModule::FrmGusvak.isNull());
    EXPECT_EQ(Notify->ClosedNotices, 1);
    EXPECT_EQ(Script.Shown().size(), 2u);
    EXPECT_TRUE(Panel->findChildren<TFrmGusvak*>().isEmpty());
}

TEST_F(ModuleFixture, AKeyRunsItsCommandOnceWhateverTheFocus) {
    const std::string djh = Demo.OpenSheets[0];
    TFrmGusvak* form = OpenModule("0001", djh);
    ASSERT_NE(form, nullptr);
    // Right after a modal window closes on X11 nothing has the focus, and the key comes to the
    // grid and travels up through every parent to the host's panel.
    if (QWidget* focus = QApplication::focusWidget()) focus->clearFocus();
    ASSERT_EQ(QApplication::focusWidget(), nullptr);
    Script.Expect(TMsgResult::Cancel);
    SendKey(form->dgdView->View(), Qt::Key_F3);
    ProcessPending();
    ASSERT_EQ(Script.Shown().size(), 1u); // one question, cancelled
    EXPECT_EQ(PostedFlag(Db(), djh), 0);
    EXPECT_EQ(Text(form->edtDjh), djh);

    // The same with the key at the form itself and at the host's window.
    for (QWidget* target : {static_cast<QWidget*>(form), form->window()}) {
        Script.Clear();
        Script.Expect(TMsgResult::Cancel);
        SendKey(target, Qt::Key_F3);
        ProcessPending();
        EXPECT_EQ(Script.Shown().size(), 1u) << target->metaObject()->className();
    }
    EXPECT_EQ(PostedFlag(Db(), djh), 0);

    // F2 from the grid: one condition dialog.
    int dialogs = 0;
    WhenConditionShown([&](TFrmCondition& dialog) {
        ++dialogs;
        CancelCondition(dialog);
    });
    SendKey(form->dgdView->View(), Qt::Key_F2);
    ProcessPending();
    ProcessUntil([] { return false; }, 300);
    EXPECT_EQ(dialogs, 1);
}

TEST_F(ModuleFixture, TheLayoutIsKeptWhenTheHostWindowGoesWithTheForm) {
    TFrmGusvak* form = OpenModule("0001", Demo.OpenSheets[0]);
    ASSERT_NE(form, nullptr);
    const fs::path layout = FFolder / "config" / "gusvak" / "Trevalmpos.ini";
    form->dgdView->SetColumnWidth(1, 177);
    Panel.reset(); // the host's window closes and takes its children along
    ProcessPending();
    EXPECT_TRUE(GusvakModule::FrmGusvak.isNull());
    ASSERT_TRUE(fs::exists(layout));
    const TIniFile ini(layout.string());
    int widened = 0;
    for (const auto& key : ini.ReadSection("Gusvak"))
        widened += ini.ReadString("Gusvak", key, "") == "1,177";
    EXPECT_EQ(widened, 1);
}

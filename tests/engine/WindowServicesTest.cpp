// The windows a build opens through the installed window services: the progress window with its
// texts and Cancel, dialog pages with their form, tab order and modal result, the preview, and
// the printer a build selects before it starts.
#include "EngineFixture.h"

#include "report/VNControl.h"
#include "report/VNPaper.h"
#include "report/VNViewFactory.h"
#include "report/VNWindowServices.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

// Records what the engine asks of the window side and answers as told.
struct TRecordingWindows : IVNWindowServices {
    struct TProgressLog {
        std::vector<AnsiString> Captions, Labels, Details, Events;
    } Log;
    int CancelAfterPumps = -1; // the Cancel button is pressed at this pump (0-based)
    int Pumps = 0;
    int DialogAnswer = mrOk;
    std::vector<TVNDialogPageForm> Forms;
    std::vector<std::vector<AnsiString>> FormControlNames;
    int Previews = 0;
    bool PreviewThrows = false;

    struct TWindow : IVNProgressWindow {
        TRecordingWindows& Owner;
        explicit TWindow(TRecordingWindows& owner) : Owner(owner) {}
        ~TWindow() override { Owner.Log.Events.push_back("close"); }
        void SetLabel(const AnsiString& text) override { Owner.Log.Labels.push_back(text); }
        void SetDetail(const AnsiString& text) override { Owner.Log.Details.push_back(text); }
        void SetVisible(bool visible) override { Owner.Log.Events.push_back(visible ? "show" : "hide"); }
        bool ProcessMessages() override { return Owner.Pumps++ == Owner.CancelAfterPumps; }
    };

    std::unique_ptr<IVNProgressWindow> OpenProgress(const AnsiString& caption) override {
        Log.Captions.push_back(caption);
        return std::make_unique<TWindow>(*this);
    }
    int ShowDialogPage(const TVNDialogPageForm& form) override {
        Log.Events.push_back("dialog");
        Forms.push_back(form);
        std::vector<AnsiString> names;
        for (TVNControl* c : form.Controls)
            names.push_back(c->Name);
        FormControlNames.push_back(names);
        return DialogAnswer;
    }
    void ShowPreview(TVNReport& report) override {
        EXPECT_GT(report.EMFPages->Count(), 0);
        if (PreviewThrows) throw std::runtime_error("no room for the preview");
        ++Previews;
    }
};

struct TWindowsScope {
    TRecordingWindows Windows;
    TWindowsScope() { SetVNWindowServices(&Windows); }
    ~TWindowsScope() { SetVNWindowServices(nullptr); }
};

// An edit box of a dialog page with a tab order that survives the build's design snapshot.
class TTestEditControl : public TVNControl {
public:
    int Order = -1;
    const char* ClassName() const override { return "TTestEditControl"; }
    void RegisterProperties() override { RegisterProperty("TabOrder", pkInteger); }
    Value GetProperty(const AnsiString& name) override {
        return SameText(name, "TabOrder") ? (Order < 0 ? Value() : Value(Order))
                                          : TVNControl::GetProperty(name);
    }
    void WriteToStream(TVNStream& s) override {
        TVNControl::WriteToStream(s);
        s.WriteInt32(Order);
    }
    void ReadFromStream(TVNStream& s) override {
        TVNControl::ReadFromStream(s);
        Order = s.ReadInt32();
    }
};

class TTestDataControl : public TVNNonVisualControl {
public:
    const char* ClassName() const override { return "TTestDataControl"; }
};

void RegisterTestControls() {
    RegisterAddInObject(
        "TTestEditControl", [] { return new TTestEditControl; }, "", "", "");
    RegisterAddInObject(
        "TTestDataControl", [] { return new TTestDataControl; }, "", "", "");
}

// A list long enough for three pages.
void ThreePageList(TEngineFixture& f) {
    TVNBandView* data = AddBand(*f.Page, "Data", bkMasterData, 100, 30);
    data->FormatText = "Lines";
    AddMemo(*f.Page, "Row", 10, 102, 300, 20, {"[name]"});
}

TVNPage& AddDialogPage(TEngineFixture& f, const AnsiString& caption) {
    TVNPage& p = f.Report.Pages.Add();
    p.PageType = ptDialog;
    p.Caption = caption;
    return p;
}

template <class T> T* AddControl(TVNPage& page, const AnsiString& name, int order = -1) {
    auto* c = new T;
    c->Name = name;
    c->TypeCode = ViewTypeAddIn;
    c->PlaceAt(10, 10, 80, 20);
    if constexpr (std::is_same_v<T, TTestEditControl>) c->Order = order;
    page.Add(c);
    return c;
}

} // namespace

TEST(BuildWindows, ProgressWindowNamesThePassAndThePage) {
    TWindowsScope scope;
    TEngineFixture f(TEngineFixture::Rows(90));
    ThreePageList(f);
    f.Report.ReportInfo.Title = CP936("盘点损益表");
    f.Report.DoublePass = true;
    ASSERT_TRUE(f.Report.BuildReport());
    ASSERT_EQ(f.PageCount(), 3);
    const auto& log = scope.Windows.Log;
    EXPECT_EQ(log.Captions, (std::vector<AnsiString>{CP936("正在准备报表 - 盘点损益表")}));
    ASSERT_FALSE(log.Labels.empty());
    EXPECT_EQ(log.Labels.front(), CP936("进行第一次处理:  1"));
    EXPECT_EQ(log.Labels.back(), CP936("正在处理页:  3 从 3"));
    auto firstFinal = std::find(log.Labels.begin(), log.Labels.end(), CP936("正在处理页:  1 从 3"));
    EXPECT_NE(firstFinal, log.Labels.end());
    EXPECT_EQ(log.Events.back(), "close"); // closed when the build ends

    // A single pass names no total.
    scope.Windows.Log = {};
    f.Report.DoublePass = false;
    f.Report.ReportInfo.Title.clear();
    ASSERT_TRUE(f.Report.BuildReport());
    EXPECT_EQ(scope.Windows.Log.Captions, (std::vector<AnsiString>{CP936("正在准备报表")}));
    EXPECT_EQ(scope.Windows.Log.Labels.back(), CP936("正在处理页:  3"));
}

TEST(BuildWindows, OnProgressOrShowProgressOffMeansNoWindow) {
    TWindowsScope scope;
    TEngineFixture f(TEngineFixture::Rows(90));
    ThreePageList(f);
    std::vector<int> pages;
    f.Report.OnProgress = [&](int n) { pages.push_back(n); };
    ASSERT_TRUE(f.Report.BuildReport());
    EXPECT_TRUE(scope.Windows.Log.Captions.empty());
    ASSERT_FALSE(pages.empty());
    EXPECT_EQ(pages.front(), 1);
    EXPECT_EQ(pages.back(), 3);

    f.Report.OnProgress = nullptr;
    f.Report.ShowProgress = false;
    ASSERT_TRUE(f.Report.BuildReport());
    EXPECT_TRUE(scope.Windows.Log.Captions.empty());
}

TEST(BuildWindows, CancelInTheProgressWindowStopsTheBuildWithoutPagesOrMessage) {
    TWindowsScope scope;
    scope.Windows.CancelAfterPumps = 1;
    TEngineFixture f(TEngineFixture::Rows(90));
    ThreePageList(f);
    EXPECT_FALSE(f.Report.BuildReport());
    EXPECT_EQ(f.PageCount(), 0);
    EXPECT_TRUE(f.Messages.Texts().empty());
    EXPECT_LT(scope.Windows.Log.Labels.size(), 4u); // it stopped at the next check
}

TEST(BuildWindows, CancelReachesAScriptThatLoopsForever) {
    TWindowsScope scope;
    scope.Windows.CancelAfterPumps = 3;
    TEngineFixture f(TEngineFixture::Rows(3));
    ThreePageList(f);
    f.Report.FindObject("Row")->OnBeforePrint = {"begin n := 0; while n >= 0 do n := n + 1 end"};
    EXPECT_FALSE(f.Report.BuildReport());
    EXPECT_EQ(f.PageCount(), 0);
    EXPECT_TRUE(f.Messages.Texts().empty());
}

TEST(BuildWindows, ProgressAssignedByAScriptShowsOnTheSecondLine) {
    TWindowsScope scope;
    TEngineFixture f(TEngineFixture::Rows(3));
    ThreePageList(f);
    f.Report.FindObject("Row")->OnBeforePrint = {"Progress := 'row ' + [name];"};
    ASSERT_TRUE(f.Report.BuildReport());
    EXPECT_EQ(scope.Windows.Log.Details, (std::vector<AnsiString>{"row r1", "row r2", "row r3"}));
}

TEST(BuildWindows, DialogPagesShowTheirFormFirstAndCancelEndsTheBuild) {
    RegisterTestControls();
    struct {
        const char* Case;
        int Answer;
        TVNStrings Script;
        bool Visible;
        bool FormShown;
        bool Built;
    } cases[] = {
        {"OK", mrOk, {}, true, true, true},
        {"Cancel", mrCancel, {}, true, true, false},
        {"the script decides", mrCancel, {"ModalResult := 1;"}, true, false, true},
        {"the script cancels", mrOk, {"ModalResult := 2;"}, true, false, false},
        {"invisible page", mrCancel, {}, false, false, true},
    };
    for (auto& c : cases) {
        TWindowsScope scope;
        scope.Windows.DialogAnswer = c.Answer;
        TEngineFixture f(TEngineFixture::Rows(5));
        ThreePageList(f);
        TVNPage& dialog = AddDialogPage(f, CP936("选择仓库"));
        dialog.Visible = c.Visible;
        dialog.OnBeforePrint = c.Script;
        dialog.DialogWidth = 400;
        AddControl<TTestEditControl>(dialog, "Edit1");
        AddControl<TTestDataControl>(dialog, "Query1");
        std::vector<AnsiString> offered;
        f.Report.OnCustomizeObject = [&](TVNView* sender) { offered.push_back(sender->Name); };

        EXPECT_EQ(f.Report.BuildReport(), c.Built) << c.Case;
        EXPECT_EQ(f.PageCount() > 0, c.Built) << c.Case;
        EXPECT_EQ(offered, (std::vector<AnsiString>{"Query1"})) << c.Case;
        ASSERT_EQ(scope.Windows.Forms.size(), c.FormShown ? 1u : 0u) << c.Case;
        if (c.FormShown) {
            const TVNDialogPageForm& form = scope.Windows.Forms[0];
            EXPECT_EQ(form.Caption, CP936("选择仓库"));
            EXPECT_EQ(form.Width, 400);
            EXPECT_EQ(scope.Windows.FormControlNames[0], (std::vector<AnsiString>{"Edit1"}));
            // The progress window steps aside while the form is up.
            const auto& ev = scope.Windows.Log.Events;
            auto at = std::find(ev.begin(), ev.end(), "dialog");
            ASSERT_NE(at, ev.end());
            ASSERT_NE(at, ev.begin());
            EXPECT_EQ(*(at - 1), "hide");
            EXPECT_EQ(*(at + 1), "show");
        }
        EXPECT_TRUE(f.Messages.Texts().empty()) << c.Case;
    }
}

TEST(BuildWindows, ADoublePassBuildAsksOnlyOnce) {
    RegisterTestControls();
    TWindowsScope scope;
    TEngineFixture f(TEngineFixture::Rows(5));
    ThreePageList(f);
    TVNPage& dialog = AddDialogPage(f, "Form");
    AddControl<TTestEditControl>(dialog, "Edit1");
    // The activation script still runs in both passes: report variables start empty in each.
    dialog.OnBeforePrint = {"Runs := 'yes';"};
    f.Report.FindObject("Row")->Memo = {"[name] [Runs]"};
    f.Report.DoublePass = true;
    ASSERT_TRUE(f.Report.BuildReport());
    EXPECT_EQ(scope.Windows.Forms.size(), 1u);
    EXPECT_EQ(f.Texts(0, "Row").front(), "r1 yes");
}

TEST(BuildWindows, CancelOnOneDialogPageShowsNoFurtherDialogPage) {
    RegisterTestControls();
    TWindowsScope scope;
    scope.Windows.DialogAnswer = mrCancel;
    TEngineFixture f(TEngineFixture::Rows(5));
    ThreePageList(f);
    AddControl<TTestEditControl>(AddDialogPage(f, "First"), "Edit1");
    AddControl<TTestEditControl>(AddDialogPage(f, "Second"), "Edit2");
    EXPECT_FALSE(f.Report.BuildReport());
    ASSERT_EQ(scope.Windows.Forms.size(), 1u);
    EXPECT_EQ(scope.Windows.Forms[0].Caption, "First");
}

TEST(BuildWindows, DialogControlsComeInTabOrder) {
    RegisterTestControls();
    TWindowsScope scope;
    TEngineFixture f(TEngineFixture::Rows(5));
    ThreePageList(f);
    TVNPage& dialog = AddDialogPage(f, "Form");
    // Object order A B C D; B asks for place 0, D for a place past the end, C for place 1.
    AddControl<TTestEditControl>(dialog, "A");
    AddControl<TTestEditControl>(dialog, "B", 0);
    AddControl<TTestEditControl>(dialog, "C", 1);
    AddControl<TTestEditControl>(dialog, "D", 9);
    ASSERT_TRUE(f.Report.BuildReport());
    ASSERT_EQ(scope.Windows.FormControlNames.size(), 1u);
    EXPECT_EQ(scope.Windows.FormControlNames[0], (std::vector<AnsiString>{"B", "C", "A", "D"}));
}

TEST(BuildWindows, PreviewReportShowsBuiltPagesAndReportsAnExceptionInABox) {
    TWindowsScope scope;
    TEngineFixture f(TEngineFixture::Rows(5));
    ThreePageList(f);
    f.Report.taoda = true;
    f.Report.PreviewReport();
    EXPECT_EQ(scope.Windows.Previews, 1);
    EXPECT_FALSE(f.Report.taoda);

    scope.Windows.PreviewThrows = true;
    f.Report.PreviewReport();
    ASSERT_EQ(f.Messages.Texts(),
              (std::vector<AnsiString>{CP936("异常错误,原因:") + "no room for the preview"}));

    // A build that fails shows its own error and no preview.
    scope.Windows.PreviewThrows = false;
    f.Report.FindObject("Row")->Memo = {"[(1 + ]"};
    f.Report.PreviewReport();
    EXPECT_EQ(scope.Windows.Previews, 1);
    EXPECT_EQ(f.Messages.Texts().size(), 2u);
}

TEST(BuildWindows, ABuildSelectsTheReportsPrinterFirst) {
    struct TNamedPrinter : TVNPagePrinter {
        std::vector<AnsiString> Asked;
        AnsiString SelectByName(const AnsiString& name) override {
            Asked.push_back(name);
            return name;
        }
    } printer;
    SetVNPrinter(&printer);
    TEngineFixture f(TEngineFixture::Rows(5));
    ThreePageList(f);
    f.Report.PrinterName = "Office Laser";
    bool selectedBeforeBuilding = false;
    f.Report.OnBeginDoc = [&] { selectedBeforeBuilding = !printer.Asked.empty(); };
    EXPECT_TRUE(f.Report.BuildReport());
    SetVNPrinter(nullptr);
    EXPECT_TRUE(selectedBeforeBuilding);
    ASSERT_FALSE(printer.Asked.empty());
    EXPECT_EQ(printer.Asked.front(), "Office Laser");
}

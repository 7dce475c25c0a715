// The print loop over built pages: page lists, copies made by the engine with and without
// collation, odd and even pages, one spooler document per run of equal paper, OnEndPrintPage,
// the chosen source reaching the job, PrintScale's whole-number factors, scaling onto another
// paper, a refused job, Cancel and the progress window's texts.
#include "BuiltPages.h"
#include "MemoryPrintPlatform.h"

#include "report/VNEMFPages.h"
#include "report/VNMemoView.h"
#include "report/VNReport.h"
#include "report/VNWindowServices.h"
#include "report/print/VNReportPrint.h"

#include "platform/Value.h"

#include <gtest/gtest.h>

namespace {

struct TQueue {
    TMemoryPrintPlatform Platform;
    TQueue() {
        Platform.QueueInfos["vnfile"] = TMemoryPrintPlatform::TestQueue();
        Platform.Default = "vnfile";
    }
};

} // namespace

TEST(PageList, RangesSpacesTrailingDashAndPagesBeyondTheEnd) {
    auto selected = [](const AnsiString& text, int count) {
        std::vector<int> out;
        auto flags = ParsePageList(text, count);
        for (std::size_t i = 0; i < flags.size(); ++i)
            if (flags[i]) out.push_back(int(i) + 1);
        return out;
    };
    EXPECT_EQ(selected("1,3,5-12", 10), (std::vector<int>{1, 3, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(selected(" 1 , 3 ,5 - 12 ", 10), selected("1,3,5-12", 10));
    EXPECT_EQ(selected("5-", 7), (std::vector<int>{5, 6, 7}));
    EXPECT_EQ(selected("4-2,99999999999999999999", 5), (std::vector<int>{}));
    EXPECT_TRUE(ParsePageList("", 5).empty()); // every page
    for (const char* bad : {",1", "1,,2", "-3", "1-,2", "1;2", "x"})
        EXPECT_THROW(ParsePageList(bad, 5), EConvertError) << bad;
}

TEST(PrintLoop, PageListCopiesCollationAndOddEvenPages) {
    TQueue q;
    TPrintingScope scope(&q.Platform);
    struct TCase {
        int count;
        const char* list;
        int copies;
        bool collate;
        int selection;
        std::vector<std::string> expected;
    } cases[] = {
        {10, "1,3,5-12", 1, true, 0, Pages({1, 3, 5, 6, 7, 8, 9, 10})},
        {5, "1-2", 3, true, 0, Pages({1, 2, 1, 2, 1, 2})},
        {5, "1-2", 3, false, 0, Pages({1, 1, 1, 2, 2, 2})},
        {5, "", 1, true, 2, Pages({2, 4})},
        {5, "", 1, true, 1, Pages({1, 3, 5})},
        {3, "", 0, true, 0, Pages({1, 2, 3})}, // no copies count as one
    };
    for (const TCase& c : cases) {
        q.Platform.Documents.clear();
        TBuiltPages built(c.count);
        TVNPrintOutcome out = built.Print(c.list, c.copies, c.collate, c.selection);
        EXPECT_TRUE(out.Printed) << c.list << " " << AnsiToUtf8(out.Error);
        ASSERT_EQ(q.Platform.Documents.size(), 1u) << c.list;
        EXPECT_EQ(q.Platform.AllPageTexts(), c.expected) << c.list << " copies " << c.copies;
        EXPECT_EQ(q.Platform.Documents[0].Settings.MediaKey, "A4");
    }
}

TEST(PrintLoop, EveryRunOfEqualPaperIsOneSpoolerDocument) {
    TQueue q;
    TPrintingScope scope(&q.Platform);
    // Portrait, portrait, landscape, landscape, portrait.
    TBuiltPages built(5, [](int i) { return i == 3 || i == 4 ? 1 : 0; });
    ASSERT_TRUE(built.Print().Printed);
    ASSERT_EQ(q.Platform.Documents.size(), 3u);
    EXPECT_EQ(q.Platform.Documents[0].PageTexts(), Pages({1, 2}));
    EXPECT_EQ(q.Platform.Documents[1].PageTexts(), Pages({3, 4}));
    EXPECT_TRUE(q.Platform.Documents[1].Settings.Landscape);
    EXPECT_EQ(q.Platform.Documents[1].Settings.MediaKey, "A4");
    EXPECT_EQ(q.Platform.Documents[2].PageTexts(), Pages({5}));
}

TEST(PrintLoop, OnEndPrintPageMakesEveryPageItsOwnDocument) {
    TQueue q;
    TPrintingScope scope(&q.Platform);
    TBuiltPages built(3);
    std::vector<int> seen;
    built.Report.OnEndPrintPage = [&](int& i) { seen.push_back(i); };
    ASSERT_TRUE(built.Print("", 2, false).Printed);
    EXPECT_EQ(seen, (std::vector<int>{0, 1, 2}));
    ASSERT_EQ(q.Platform.Documents.size(), 3u); // uncollated: each page's copies together
    EXPECT_EQ(q.Platform.Documents[1].PageTexts(), Pages({2, 2}));
}

TEST(PrintLoop, TheSourceOfThePageReachesTheJob) {
    TQueue q;
    TPrintingScope scope(&q.Platform);
    TBuiltPages built(1, {}, 2); // bin 2: the lower tray
    ASSERT_TRUE(built.Print().Printed);
    ASSERT_EQ(q.Platform.Documents.size(), 1u);
    EXPECT_EQ(q.Platform.Documents[0].Settings.SlotKey, "Lower");
    EXPECT_EQ(q.Platform.Documents[0].Settings.OriginX, 100);
}

TEST(PrintLoop, PrintScaleRoundsTheFactorsAndScalingFitsAnotherPaper) {
    TQueue q;
    // 96 dpi report pixels onto a 600 dpi device: 6.25 printer pixels per report pixel.
    TPrintingScope scope(&q.Platform);
    TBuiltPages built(1);
    built.Report.PrintScale = 50;
    ASSERT_TRUE(built.Print().Printed);
    // The memo at (100, 100) lands at 100 x 3 (not 3.125) from the sheet's corner, which lies at
    // (-100, -100) from the printable area's.
    const auto& lines = q.Platform.Documents.at(0).Pages.at(0);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("clip=201,200,799,290"), std::string::npos) << lines[0];

    q.Platform.Documents.clear();
    built.Report.PrintScale = 100;
    TVNPrintOptions o;
    o.ScalePaperSize = 11; // A5
    o.ScalePaperWidth = 1480;
    o.ScalePaperHeight = 2100;
    ASSERT_TRUE(PrintBuiltReport(built.Report, o).Printed);
    ASSERT_EQ(q.Platform.Documents.size(), 1u);
    EXPECT_EQ(q.Platform.Documents[0].Settings.MediaKey, "A5");
    EXPECT_EQ(q.Platform.Documents[0].PageTexts(), Pages({1}));
}

TEST(PrintLoop, ARefusedJobIsAnErrorWithTheQueuesReason) {
    TQueue q;
    TPrintingScope scope(&q.Platform);
    q.Platform.RefuseWith = "Printer not accepting jobs";
    TBuiltPages built(2);
    TVNPrintOutcome out = built.Print();
    EXPECT_FALSE(out.Printed);
    EXPECT_EQ(out.Error, "Printer not accepting jobs");
}

TEST(PrintLoop, CancelAbortsTheDocumentAndNoQueueMeansNothingPrinted) {
    TQueue q;
    {
        TPrintingScope scope(&q.Platform);
        TBuiltPages built(5);
        int calls = 0;
        built.Report.CancelRequested = [&] { return ++calls > 2; };
        TVNPrintOutcome out = built.Print();
        EXPECT_TRUE(out.Cancelled);
        EXPECT_FALSE(out.Printed);
        EXPECT_TRUE(q.Platform.Documents.empty());
        EXPECT_EQ(q.Platform.Aborted, 1);
    }
    TPrintingScope none(nullptr);
    TBuiltPages built(2);
    built.Report.taoda = true;
    TVNPrintOutcome out = built.Print();
    EXPECT_FALSE(out.Printed);
    EXPECT_FALSE(out.Error.empty());
    EXPECT_FALSE(built.Report.taoda);
}

namespace {

// Progress windows opened by the print run: their captions and every label they were given.
struct TProgressLog : IVNWindowServices {
    std::vector<AnsiString> Captions, Labels;
    int CancelAtPump = -1, Pumps = 0;
    struct TWindow : IVNProgressWindow {
        TProgressLog& Log;
        explicit TWindow(TProgressLog& log) : Log(log) {}
        void SetLabel(const AnsiString& text) override { Log.Labels.push_back(text); }
        void SetDetail(const AnsiString&) override {}
        void SetVisible(bool) override {}
        bool ProcessMessages() override { return Log.Pumps++ == Log.CancelAtPump; }
    };
    std::unique_ptr<IVNProgressWindow> OpenProgress(const AnsiString& caption) override {
        Captions.push_back(caption);
        return std::make_unique<TWindow>(*this);
    }
    int ShowDialogPage(const TVNDialogPageForm&) override { return mrOk; }
    void ShowPreview(TVNReport&) override {}
    TProgressLog() { SetVNWindowServices(this); }
    ~TProgressLog() override { SetVNWindowServices(nullptr); }
};

} // namespace

TEST(PrintLoop, ProgressShowsEachPrintedPageOfTheTotalAndItsCancelStopsTheJob) {
    TQueue q;
    TPrintingScope scope(&q.Platform);
    for (bool doublePass : {false, true}) {
        TProgressLog log;
        TBuiltPages built(5);
        built.Report.ShowProgress = true;
        built.Report.DoublePass = doublePass;
        built.Report.ReportInfo.Title = CP936("盘点");
        ASSERT_TRUE(built.Print("2,4").Printed);
        EXPECT_EQ(log.Captions, (std::vector<AnsiString>{CP936("正在准备报表 - 盘点")}));
        EXPECT_EQ(log.Labels, (std::vector<AnsiString>{CP936("正在打印页:"), CP936("正在打印页:  2 从 5"),
                                                       CP936("正在打印页:  4 从 5")}))
            << "double pass " << doublePass;
    }
    // An OnProgress handler takes the page numbers instead of the window.
    TProgressLog log;
    TBuiltPages built(3);
    built.Report.ShowProgress = true;
    std::vector<int> numbers;
    built.Report.OnProgress = [&](int n) { numbers.push_back(n); };
    ASSERT_TRUE(built.Print().Printed);
    EXPECT_EQ(numbers, (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(log.Captions.empty());
    // Cancel pressed in the window while the first page is reported.
    TProgressLog cancelling;
    cancelling.CancelAtPump = 0;
    TBuiltPages cancelled(4);
    cancelled.Report.ShowProgress = true;
    const std::size_t documents = q.Platform.Documents.size();
    TVNPrintOutcome out = cancelled.Print();
    EXPECT_TRUE(out.Cancelled);
    EXPECT_FALSE(out.Printed);
    EXPECT_EQ(q.Platform.Documents.size(), documents);
    EXPECT_EQ(cancelling.Labels.size(), 2u);
}

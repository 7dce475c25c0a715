// Printing on real CUPS queues of a private scheduler: the printer list with both test queues,
// their papers with printable areas and their two sources; page lists, engine-made copies and
// even pages read back from the queue's PDF; one job per run of equal paper (the scheduler's
// page log shows each job's media); the source reaching the job; scaling onto A5; a queue that
// refuses jobs.
#include "print/BuiltPages.h"
#include "support/CupsSandbox.h"

#include "report/VNEngine.h"
#include "report/VNStrings.h"
#include "report/output/VNCupsPrintPlatform.h"
#include "report/print/VNPrinterList.h"

#include "platform/Locale.h"

#include <QGuiApplication>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

using namespace cupssandbox;

class CupsPrint : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "print_cups_tests";
        static char* argv[] = {name, nullptr};
        static QGuiApplication app(argc, argv);
        VNState().ScreenDPI = 96;
    }
    void SetUp() override {
        if (!Running()) GTEST_SKIP() << "needs the private scheduler (with_cups.sh)";
        InstallVNCupsPrinting();
        // vnfile, the pass-through queue, is the scheduler's default.
        ASSERT_EQ(VNSharedPrinter().SelectedName(), VNText(TVNText::DefaultPrinter));
    }
    void TearDown() override {
        InstallVNPrinting(nullptr);
        SetVNPrinter(nullptr);
    }
    // Waits for the job and answers the pages of the pass-through queue's PDF as texts.
    std::vector<std::string> PrintedPages(int jobId) {
        EXPECT_TRUE(WaitJob(std::to_string(jobId)));
        return PassThroughPages();
    }
    std::vector<std::string> PrintAndRead(TBuiltPages& built, const AnsiString& list, int copies, bool collate,
                                          int selection) {
        TVNPrintOutcome out = built.Print(list, copies, collate, selection);
        EXPECT_TRUE(out.Printed) << AnsiToUtf8(out.Error);
        if (out.Documents.size() != 1) return {"documents: " + std::to_string(out.Documents.size())};
        return PrintedPages(out.Documents[0].JobId);
    }
};

} // namespace

TEST_F(CupsPrint, ListShowsBothQueuesTheirPapersWithPrintableAreasAndTwoSources) {
    TVNPrinterList& list = VNPrinterList();
    ASSERT_EQ(list.Count(), 4);
    const int vnfile = list.IndexOf("vnfile");
    ASSERT_GE(vnfile, 2);
    EXPECT_GE(list.IndexOf("vnpdf"), 2);
    EXPECT_EQ(list.DefaultIndex(), vnfile);
    const TVNPrinterInfo& info = list.PrinterInfo(vnfile);
    ASSERT_EQ(info.FirstCustomIndex, 5);
    // Standard papers by their codes and standard sizes; ISO B5 has no standard code here.
    auto paper = [&](int code) {
        const int i = info.PaperIndex(code);
        return AnsiToUtf8(info.PaperNames[std::size_t(i)]) + " " + std::to_string(info.PaperWidthAt(i)) + "x" +
               std::to_string(info.PaperHeightAt(i));
    };
    EXPECT_EQ(paper(9), "A4 2100x2970");
    EXPECT_EQ(paper(11), "A5 1480x2100");
    EXPECT_EQ(paper(13), "JIS B5 1820x2570");
    EXPECT_EQ(paper(1), "Letter 2159x2794");
    bool isoB5 = false;
    for (int i = 0; i < 5; ++i)
        isoB5 = isoB5 || (info.PaperCodeAt(i) >= 1000 && AnsiToUtf8(info.PaperNames[std::size_t(i)]) == "ISO B5");
    EXPECT_TRUE(isoB5);
    // 12 pt margins on every side.
    for (auto& [code, media] : info.Media) {
        EXPECT_EQ(media.Left, 423) << code;
        EXPECT_EQ(media.Bottom, 423) << code;
    }
    EXPECT_EQ(info.Resolution, 600);
    ASSERT_EQ(info.BinNames.size(), 3u);
    EXPECT_EQ(info.BinNumbers[1], "1");
    EXPECT_EQ(info.BinNumbers[2], "2");
}

TEST_F(CupsPrint, PageListCopiesCollationAndEvenPagesReachThePaper) {
    TBuiltPages ten(10);
    EXPECT_EQ(PrintAndRead(ten, "1,3,5-12", 1, true, 0), Pages({1, 3, 5, 6, 7, 8, 9, 10}));
    TBuiltPages five(5);
    EXPECT_EQ(PrintAndRead(five, "1-2", 3, true, 0), Pages({1, 2, 1, 2, 1, 2}));
    EXPECT_EQ(PrintAndRead(five, "1-2", 3, false, 0), Pages({1, 1, 1, 2, 2, 2}));
    EXPECT_EQ(PrintAndRead(five, "", 1, true, 2), Pages({2, 4}));
}

TEST_F(CupsPrint, EveryRunOfEqualPaperIsOneJobWithItsMediaAndTheSourceReachesIt) {
    TBuiltPages built(4, [](int i) { return i > 2 ? 1 : 0; }, 2);
    TVNPrintOutcome out = built.Print();
    ASSERT_TRUE(out.Printed) << AnsiToUtf8(out.Error);
    ASSERT_EQ(out.Documents.size(), 2u);
    for (const TPrintResult& d : out.Documents) {
        PrintedPages(d.JobId);
        const std::string job = Sandbox("job " + std::to_string(d.JobId) + " 2>&1");
        EXPECT_NE(job.find("media=iso_a4_210x297mm"), std::string::npos) << job;
        EXPECT_NE(job.find("media-source=bottom"), std::string::npos) << job;
        EXPECT_NE(job.find("copies=1"), std::string::npos) << job;
    }
    std::ifstream log(Env("CUPS_SANDBOX") + "/log/page_log");
    std::stringstream all;
    all << log.rdbuf();
    for (const TPrintResult& d : out.Documents)
        EXPECT_NE(all.str().find("vnfile " + std::to_string(d.JobId) + " "), std::string::npos) << all.str();
}

TEST_F(CupsPrint, ScalingOntoA5GivesA5Sheets) {
    TBuiltPages built(1);
    TVNPrintOptions o;
    o.ScalePaperSize = 11;
    o.ScalePaperWidth = 1480;
    o.ScalePaperHeight = 2100;
    TVNPrintOutcome out = PrintBuiltReport(built.Report, o);
    ASSERT_TRUE(out.Printed) << AnsiToUtf8(out.Error);
    ASSERT_EQ(out.Documents.size(), 1u);
    EXPECT_EQ(PrintedPages(out.Documents[0].JobId), Pages({1}));
    const std::string info = Shell("pdfinfo " + Env("CUPS_SANDBOX") + "/out/vnfile.pdf");
    EXPECT_NE(info.find("420 x 595"), std::string::npos) << info;
}

TEST_F(CupsPrint, AQueueThatRefusesJobsIsAnErrorWithItsReason) {
    ASSERT_EQ(std::system("cupsreject -r 'closed for the test' vnfile"), 0);
    TBuiltPages built(1);
    TVNPrintOutcome out = built.Print();
    std::system("cupsaccept vnfile");
    EXPECT_FALSE(out.Printed);
    EXPECT_FALSE(out.Error.empty());
    EXPECT_TRUE(out.Documents.empty() || !out.Documents[0].Ok);
}

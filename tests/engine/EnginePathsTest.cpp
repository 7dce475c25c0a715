// Main paths of the band engine, each on a small report, checked through the built pages: nested
// groups, page- and column-footer aggregates, the overlay, child bands, page columns with their
// header and footer, a page printed on to the previous one, the sub-detail level and SHOWBAND.
#include "EngineFixture.h"

#include "report/expr/VNDataset.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using TRows = std::vector<std::tuple<AnsiString, AnsiString, int>>;

// Every written text, page by page, in written order ("|" between pages).
std::vector<AnsiString> Sequence(TEngineFixture& f) {
    std::vector<AnsiString> out;
    for (int p = 0; p < f.PageCount(); ++p) {
        if (p) out.push_back("|");
        for (auto& w : f.Views(p))
            if (!w.Text.empty()) out.push_back(w.Text);
    }
    return out;
}

TVNBandView* Data(TEngineFixture& f, int top, int height = 30) {
    TVNBandView* data = AddBand(*f.Page, "Data", bkMasterData, top, height);
    data->FormatText = "Lines";
    AddMemo(*f.Page, "Row", 10, top + 2, 300, 20, {"[name]"});
    return data;
}

struct TCase {
    const char* Name;
    TRows Rows;
    std::function<void(TEngineFixture&)> Build;
    std::vector<AnsiString> Expected;
};

} // namespace

TEST(EnginePaths, SmallReports) {
    const TCase cases[] = {
        {"nested groups with their footers' sums",
         {{"a", "r1", 1}, {"a", "r2", 1}, {"a", "r3", 2}, {"b", "r4", 2}},
         [](TEngineFixture& f) {
             AddBand(*f.Page, "OuterHead", bkGroupHeader, 40, 20)->FormatText = "[grp]";
             AddMemo(*f.Page, "OH", 10, 40, 200, 20, {"<[grp]>"});
             AddBand(*f.Page, "InnerHead", bkGroupHeader, 70, 20)->FormatText = "[qty]";
             AddMemo(*f.Page, "IH", 10, 70, 200, 20, {"q[qty]"});
             Data(f, 100);
             AddBand(*f.Page, "InnerFoot", bkGroupFooter, 150, 20);
             AddMemo(*f.Page, "IF", 10, 150, 200, 20, {"s[SUM([qty])]"});
             AddBand(*f.Page, "OuterFoot", bkGroupFooter, 180, 20);
             AddMemo(*f.Page, "OF", 10, 180, 200, 20, {"S[SUM([qty])]"});
         },
         {"<a>", "q1", "r1", "r2", "s2", "q2", "r3", "s2", "S4", "<b>", "q2", "r4", "s2", "S2"}},
        {"overlay and page footer sums on every page",
         TEngineFixture::Rows(40),
         [](TEngineFixture& f) {
             AddBand(*f.Page, "Over", bkOverlay, 500, 20);
             AddMemo(*f.Page, "O", 500, 500, 200, 20, {"overlay"});
             Data(f, 100, 40);
             AddBand(*f.Page, "PageFoot", bkPageFooter, 300, 20);
             AddMemo(*f.Page, "PF", 10, 300, 200, 20, {"p[SUM([qty])]"});
         },
         // A page footer's sum runs on: it is reset only after the last page.
         {"overlay", "r1", "r2", "r3", "r4", "r5", "r6", "r7", "r8", "r9", "r10", "r11", "r12", "r13", "r14", "r15", "r16", "r17", "r18", "r19", "r20", "r21", "r22", "r23", "p276", "|", "overlay", "r24", "r25", "r26", "r27", "r28", "r29", "r30", "r31", "r32", "r33", "r34", "r35", "r36", "r37", "r38", "r39", "r40", "p820"}},
        {"page columns with their header and a footer sum",
         TEngineFixture::Rows(30),
         [](TEngineFixture& f) {
             f.Page->Columns = 2;
             f.Page->ColumnGap = 0;
             AddBand(*f.Page, "ColHead", bkColumnHeader, 40, 20);
             AddMemo(*f.Page, "CH", 10, 40, 100, 20, {"head"});
             Data(f, 100, 40);
             AddBand(*f.Page, "ColFoot", bkColumnFooter, 300, 20);
             AddMemo(*f.Page, "CF", 10, 300, 100, 20, {"c[SUM([qty])]"});
         },
         // Each column has its header and a footer with the sum of its own rows.
         {"head", "r1", "r2", "r3", "r4", "r5", "r6", "r7", "r8", "r9", "r10", "r11", "r12", "r13", "r14", "r15", "r16", "r17", "r18", "r19", "r20", "r21", "r22", "r23", "c276", "head", "r24", "r25", "r26", "r27", "r28", "r29", "r30", "c189"}},
        {"a second report page printed on to the first",
         TEngineFixture::Rows(2),
         [](TEngineFixture& f) {
             Data(f, 100);
             TVNPage& second = f.AddPage();
             second.PrintToPrevPage = true;
             AddBand(second, "Title2", bkTitle, 40, 20);
             AddMemo(second, "T2", 10, 40, 200, 20, {"second"});
         },
         {"r1", "r2", "second"}},
        {"child band after every row",
         TEngineFixture::Rows(2),
         [](TEngineFixture& f) {
             Data(f, 100)->ChildBand = "Kid";
             AddBand(*f.Page, "Kid", bkChild, 150, 20);
             AddMemo(*f.Page, "K", 10, 150, 200, 20, {"child of [name]"});
         },
         {"r1", "child of r1", "r2", "child of r2"}},
        {"sub-detail level",
         {},
         [](TEngineFixture& f) {
             static TVNUserDataset masters(&f.Form, "Masters"), details(&f.Form, "Details"),
                 subs(&f.Form, "Subs");
             masters.OnCheckEOF = [](TVNDataset* s, bool& eof) { eof = s->RecordNo >= 2; };
             details.OnCheckEOF = [](TVNDataset* s, bool& eof) { eof = s->RecordNo >= 2; };
             subs.OnCheckEOF = [](TVNDataset* s, bool& eof) { eof = s->RecordNo >= 1; };
             AddBand(*f.Page, "M", bkMasterData, 100, 20)->FormatText = "Masters";
             AddMemo(*f.Page, "MM", 10, 100, 200, 20, {"M[Line#]"});
             AddBand(*f.Page, "D", bkDetailData, 130, 20)->FormatText = "Details";
             AddMemo(*f.Page, "DD", 20, 130, 200, 20, {"D[Line#]"});
             AddBand(*f.Page, "S", bkSubDetailData, 160, 20)->FormatText = "Subs";
             AddMemo(*f.Page, "SS", 30, 160, 200, 20, {"S[Line#]"});
         },
         {"M1", "D1", "S1", "D2", "S1", "M2", "D1", "S1", "D2", "S1"}},
        {"SHOWBAND prints a band from a script",
         TEngineFixture::Rows(2),
         [](TEngineFixture& f) {
             TVNBandView* title = AddBand(*f.Page, "Title", bkTitle, 40, 20);
             AddMemo(*f.Page, "T", 10, 40, 200, 20, {"title"});
             title->OnAfterPrint = {"ShowBand('Extra');"};
             AddBand(*f.Page, "Extra", bkChild, 300, 20);
             AddMemo(*f.Page, "E", 10, 300, 200, 20, {"extra"});
             Data(f, 100);
         },
         {"title", "extra", "r1", "r2"}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TEngineFixture f(c.Rows);
        c.Build(f);
        ASSERT_TRUE(f.Report.BuildReport()) << f.Report.ErrorText;
        const std::vector<AnsiString> seq = Sequence(f);
        EXPECT_EQ(seq, c.Expected);
    }
}

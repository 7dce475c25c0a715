// The stocktake sheet's stored template: src/host/StocktakeTemplate.json must be exactly the text
// form of what the design writes (VN_WRITE_TEMPLATE=1 writes it again after a deliberate change of
// the design or of the stream format), the host must embed the hexadecimal text made from it, and the template a fresh demo database serves through the host's template
// list must load cleanly and hold what a template print needs: the bands, the header variables,
// line fields that the sheet's lines really have, totals over the data band, and a layout that
// keeps every view inside its band and the printable width.
#include "StocktakeTemplateDesign.h"

#include "DemoTemplate.h"
#include "host/StocktakeTemplate.h"

#include "report/VNBandView.h"
#include "report/VNJsonReport.h"
#include "report/VNMemoView.h"

#include "platform/AtomicFile.h"
#include "platform/MemDataSet.h"
#include "platform/MessageService.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>

namespace {

const std::string JsonFile = (std::filesystem::path(GUSVAK_SOURCE_DIR) /
                              "src" / "host" / "StocktakeTemplate.json")
                                 .string();

// Where two long texts first differ (npos when equal), so a mismatch does not print them whole.
std::size_t FirstDifference(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i)
        if (a[i] != b[i]) return i;
    return a.size() == b.size() ? std::string_view::npos : n;
}

std::string DesignedStream() {
    TVNReport r;
    DesignStocktakeTemplate(r);
    TVNStream s;
    r.SaveReportStream(s);
    return s.Data();
}

// Every bracketed group of a text, outermost only, without its brackets ("\[" is a literal).
std::vector<AnsiString> BracketGroups(const AnsiString& text) {
    std::vector<AnsiString> groups;
    ExpandBrackets(text, [&](const AnsiString& inner) {
        groups.push_back(inner);
        return AnsiString();
    });
    return groups;
}

// Every memo of the page with the band it lies in (nullptr when it lies in none).
struct TPlacedMemo {
    TVNMemoView* Memo;
    TVNBandView* Band;
};
std::vector<TPlacedMemo> PlaceMemos(TVNPage& page) {
    std::vector<TVNBandView*> bands;
    for (TVNView* v : page.Objects)
        if (auto* b = dynamic_cast<TVNBandView*>(v)) bands.push_back(b);
    std::vector<TPlacedMemo> memos;
    for (TVNView* v : page.Objects)
        if (auto* m = dynamic_cast<TVNMemoView*>(v)) {
            TVNBandView* home = nullptr;
            for (TVNBandView* b : bands)
                if (m->Top >= b->Top && m->Top + m->Height <= b->Top + b->Height) home = b;
            memos.push_back({m, home});
        }
    return memos;
}

TVNBandView* BandOfType(TVNPage& page, int type) {
    TVNBandView* found = nullptr;
    for (TVNView* v : page.Objects)
        if (auto* b = dynamic_cast<TVNBandView*>(v); b && b->BandType() == type) {
            EXPECT_EQ(found, nullptr) << "two bands of type " << type;
            found = b;
        }
    return found;
}

} // namespace

TEST(StocktakeTemplate, TheStoredTextIsWhatTheDesignWrites) {
    const std::string stream = DesignedStream();
    const std::string hex = EncodeHexText(stream);
    const std::string json = StoredBytesToJson(stream);
    if (const char* w = std::getenv("VN_WRITE_TEMPLATE"); w && std::string(w) == "1")
        AtomicWriteFile(JsonFile, json);
    std::string source;
    ASSERT_TRUE(ReadWholeFile(JsonFile, source)) << JsonFile;
    EXPECT_EQ(FirstDifference(source, json), std::string::npos)
        << JsonFile << " differs from the design: run with VN_WRITE_TEMPLATE=1 after a deliberate change";
    const std::string stored = StocktakeTemplateHex;
    EXPECT_EQ(FirstDifference(stored, hex), std::string::npos)
        << "the host embeds another text than " << JsonFile << " makes: build again";

    // The text decodes to the stream, and a loaded template writes the same stream again.
    EXPECT_TRUE(DecodeHexText(stored) == stream);
    TScriptedMessageService messages;
    TMessageServiceScope scope(messages);
    TVNReport back;
    ASSERT_TRUE(back.LoadReportHex(stored));
    TVNStream again;
    back.SaveReportStream(again);
    EXPECT_EQ(FirstDifference(again.Data(), stream), std::string::npos)
        << "the loaded template writes another stream";
    EXPECT_TRUE(messages.Shown().empty());
}

TEST(StocktakeTemplate, EncodesTwoUpperCaseDigitsPerByteEndedByHash) {
    const struct {
        std::string Bytes;
        const char* Text;
    } cases[] = {
        {"", "#"},
        {std::string("\x00\x0F\x10\xAB\xFF", 5), "000F10ABFF#"},
        {"Valnor", "56616C6E6F72#"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EncodeHexText(c.Bytes), c.Text);
        EXPECT_EQ(DecodeHexText(c.Text), c.Bytes);
    }
}

TEST(StocktakeTemplate, TheDemoDatabaseServesItAndItLoadsCleanly) {
    TDemoTemplate demo;
    ASSERT_EQ(demo.List->RecordCount(), 1);
    demo.List->First();
    EXPECT_EQ(demo.List->FieldByName("f_reportname").AsString(), Utf8ToAnsi("盘点损益表(标准格式)"));
    const AnsiString text = demo.List->FieldByName("f_reportinfo").AsString();
    EXPECT_EQ(FirstDifference(text, StocktakeTemplateHex), std::string::npos)
        << "cut or converted on the way";

    TScriptedMessageService messages;
    TMessageServiceScope scope(messages);
    TVNReport r;
    ASSERT_TRUE(r.LoadReportHex(text)) << AnsiToUtf8(r.LoadMessage);
    EXPECT_TRUE(messages.Shown().empty());
    ASSERT_EQ(r.Pages.Count(), 1);
    EXPECT_EQ(r.ReportInfo.Title, Utf8ToAnsi("盘点损益表"));
    TVNPage& page = r.Pages[0];
    EXPECT_EQ(page.PaperSize, 9);
    EXPECT_EQ(page.Orientation, 0);
    EXPECT_EQ(page.PaperWidthPx(), 794);
    EXPECT_EQ(page.PaperHeightPx(), 1123);
}

TEST(StocktakeTemplate, HoldsWhatATemplatePrintNeeds) {
    TDemoTemplate demo;
    demo.List->First();
    TScriptedMessageService messages;
    TMessageServiceScope scope(messages);
    TVNReport r;
    ASSERT_TRUE(r.LoadReportHex(demo.List->FieldByName("f_reportinfo").AsString()));
    ASSERT_EQ(r.Pages.Count(), 1);
    TVNPage& page = r.Pages[0];

    // The bands, each once, and the data band walking the sheet's report dataset.
    for (int type : {bkTitle, bkPageHeader, bkMasterData, bkSummary, bkPageFooter})
        EXPECT_NE(BandOfType(page, type), nullptr) << BandTypeName(type);
    TVNBandView* data = BandOfType(page, bkMasterData);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->DataSource(), StocktakeDatasetName);
    EXPECT_TRUE(r.DoublePass) << "the page footer prints the total page count";

    // Every memo lies inside a band and inside the printable width.
    const std::vector<TPlacedMemo> memos = PlaceMemos(page);
    const TRect printable = page.PrintableRect();
    for (const auto& [m, band] : memos) {
        SCOPED_TRACE(m->Name);
        EXPECT_NE(band, nullptr);
        EXPECT_GE(m->Left, printable.Left);
        EXPECT_LE(m->Left + m->Width, printable.Right);
    }

    // What each band's memos refer to.
    const std::set<AnsiString> columns = demo.LineColumns();
    std::map<int, std::vector<AnsiString>> groupsByBand;
    for (const auto& [m, band] : memos) {
        if (!band) continue;
        for (const AnsiString& line : m->Memo)
            for (const AnsiString& g : BracketGroups(line))
                groupsByBand[band->BandType()].push_back(g);
        // A line field is read only where the data band stands on a line.
        for (const AnsiString& line : m->Memo) {
            if (line.find("Ads.") != AnsiString::npos && band->BandType() != bkMasterData) {
                EXPECT_NE(line.find("SUM("), AnsiString::npos) << m->Name << ": " << AnsiToUtf8(line);
            }
        }
    }
    // The title shows all eleven header variables, and the dictionary lists them (so that one
    // the sheet did not set prints empty instead of failing as an unknown name).
    const auto& titleGroups = groupsByBand[bkTitle];
    for (const char* name : StocktakeHeaderVariables) {
        SCOPED_TRACE(name);
        EXPECT_EQ(std::count(titleGroups.begin(), titleGroups.end(), AnsiString(name)), 1);
        const int at = r.Dictionary.Variables.IndexOf(name);
        ASSERT_GE(at, 0);
        EXPECT_EQ(r.Dictionary.Variables.Items[std::size_t(at)].second, "");
    }
    // Every line field the rows print is a column of the sheet's lines.
    int fields = 0;
    for (const AnsiString& g : groupsByBand[bkMasterData])
        if (g.rfind("Ads.", 0) == 0) {
            EXPECT_TRUE(columns.count(UpperCase(g.substr(4)))) << AnsiToUtf8(g);
            ++fields;
        }
    EXPECT_GE(fields, 10);
    // The totals add up the data band's rows; the count names the same band.
    const auto& summary = groupsByBand[bkSummary];
    for (const char* total : {"SUM([Ads.f_Syjews],MasterDataBand)", "SUM([Ads.f_Syjehs],MasterDataBand)",
                              "COUNT(MasterDataBand)"})
        EXPECT_EQ(std::count(summary.begin(), summary.end(), AnsiString(total)), 1) << total;
    EXPECT_EQ(data->Name, "MasterDataBand");
    // The footer numbers the pages.
    const auto& footer = groupsByBand[bkPageFooter];
    EXPECT_EQ(footer, (std::vector<AnsiString>{"Page#", "TotalPages#"}));
    // The captions print on every page.
    EXPECT_TRUE(BandOfType(page, bkPageHeader)->Flags & bfOnFirstPage);
}

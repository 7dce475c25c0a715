// Byte layout of the report stream: primitives, round trips, old versions, damaged input.
#include "ReportFixture.h"

#include "report/VNStrings.h"
#include "report/VNViewFactory.h"

#include <random>

// Position of the 252 marker that starts the dictionary at the end of a saved report.
static std::size_t DictionaryMarkerAt(const TVNReport& r, const std::string& bytes) {
    TVNStream d;
    r.Dictionary.WriteSection(d);
    return bytes.size() - d.Size() - 1;
}

TEST(StreamPrimitives, TextAndListEncodings) {
    struct {
        TVNStrings List;
        std::string Bytes;
    } lists[] = {
        {{}, std::string("\0\0\0", 3)},
        {{""}, std::string("\1\0\0\0\0", 5)},
        {{"ab", "c"}, std::string("\2\0\2\0ab\x0D\1\0c\0", 11)},
    };
    for (auto& c : lists) {
        TVNStream s;
        s.WriteStrList(c.List);
        EXPECT_EQ(s.Data(), c.Bytes);
        s.Seek(0);
        EXPECT_EQ(s.ReadStrList(), c.List);
        EXPECT_TRUE(s.AtEnd());
    }
    TVNStream s;
    s.WriteStr("");
    s.WriteStr("xy");
    EXPECT_EQ(s.Data(), std::string("\0\0\0\2\0xy\0", 8));
    s.Seek(0);
    EXPECT_EQ(s.ReadStr(), "");
    EXPECT_EQ(s.ReadStr(), "xy");
}

// Texts longer than the record buffer, or than a 16-bit length, after other fields of a record:
// the bytes are those of the plain encoding, and a text over 65,535 bytes is cut to that length.
TEST(StreamPrimitives, LongTextsInARecordKeepTheirEncoding) {
    auto u16 = [](std::size_t n) { return std::string{char(n & 0xFF), char((n >> 8) & 0xFF)}; };
    auto text = [&](const std::string& t, char end) {
        const std::string kept = t.substr(0, VNMaxStrLength);
        return u16(kept.size()) + kept + end;
    };
    const std::string shortLine(40, 'a'), overBuffer(600, 'b'), overLength(70000, 'c');
    for (const TVNStrings& list : {TVNStrings{shortLine, overBuffer, shortLine}, TVNStrings{overLength, "d"},
                                   TVNStrings(300, shortLine)}) {
        std::string expected = std::string("\x07", 1) + u16(list.size());
        for (std::size_t i = 0; i < list.size(); ++i)
            expected += text(list[i], i + 1 < list.size() ? '\x0D' : '\0');
        if (list.empty()) expected += '\0';
        expected += text(overBuffer, '\0');

        TVNStream s;
        TVNRecordWriter w(s);
        w.Byte(7);
        w.StrList(list);
        w.Str(overBuffer);
        w.Flush();
        ASSERT_EQ(s.Data(), expected) << list.size();
        s.Seek(1);
        TVNStrings back = s.ReadStrList();
        ASSERT_EQ(back.size(), list.size());
        for (std::size_t i = 0; i < list.size(); ++i)
            EXPECT_EQ(back[i], list[i].substr(0, VNMaxStrLength));
    }
}

TEST(StreamPrimitives, OldZeroTerminatedTexts) {
    TVNStream s(std::string("abc\0line1\rline2\r\0", 17));
    s.Version = 22;
    EXPECT_EQ(s.ReadStr(), "abc");
    EXPECT_EQ(s.ReadStrList(), (TVNStrings{"line1", "line2"})); // final empty line dropped
    EXPECT_TRUE(s.AtEnd());
}

TEST(StreamPrimitives, ReadsAreBoundsChecked) {
    struct {
        std::string Bytes;
        int Op; // 0 str, 1 strlist, 2 int32
    } cases[] = {
        {std::string("\xFF\xFF", 2), 0}, // length beyond the end
        {std::string("\x02\x00"
                     "ab",
                     4),
         0},                                     // missing closing zero
        {std::string("\xFF\xFF\0\0", 4), 1},     // huge line count
        {std::string("\x01\x00\x05\x00", 4), 1}, // line longer than the rest
        {std::string("\x01\x02\x03", 3), 2},
    };
    for (auto& c : cases) {
        TVNStream s(c.Bytes);
        if (c.Op == 0) {
            EXPECT_THROW(s.ReadStr(), EVNStreamError);
        } else if (c.Op == 1) {
            EXPECT_THROW(s.ReadStrList(), EVNStreamError);
        } else {
            EXPECT_THROW(s.ReadInt32(), EVNStreamError);
        }
    }
    TVNStream old(std::string("no terminator"));
    old.Version = 20;
    EXPECT_THROW(old.ReadStr(), EVNStreamError);
}

TEST(ReportStream, WriteReadWriteGivesIdenticalBytes) {
    TMessageRecorder messages;
    TVNReport r;
    BuildSampleReport(r);
    std::string first = SaveBytes(r);
    TVNReport back;
    TVNStream s(first);
    ASSERT_TRUE(back.LoadReportStream(s));
    EXPECT_TRUE(messages.Texts().empty());
    EXPECT_EQ(SaveBytes(back), first);
    // And the model came back.
    EXPECT_EQ(back.ReportInfo, r.ReportInfo);
    ASSERT_EQ(back.Pages.Count(), 2);
    EXPECT_EQ(back.Pages[0].Objects.size(), 6u);
    auto* memo = dynamic_cast<TVNMemoView*>(back.FindObject("Memo1"));
    ASSERT_NE(memo, nullptr);
    EXPECT_EQ(memo->Memo, (TVNStrings{"Total: [Sum]", "", "line 3"}));
    EXPECT_EQ(memo->Font.Name, CP936("宋体"));
    EXPECT_EQ(memo->TopFrame().Style, fsDoubleLine);
    auto* band = dynamic_cast<TVNBandView*>(back.FindObject("Band2"));
    ASSERT_NE(band, nullptr);
    EXPECT_EQ(band->BandType(), bkMasterData);
    EXPECT_EQ(band->DataSource(), "5");
    EXPECT_EQ(back.Dictionary.Variables, r.Dictionary.Variables);
    EXPECT_EQ(back.Dictionary.FieldAliases, r.Dictionary.FieldAliases);
    EXPECT_TRUE(back.DoublePass);
    EXPECT_EQ(back.Pages[1].Orientation, 1);
    EXPECT_EQ(back.Pages[1].PaperWidth, 297000); // landscape A4
}

TEST(ReportStream, HeaderAndEmptyReportEndWithTheDictionary) {
    TVNReport r;
    r.Pages.Add();
    std::string bytes = SaveBytes(r);
    const std::string head =
        std::string("\x2B\x00\x0B\x12\x00", 5) + "Valnor Report File" + std::string("\0\x1A", 2);
    EXPECT_EQ(bytes.substr(0, head.size()), head);
    // 252, uint16 1, three empty lists.
    const std::string tail = std::string("\xFC\x01\x00", 3) + std::string(12, '\0');
    ASSERT_GE(bytes.size(), tail.size());
    EXPECT_EQ(bytes.substr(bytes.size() - tail.size()), tail);
}

TEST(ReportStream, UnknownAndUnreadableViewsAreSkippedByEndPosition) {
    TMessageRecorder messages;
    TVNReport r;
    BuildSampleReport(r);
    std::string bytes = SaveBytes(r);
    // Rebuild with an extra add-in view of an unknown class and a memo with trailing bytes.
    TVNStream s(bytes);
    TVNReport back;
    ASSERT_TRUE(back.LoadReportStream(s));
    // Hand-append records before the dictionary: find the 252 marker at the tail.
    std::size_t dict = DictionaryMarkerAt(r, bytes);
    ASSERT_EQ(std::uint8_t(bytes[dict]), 252);
    TVNStream extra;
    extra.Data() = bytes.substr(0, dict);
    extra.Seek(extra.Size());
    // Unknown add-in.
    extra.WriteByte(10);
    extra.WriteStr("TVNFancyView");
    extra.WriteByte(0);
    std::size_t at = extra.Position();
    extra.WriteInt32(0);
    extra.WriteBytes("whatever the kind writes");
    extra.PatchInt32(at, std::int32_t(extra.Position()));
    // A memo whose kind writes more than the reader knows.
    TVNMemoView longer;
    longer.Name = "Longer";
    longer.Memo = {"kept"};
    extra.WriteByte(0);
    extra.WriteByte(1);
    at = extra.Position();
    extra.WriteInt32(0);
    longer.WriteToStream(extra);
    extra.WriteBytes("future fields");
    extra.PatchInt32(at, std::int32_t(extra.Position()));
    // A view of type 6 (never created) and a memo record cut short inside its end position.
    extra.WriteByte(6);
    extra.WriteByte(0);
    at = extra.Position();
    extra.WriteInt32(0);
    extra.WriteBytes("ignored");
    extra.PatchInt32(at, std::int32_t(extra.Position()));
    extra.WriteByte(0);
    extra.WriteByte(0);
    at = extra.Position();
    extra.WriteInt32(0);
    extra.WriteStr("Broken");
    extra.PatchInt32(at, std::int32_t(extra.Position()));
    extra.WriteBytes(bytes.substr(dict));
    extra.Seek(0);

    TVNReport mixed;
    EXPECT_FALSE(mixed.LoadReportStream(extra)); // the missing class is reported
    auto shown = messages.Texts();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].find("non-plugged components:\rTVNFancyView\r\n"), std::string::npos);
    ASSERT_NE(mixed.FindObject("Longer"), nullptr);
    EXPECT_EQ(mixed.FindObject("Longer")->Memo, (TVNStrings{"kept"}));
    EXPECT_EQ(mixed.FindObject("Broken"), nullptr);
    EXPECT_EQ(mixed.Pages[1].Objects.size(), 2u);
    EXPECT_EQ(mixed.Pages[0].Objects.size(), 6u);
    EXPECT_EQ(mixed.Dictionary.Variables.Count(), 2); // reading went on to the dictionary
}

TEST(ReportStream, VersionAndSignatureFailures) {
    TMessageRecorder messages;
    TVNReport r;
    BuildSampleReport(r);
    // Empty stream: nothing happens.
    TVNStream empty;
    EXPECT_FALSE(r.LoadReportStream(empty));
    EXPECT_EQ(r.Pages.Count(), 2);
    // Newer version: message, report unchanged.
    TVNStream newer(std::string("\x2C\x00\x0B", 3));
    EXPECT_FALSE(r.LoadReportStream(newer));
    EXPECT_EQ(r.Pages.Count(), 2);
    // Wrong signature: one empty page.
    std::string bytes = SaveBytes(r);
    bytes[5] = 'X';
    TVNStream bad(bytes);
    EXPECT_FALSE(r.LoadReportStream(bad));
    EXPECT_EQ(r.Pages.Count(), 1);
    EXPECT_TRUE(r.Pages[0].Objects.empty());
    // A leading byte above 10 in the body: cleared.
    TVNReport r2;
    BuildSampleReport(r2);
    std::string body = SaveBytes(r2);
    std::size_t dict = DictionaryMarkerAt(r2, body);
    body[dict] = char(200);
    TVNStream broken(body);
    EXPECT_FALSE(r2.LoadReportStream(broken));
    EXPECT_EQ(r2.Pages.Count(), 0);
    std::vector<AnsiString> expected = {CP936("不支持的vnf格式"), CP936("不是Valnor报表文件！"),
                                        CP936("不支持的vnf格式")};
    EXPECT_EQ(messages.Texts(), expected);
    for (auto& m : messages.Service.Shown())
        EXPECT_EQ(m.Caption, CP936("错误"));
}

TEST(ReportStream, AStreamCutBeforeItsEndKeepsWhatItHoldsAndSaysItIsCut) {
    TMessageRecorder messages;
    TVNReport r;
    BuildSampleReport(r);
    const std::string bytes = SaveBytes(r);
    // Cut between two whole records: right before the closing dictionary section.
    TVNStream cut(bytes.substr(0, DictionaryMarkerAt(r, bytes)));
    TVNReport back;
    EXPECT_FALSE(back.LoadReportStream(cut));
    EXPECT_EQ(back.LoadMessage, VNText(TVNText::TruncatedStream));
    EXPECT_EQ(messages.Texts(), std::vector<AnsiString>{VNText(TVNText::TruncatedStream)});
    ASSERT_EQ(back.Pages.Count(), 2);
    EXPECT_EQ(back.Pages[0].Objects.size(), 6u);
    EXPECT_NE(back.FindObject("Memo1"), nullptr);
    // Ending the pages with the stop byte instead of the dictionary is a whole stream.
    TVNStream stopped(bytes.substr(0, DictionaryMarkerAt(r, bytes)) + "\xFD");
    TVNReport whole;
    EXPECT_TRUE(whole.LoadReportStream(stopped));
}

TEST(ReportStream, EveryPrefixAndRandomDamageLoadsOrFailsCleanly) {
    TMessageRecorder messages;
    TVNReport r;
    BuildSampleReport(r);
    const std::string bytes = SaveBytes(r);
    for (std::size_t n = 1; n < bytes.size(); ++n) {
        TVNReport target;
        TVNStream s(bytes.substr(0, n));
        target.LoadReportStream(s); // must return, whatever it says
    }
    std::mt19937 rng(7);
    for (int round = 0; round < 400; ++round) {
        std::string damaged = bytes;
        for (int k = 0; k < 4; ++k)
            damaged[rng() % damaged.size()] = char(rng());
        TVNReport target;
        TVNStream s(damaged);
        target.LoadReportStream(s);
    }
    SUCCEED();
}

TEST(ReportStream, HexTextStopsAtHashOrBadPair) {
    struct {
        const char* Text;
        std::string Bytes;
    } cases[] = {{"2B000B#", std::string("\x2B\x00\x0B", 3)},
                 {"2b0a#ffff", std::string("\x2B\x0A", 2)},
                 {"2B0G11", std::string("\x2B", 1)},
                 {"2B0", std::string("\x2B", 1)},
                 {"#", ""}};
    for (auto& c : cases)
        EXPECT_EQ(DecodeHexText(c.Text), c.Bytes) << c.Text;

    TVNReport r;
    BuildSampleReport(r);
    std::string bytes = SaveBytes(r), hex;
    for (unsigned char c : bytes) {
        static const char* digits = "0123456789ABCDEF";
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    TVNReport back;
    ASSERT_TRUE(back.LoadReportHex(hex + "#"));
    EXPECT_EQ(SaveBytes(back), bytes);
}

// Streams written by hand in the layouts of older versions load with their conversions.
#include "ReportFixture.h"

#include "report/VNEngine.h"

#include "platform/Locale.h"

namespace {

// Writes the pieces of an old report stream by the version's rules.
struct TOldWriter {
    int Ver;
    TVNStream S;
    explicit TOldWriter(int ver) : Ver(ver) { S.Version = ver; }

    void Str(const std::string& t) {
        if (Ver < 23) {
            S.WriteBytes(t);
            S.WriteByte(0);
        } else {
            S.WriteStr(t);
        }
    }
    void List(const TVNStrings& lines) {
        if (Ver < 23) {
            for (auto& l : lines) {
                S.WriteBytes(l);
                S.WriteByte(13);
            }
            S.WriteByte(0);
        } else {
            S.WriteStrList(lines);
        }
    }
    void Header() {
        S.WriteByte(std::uint8_t(Ver)); // no sub-versions before 36, no signature before 41
        if (Ver >= 32) S.WriteByte(0);
        if (Ver >= 35) S.WriteByte(1); // pre-printed default
        S.WriteUInt16(0);              // old field of codes below 4101
        S.WriteInt16(0);               // DoublePass
        Str("Virtual Printer");
    }
    void Page() {
        S.WriteByte(255);
        if (Ver >= 24) {
            S.WriteByte(0);
            Str("Form");
            Str("P1");
        }
        if (Ver >= 25) {
            for (int v : {220, 180, 380, 300})
                S.WriteInt32(v);
            S.WriteInt32(0);
            S.WriteByte(0);
            S.WriteByte(1);
        }
        S.WriteInt32(9);
        S.WriteInt32(2100); // tenths of mm
        S.WriteInt32(2970);
        for (int v : {57, 76, 57, 76})
            S.WriteInt32(v); // margins as pixels
        S.WriteByte(0);
        if (Ver < 23) S.WriteBytes(std::string(6, '\0'));
        S.WriteInt16(0);
        S.WriteUInt16(0); // old field of codes below 4003
        S.WriteInt32(1);
        S.WriteInt32(19); // column gap in pixels
        if (Ver >= 24) S.WriteInt32(7);
        if (Ver >= 27) List({"page script"});
        if (Ver >= 33) TVNPicture().Write(S);
        if (Ver >= 34) {
            S.WriteInt32(0);
            S.WriteInt32(0);
        }
    }
    // Common record with the old frame fields.
    void ViewRecord(const std::string& name, int frameTyp, int flags, const TVNStrings& text) {
        if (Ver >= 23) Str(name);
        if (Ver >= 29) {
            S.WriteByte(9); // ViewFormatVersion before Flags2 existed
            S.WriteByte(0);
        }
        for (int v : {100, 50, 200, 20})
            S.WriteInt32(v);
        S.WriteUInt16(std::uint16_t(flags));
        S.WriteUInt16(std::uint16_t(frameTyp));
        if (Ver < 30)
            S.WriteFloat(2.0f);
        else
            Str("2");
        S.WriteInt32(int(clRed));
        if (Ver >= 25) S.WriteUInt16(0); // skipped
        S.WriteUInt16(1);                // dash
        if (Ver >= 25) {
            S.WriteInt32(3);
            S.WriteInt16(4);
        }
        S.WriteInt32(int(clNone));
        if (Ver <= 24 && Ver >= 24) {
            S.WriteInt32(3);
            S.WriteInt32(4);
        }
        if (Ver >= 28) S.WriteByte(0);
        S.WriteInt32(0x22E - 3); // Format, raised on reading
        Str("");
        List(text);
        if (Ver >= 23) {
            List({"before"});
            if (Ver >= 26) List({"after"});
            S.WriteUInt16(0xFFFF);
        }
        if (Ver >= 29) {
            S.WriteUInt16(0);
            Str("");
        }
    }
    void Memo(const std::string& name, int frameTyp, const TVNStrings& text) {
        S.WriteByte(0);
        S.WriteByte(0);
        std::size_t endAt = 0;
        if (Ver >= 29) {
            endAt = S.Position();
            S.WriteInt32(0);
        }
        ViewRecord(name, frameTyp, 0, text);
        Str("Arial");
        S.WriteInt32(9);
        S.WriteInt16(1);
        S.WriteInt32(0);
        S.WriteInt32(2 | 4); // centred, rotation bit of old records
        if (Ver >= 23) S.WriteInt16(134);
        S.WriteInt16(2);
        S.WriteInt32(0);
        S.WriteInt32(int(clWhite));
        Str("");
        if (Ver >= 24) {
            S.WriteInt32(1);
            S.WriteInt32(3);
        }
        if (Ver >= 29) S.PatchInt32(endAt, std::int32_t(S.Position()));
    }
    void Band(int type, int flags) {
        S.WriteByte(2);
        S.WriteByte(0);
        std::size_t endAt = 0;
        if (Ver >= 29) {
            endAt = S.Position();
            S.WriteInt32(0);
        }
        ViewRecord("B1", type, flags, {"9"});
        if (Ver >= 24) {
            Str("");
            S.WriteInt32(20);
            S.WriteInt32(2);
            S.WriteInt32(200);
        }
        if (Ver >= 29) Str("");
        if (Ver >= 29) S.PatchInt32(endAt, std::int32_t(S.Position()));
    }
};

int Converted(int e) {
    return int(RoundHalfEven(RoundHalfEven(e * 50.0 / 18.0) * 96.0 / 254.0));
}

} // namespace

TEST(OldVersions, MemoAndBandRecordsOfOlderLayouts) {
    for (int ver : {35, 29, 28, 24, 23, 22}) {
        SCOPED_TRACE(ver);
        TMessageRecorder messages;
        TOldWriter w(ver);
        w.Header();
        w.Page();
        w.Memo("M1", 15 | 0x20, {"Hello", "World"});
        w.Band(bkMasterData, 0x1000);
        if (ver >= 29) {
            w.S.WriteByte(252);
            if (ver >= 31) w.S.WriteUInt16(1);
            for (int i = 0; i < 3; ++i)
                w.S.WriteInt32(0);
        }
        w.S.Seek(0);
        TVNReport r;
        ASSERT_TRUE(r.LoadReportStream(w.S))
            << (messages.Texts().empty() ? "" : AnsiToUtf8(messages.Texts()[0]));
        ASSERT_EQ(r.Pages.Count(), 1);
        TVNPage& page = r.Pages[0];
        EXPECT_EQ(page.PaperWidth, 210000);
        EXPECT_EQ(page.LeftMargin, int(RoundHalfEven(PixelsToMM(57) * 1000)));
        ASSERT_EQ(page.Objects.size(), 2u);
        auto* memo = dynamic_cast<TVNMemoView*>(page.Objects[0]);
        ASSERT_NE(memo, nullptr);
        EXPECT_EQ(memo->Name, ver >= 23 ? "M1" : "Memo1");
        EXPECT_EQ(memo->Memo, (TVNStrings{"Hello", "World"}));
        EXPECT_EQ(memo->Left, Converted(100));
        EXPECT_EQ(memo->Width, Converted(300) - Converted(100));
        EXPECT_EQ(memo->FrameTyp(), 15);
        EXPECT_FLOAT_EQ(memo->RightFrame().Width, 2.0f);
        EXPECT_EQ(memo->LeftFrame().Color, clRed);
        EXPECT_EQ(memo->BottomFrame().Style, 1);
        EXPECT_EQ(memo->DiagonalType, 1);
        EXPECT_EQ(memo->GapX, ver >= 24 ? 3 : 2);
        EXPECT_EQ(memo->Alignment(), vntaCenterJustify);
        EXPECT_EQ(memo->RotationType, 1);
        EXPECT_EQ(memo->Format, 0x22E - 3 + (ver < 32 ? 3 : 0));
        EXPECT_EQ(memo->Font.Charset, 134);
        EXPECT_EQ(memo->OnBeforePrint, ver >= 23 ? TVNStrings{"before"} : TVNStrings{});
        EXPECT_EQ(memo->OnAfterPrint, ver >= 26 ? TVNStrings{"after"} : TVNStrings{});
        auto* band = dynamic_cast<TVNBandView*>(page.Objects[1]);
        ASSERT_NE(band, nullptr);
        EXPECT_EQ(band->BandType(), bkMasterData);
        EXPECT_TRUE(band->Flags & bfPrintColFirst);
        EXPECT_TRUE(band->Flags & bfAutoAppendBlank); // old bit 0x1000 moved
        EXPECT_FALSE(band->Flags & 0x1000);
        if (ver >= 24) {
            EXPECT_EQ(band->Columns, 2);
        }
        // And it saves as the current version, which reads back identically.
        std::string bytes = SaveBytes(r);
        TVNReport again;
        TVNStream s(bytes);
        ASSERT_TRUE(again.LoadReportStream(s));
        EXPECT_EQ(SaveBytes(again), bytes);
    }
}

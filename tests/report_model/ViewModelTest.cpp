// Views: properties by name, the bracket rule, naming, copying and the factory.
#include "ReportFixture.h"

#include "report/VNEngine.h"
#include "report/VNViewFactory.h"

TEST(ViewProperties, FrameTypPacksTheFourSides) {
    struct {
        int Set;
        bool Top, Left, Bottom, Right;
    } cases[] = {{15, true, true, true, true},   {0, false, false, false, false},
                 {8, true, false, false, false}, {4, false, true, false, false},
                 {2, false, false, true, false}, {1, false, false, false, true},
                 {10, true, false, true, false}};
    for (auto c : cases) {
        TVNMemoView m;
        m.SetFrameTyp(0xF);
        m.SetProperty("frametyp", Value(c.Set));
        EXPECT_EQ(m.TopFrame().Visible != 0, c.Top) << c.Set;
        EXPECT_EQ(m.LeftFrame().Visible != 0, c.Left) << c.Set;
        EXPECT_EQ(m.BottomFrame().Visible != 0, c.Bottom) << c.Set;
        EXPECT_EQ(m.RightFrame().Visible != 0, c.Right) << c.Set;
        EXPECT_EQ(m.GetProperty("FRAMETYP").AsInteger(), c.Set);
    }
}

TEST(ViewProperties, AllSidesAndSingleSideNames) {
    TVNMemoView m;
    m.SetProperty("FrameWidth", Value(2.5));
    m.SetProperty("FrameColor", Value(int(clRed)));
    m.SetProperty("FrameStyle", Value(7)); // psDouble: a solid double line
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(m.Frames()[i].Width, 2.5f);
        EXPECT_EQ(m.Frames()[i].Color, clRed);
        EXPECT_EQ(m.Frames()[i].Style, fsDoubleLine);
    }
    m.SetProperty("BottomFrame.Width", Value(4.0));
    m.SetProperty("LeftFrame.Visible", Value::Boolean(true));
    EXPECT_FLOAT_EQ(m.BottomFrame().Width, 4.0f);
    EXPECT_EQ(m.GetProperty("FrameWidth").AsFloat(), 2.5); // reading gives the top side
    EXPECT_TRUE(m.GetProperty("leftframe.visible").AsBoolean());
    EXPECT_EQ(m.GetProperty("FrameStyle").AsInteger(), 7);
}

TEST(ViewProperties, MemoTextAndFlagsByName) {
    TVNMemoView m;
    m.SetProperty("Memo", Value("a\r\nb\nc"));
    EXPECT_EQ(m.Memo, (TVNStrings{"a", "b", "c"}));
    EXPECT_EQ(m.GetProperty("Memo").AsString(), "a\r\nb\r\nc");
    EXPECT_EQ(m.GetProperty("Memo.Count").AsInteger(), 3);
    EXPECT_EQ(m.GetProperty("DataField").AsString(), "a");
    EXPECT_EQ(m.GetProperty("CalcValue").AsInteger(), 0); // empty Memo1
    m.Memo1 = {"42"};
    EXPECT_EQ(m.GetProperty("CalcValue").AsString(), "42");

    m.SetProperty("ScaleFontSize", Value::Boolean(true));
    m.SetProperty("AutoWidth", Value::Boolean(true)); // clears ScaleFontSize
    EXPECT_TRUE(m.Flags & flAutoWidth);
    EXPECT_FALSE(m.Flags2 & fl2ScaleFontSize);
    m.SetProperty("DataFieldOnly", Value::Boolean(true));
    EXPECT_EQ(m.Flags2, fl2DataFieldOnly);
    m.SetProperty("Font.Style", Value(3));
    EXPECT_EQ(m.Font.Style, fsBold | fsItalic);
    m.SetProperty("Alignment", Value(2));
    m.SetProperty("Layout", Value(16));
    EXPECT_EQ(m.Adjust, 18);
    m.SetProperty("Stretched", Value::Boolean(true));
    EXPECT_TRUE(m.GetProperty("STRETCHED").AsBoolean());
    EXPECT_TRUE(m.GetProperty("NoSuchName").IsEmpty());
}

TEST(ViewProperties, ListMethodsAndHideShow) {
    TVNMemoView m;
    m.CallMethod("Lines.Add", Value("x"));
    m.CallMethod("MEMO.ADD", Value("y"));
    m.CallMethod("lines.add", Value("z"));
    EXPECT_EQ(m.CallMethod("Lines.IndexOf", Value("y")).AsInteger(), 1);
    m.CallMethod("Lines.Delete", Value(0));
    EXPECT_EQ(m.Memo, (TVNStrings{"y", "z"}));
    m.CallMethod("SetIndexProperty", Value("Lines"), Value(1), Value("Z"));
    EXPECT_EQ(m.CallMethod("GetIndexProperty", Value("Memo"), Value(1)).AsString(), "Z");
    m.CallMethod("Memo.Clear");
    EXPECT_TRUE(m.Memo.empty());
    m.CallMethod("Hide");
    EXPECT_FALSE(m.Visible);
    m.CallMethod("SHOW");
    EXPECT_TRUE(m.Visible);
}

TEST(ViewProperties, RegistryIsFilledLazilyAndPerKind) {
    TVNMemoView m;
    ASSERT_NE(m.LookupProperty("name"), nullptr);
    EXPECT_EQ(m.LookupProperty("Name")->Kind, 257);
    EXPECT_EQ(m.LookupProperty("FrameWidth")->Kind, 132);
    EXPECT_EQ(m.LookupProperty("Tag")->Kind, 320);
    const TVNPropRec* align = m.LookupProperty("BandAlign");
    ASSERT_NE(align, nullptr);
    ASSERT_EQ(align->EnumNames.size(), 9u);
    EXPECT_EQ(align->EnumCodes[6].AsInteger(), 7);
    TVNRegionView region;
    EXPECT_EQ(region.LookupProperty("BandAlign"), nullptr);
    EXPECT_EQ(region.LookupProperty("PrintVisible"), nullptr);
    EXPECT_NE(region.LookupProperty("PrintFrame"), nullptr);
    TVNBandView data;
    data.SetBandType(bkMasterData);
    EXPECT_NE(data.LookupProperty("DataSource"), nullptr);
    EXPECT_EQ(data.LookupProperty("Memo"), nullptr);
    EXPECT_EQ(data.LookupProperty("FrameTyp"), nullptr);
    TVNBandView footer;
    footer.SetBandType(bkPageFooter);
    EXPECT_EQ(footer.LookupProperty("ChildBand"), nullptr);
    EXPECT_NE(footer.LookupProperty("OnLastPage"), nullptr);
}

TEST(BracketRule, ExpandsGroupsAndKeepsEscapedOnes) {
    auto eval = [](const AnsiString& e) { return "<" + e + ">"; };
    struct {
        const char* In;
        const char* Out;
    } cases[] = {
        {"a[b]c", "a<b>c"},
        {"\\[Qty] x", "[Qty] x"}, // backslash keeps the group literally
        {"[a[b]c]", "<a[b]c>"},   // nested brackets count
        {"[a][b]", "<a><b>"},
        {"open [never", "open [never"}, // unmatched: rest literal
        {"", ""},
        {"[]", "<>"},
    };
    for (auto c : cases)
        EXPECT_EQ(ExpandBrackets(c.In, eval), c.Out) << c.In;
    // Values containing brackets are not evaluated again.
    EXPECT_EQ(ExpandBrackets("[x]", [](const AnsiString&) { return AnsiString("[y]"); }), "[y]");
    // A double-byte character whose trail byte is '[' (0x5B) is not a bracket.
    std::string dbcs = "\x81\x5B[a]";
    EXPECT_EQ(ExpandBrackets(dbcs, eval), "\x81\x5B<a>");
}

TEST(ViewNaming, MakeUniqueNameFillsTheFirstGap) {
    TVNReport r;
    TVNPage& p = r.Pages.Add();
    AddMemo(p, "Memo1", 0, 0, 1, 1, {});
    AddMemo(r.Pages.Add(), "MEMO3", 0, 0, 1, 1, {});
    auto* m = new TVNMemoView;
    p.Add(m);
    m->MakeUniqueName();
    EXPECT_EQ(m->Name, "Memo2");
    auto* band = new TVNBandView;
    p.Add(band);
    band->MakeUniqueName();
    EXPECT_EQ(band->Name, "Band1");
}

TEST(ViewCopy, AssignViewCopiesWhatTheStreamCarries) {
    TVNReport r;
    BuildSampleReport(r);
    auto* src = static_cast<TVNMemoView*>(r.FindObject("Memo1"));
    src->DesignSelected = 1;
    src->Memo1 = {"evaluated"};
    src->LastValue = "last";
    TVNMemoView copy;
    copy.AssignView(*src);
    EXPECT_EQ(copy.Name, "Memo1");
    EXPECT_EQ(copy.DesignSelected, 1);
    EXPECT_EQ(copy.Memo, src->Memo);
    EXPECT_EQ(copy.OnBeforePrint, src->OnBeforePrint);
    EXPECT_EQ(copy.OnAfterPrint, src->OnAfterPrint);
    EXPECT_EQ(copy.TopFrame(), src->TopFrame());
    EXPECT_EQ(copy.Font, src->Font);
    EXPECT_EQ(copy.HighlightCondition, src->HighlightCondition);
    EXPECT_EQ(copy.Tag, src->Tag);
    EXPECT_TRUE(copy.Memo1.empty()); // run-time state is not part of the record
    EXPECT_TRUE(copy.LastValue.empty());
    TVNStream a, b;
    src->WriteToStream(a);
    copy.WriteToStream(b);
    EXPECT_EQ(a.Data(), b.Data());
}

TEST(ViewFactory, TypeCodesAndAddIns) {
    TVNReport r;
    struct {
        int Code;
        const char* Class;
    } made[] = {{0, "TVNMemoView"}, {1, "TVNPictureView"},  {2, "TVNBandView"},  {3, "TVNSubReportView"},
                {4, "TVNLineView"}, {5, "TVNCalcMemoView"}, {7, "TVNMoneyView"}, {8, "TVNRegionView"}};
    int lastNumber = 0;
    for (auto c : made) {
        std::unique_ptr<TVNView> v(CreateViewByType(c.Code, "", &r));
        ASSERT_NE(v, nullptr) << c.Code;
        EXPECT_STREQ(v->ClassName(), c.Class);
        EXPECT_EQ(v->TypeCode, c.Code);
        EXPECT_GT(v->ObjectNumber, lastNumber);
        lastNumber = v->ObjectNumber;
    }
    for (int code : {6, 9, 11, 255, -1})
        EXPECT_EQ(CreateViewByType(code, "", &r), nullptr) << code;

    struct TShape : TVNView {
        const char* ClassName() const override { return "TVNTestShapeView"; }
    };
    RegisterAddInObject("TVNTestShapeView", [] { return new TShape; });
    std::unique_ptr<TVNView> shape(CreateViewByType(10, "tvntestshapeview", &r));
    ASSERT_NE(shape, nullptr);
    EXPECT_EQ(shape->TypeCode, 10);

    r.ErrorText.clear();
    EXPECT_THROW(CreateViewByType(10, "TVNNoSuchView", &r), EVNClassNotFound);
    EXPECT_THROW(CreateViewByType(10, "TVNOtherView", &r), EVNClassNotFound);
    EXPECT_EQ(r.ErrorText, "TVNNoSuchView\r\nTVNOtherView\r\n");
}

TEST(ViewPaint, ScaleForPaintAndBack) {
    TVNMemoView m;
    m.PlaceAt(10, 20, 100, 50);
    m.SetFrameTyp(15);
    m.SetProperty("FrameWidth", Value(2.0));
    m.RightFrame().Visible = 0;
    m.FontScaleWidth = 10;
    TScopedValue running(VNState().RunMode, true);
    m.PaintScaleX = 2;
    m.PaintScaleY = 3;
    m.PaintOffsetX = 5;
    m.PaintOffsetY = 7;
    m.ScaleForPaint();
    EXPECT_EQ(m.Left, 25);
    EXPECT_EQ(m.Top, 67);
    EXPECT_EQ(m.Width, 200);
    EXPECT_EQ(m.Height, 150);
    EXPECT_EQ(m.GapX, 4); // round(2*2 + 0.5) = round(4.5) = 4
    EXPECT_EQ(m.GapY, 6); // round(2*3 + 0.5) = round(6.5) = 6
    EXPECT_FLOAT_EQ(m.RightFrame().Width, 0.0f);
    EXPECT_FLOAT_EQ(m.LeftFrame().Width, 4.0f);
    EXPECT_EQ(m.FontScaleWidth, 20);
    EXPECT_EQ(m.InnerRect.Left, 25 + 2);
    EXPECT_EQ(m.InnerRect.Top, 67 + 3);
    m.UnscaleAfterPaint();
    EXPECT_EQ(m.Left, 10);
    EXPECT_EQ(m.Width, 100);
    EXPECT_EQ(m.GapX, 2);
    EXPECT_FLOAT_EQ(m.RightFrame().Width, 2.0f);
    EXPECT_EQ(m.FontScaleWidth, 10);
}

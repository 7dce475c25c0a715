// Writing a memo into a built page stream: split mode, Suppress, MergeRepeated over rows (one
// cell as high as the rows it covers) and the master memo that stops a merge.
#include "MemoFixture.h"

namespace {

struct TRecord {
    int Top, Height;
    TVNStrings Text;
};

std::vector<TRecord> Records(TVNStream& s) {
    std::vector<TRecord> records;
    s.Seek(0);
    while (!s.AtEnd()) {
        EXPECT_EQ(s.ReadByte(), ViewTypeMemo);
        TVNMemoView v;
        v.IsPrinting = true;
        v.ReadFromStream(s);
        records.push_back({v.Top, v.Height, v.Memo1});
    }
    return records;
}

// Writes the memo as one row at the given top.
void WriteRow(TVNMemoView& memo, TVNStream& s, int top, const char* text) {
    memo.Memo = {text};
    memo.Top = top;
    memo.WriteToPage(s);
}

} // namespace

TEST(MemoWrite, SplitWritesWhatFitsAndKeepsTheRest) {
    TMemoFixture f(0, 0, 100, 30); // lines at 2 and 16 end by 30; the third would end at 42
    f.Memo->Memo1 = {"l1", "l2", "l3", "l4", "l5"};
    f.Memo->DrawMode = 2;
    TVNStream s;
    f.Memo->WriteToPage(s);
    auto records = Records(s);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].Text, Wrapped({"l1", "l2"}));
    EXPECT_EQ(f.Memo->Memo1, Wrapped({"l3", "l4", "l5"}));
    EXPECT_EQ(f.Memo->DrawMode, 0);

    // Nothing fits: the written text is only the wrapped mark.
    f.Memo->Height = 10;
    f.Memo->DrawMode = 2;
    TVNStream s2;
    f.Memo->WriteToPage(s2);
    records = Records(s2);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].Text, TVNStrings{AnsiString(1, VNLineEnd)});
    EXPECT_EQ(f.Memo->Memo1.size(), 3u);
}

TEST(MemoWrite, SuppressEmptiesRepeatedValues) {
    TMemoFixture f(0, 0, 100, 20);
    f.Memo->SetFlag(flSuppress, true);
    TVNStream s;
    WriteRow(*f.Memo, s, 0, "A");
    WriteRow(*f.Memo, s, 20, "A");
    WriteRow(*f.Memo, s, 40, "B");
    const auto records = Records(s);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].Text, TVNStrings{"A"});
    EXPECT_TRUE(records[1].Text.empty());
    EXPECT_EQ(records[2].Text, TVNStrings{"B"});
    EXPECT_EQ(f.Memo->LastValue, "B");
}

TEST(MemoWrite, MergeRepeatedMakesOneCellOverTheRows) {
    TMemoFixture f(0, 0, 100, 20);
    f.Memo->SetFlag(flSuppress, true);
    f.Memo->SetFlag(flMergeRepeated, true);
    TVNStream s;
    WriteRow(*f.Memo, s, 0, "A");
    EXPECT_TRUE(f.Memo->ValueChanged);
    WriteRow(*f.Memo, s, 20, "A");
    EXPECT_FALSE(f.Memo->ValueChanged);
    WriteRow(*f.Memo, s, 40, "A");
    WriteRow(*f.Memo, s, 60, "B");
    const auto records = Records(s);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].Top, 0);
    EXPECT_EQ(records[0].Height, 60); // three rows high
    EXPECT_EQ(records[0].Text, TVNStrings{"A"});
    EXPECT_EQ(records[1].Top, 60);
    EXPECT_EQ(records[1].Height, 20);
    EXPECT_EQ(f.Memo->Top, 60); // the memo's own geometry is untouched by the merge
}

TEST(MemoWrite, MergeStopsWhenTheMasterChangesOrTheStreamDiffers) {
    TMemoFixture f(0, 0, 100, 20);
    auto* master = new TVNMemoView;
    master->Name = "Group";
    f.Report.Pages[0].Add(master);
    f.Memo->MasterMemoView = "Group";
    f.Memo->SetFlag(flSuppress, true);
    f.Memo->SetFlag(flMergeRepeated, true);
    TVNStream s;
    WriteRow(*f.Memo, s, 0, "A");
    master->ValueChanged = true; // a new group starts: the same text is a new cell
    WriteRow(*f.Memo, s, 20, "A");
    master->ValueChanged = false;
    WriteRow(*f.Memo, s, 40, "A");
    auto records = Records(s);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].Top, 20);
    EXPECT_EQ(records[1].Height, 40);

    // Another page stream: the previous cell is not reachable, a new one starts.
    TVNStream next;
    WriteRow(*f.Memo, next, 0, "A");
    EXPECT_EQ(Records(next).size(), 1u);
    EXPECT_EQ(Records(s).size(), 2u);
}

TEST(MemoWrite, InvisibleWritesNothing) {
    TMemoFixture f(0, 0, 100, 20);
    f.Memo->Visible = false;
    TVNStream s;
    WriteRow(*f.Memo, s, 0, "A");
    EXPECT_EQ(s.Size(), 0u);
}

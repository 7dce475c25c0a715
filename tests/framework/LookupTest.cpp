// The look-up lists on real widgets (offscreen) against the demo database: searching by code level
// by level and by name, drilling down, the single-leaf shortcut, the keys of the list, quoting of
// typed text, and the document number look-up of the stocktake sheet.
#include "FrameworkFixture.h"

#include "framework/UnitOrvaneClass.h"
#include "platform/MessageService.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

using namespace fwtest;

namespace {

class Lookups : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "framework_tests";
        static char* argv[] = {name, nullptr};
        if (QApplication::instance() == nullptr) new QApplication(argc, argv);
    }

    void SetUp() override {
        FForm.resize(500, 400);
        FEdit = new QLineEdit(&FForm);
        FEdit->setGeometry(10, 10, 120, 22);
        FNext = new QPushButton("OK", &FForm);
        FNext->setGeometry(200, 10, 60, 22);
        FForm.show();
        FForm.activateWindow();
        FEdit->setFocus();
        QApplication::processEvents();
    }

    TLookupRequest Request(int mode, const char* typed, const char* extra = "") {
        TLookupRequest r;
        r.Mode = mode;
        r.Parent = &FForm;
        r.Extra = A(extra);
        r.FocusNext = FNext;
        r.Edit = FEdit;
        r.Text = A(typed);
        r.Result = &FResult;
        r.Top = 34;
        r.Left = 10;
        return r;
    }

    static void Press(QWidget* w, int key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(w, &press);
        QApplication::processEvents();
    }

    static std::vector<AnsiString> Codes(const TOrvaneClass& orvane) {
        std::vector<AnsiString> codes;
        for (int i = 0; i < orvane.LookupList()->RowCount(); ++i)
            codes.push_back(orvane.LookupList()->Cell(i, 0));
        return codes;
    }

    TServerHolder FServer;
    TScriptedMessageService FMessages;
    TMessageServiceScope FScope{FMessages};
    QWidget FForm;
    QLineEdit* FEdit = nullptr;
    QPushButton* FNext = nullptr;
    TLookupRecord FResult;
};

} // namespace

TEST_F(Lookups, DepartmentByCodeListsTheSmallestLevelAndDrillsDownToALeaf) {
    TOrvaneClass orvane(FServer.Server, &FForm);
    FResult.Set("f_bmbm", "stale");
    orvane.DepartmentLookup(Request(0, "01"));
    ASSERT_TRUE(orvane.LookupListVisible());
    EXPECT_TRUE(FResult.Empty());
    EXPECT_EQ(Codes(orvane), std::vector<AnsiString>{"01"});
    EXPECT_EQ(orvane.CurrentLevel(), 1);
    EXPECT_EQ(orvane.LookupList()->Cell(0, 1), A("配送中心"));

    Press(orvane.LookupList(), Qt::Key_Return); // not a leaf: its children
    ASSERT_TRUE(orvane.LookupListVisible());
    EXPECT_EQ(Codes(orvane), (std::vector<AnsiString>{"0101", "0102"}));
    EXPECT_EQ(orvane.CurrentLevel(), 2);
    EXPECT_TRUE(FResult.Empty());

    orvane.LookupList()->SelectRow(1);
    Press(orvane.LookupList(), Qt::Key_Return);
    EXPECT_FALSE(orvane.LookupListVisible());
    EXPECT_EQ(orvane.CurrentLevel(), 0);
    EXPECT_EQ(FResult.Text("f_bmbm"), "0102");
    EXPECT_EQ(FResult.Text("f_bmmc"), A("城西配送中心"));
    EXPECT_EQ(FResult.Text("f_bmlx"), "00");
    EXPECT_EQ(FResult.Get("f_pszq").AsInteger(), 7);
    EXPECT_EQ(QApplication::focusWidget(), FNext);
    EXPECT_TRUE(FMessages.Shown().empty());
}

TEST_F(Lookups, DepartmentSearchOutcomes) {
    struct TCase {
        const char* Name;
        int Mode;
        const char* Typed;
        const char* Extra;
        std::vector<const char*> Listed; // empty: no list
        const char* Taken;               // code taken without a list, or nullptr
        const char* Message;             // message shown, or nullptr
    };
    const TCase cases[] = {
        {"single leaf taken at once", 0, "0203", "", {}, "0203", nullptr},
        {"no match", 0, "99", "", {}, nullptr, nullptr},
        {"by name anywhere in the name",
         1,
         "柜组",
         "",
         {"020101", "020102", "020103", "020201", "020202"},
         nullptr,
         nullptr},
        {"by name within the mode's types", 3, "柜组", "", {}, nullptr, nullptr},
        {"extra type replaces the clause", 0, "02", "12", {"020104", "020203"}, nullptr, nullptr},
        {"mode beyond the table", 22, "01", "", {}, nullptr, "没有可利用的部门类型！"},
        {"quote in the typed name", 1, "O'Neil", "", {}, nullptr, nullptr},
    };
    for (const TCase& c : cases) {
        FMessages.Clear();
        FServer->QueryResults.clear();
        FResult.Clear();
        TOrvaneClass orvane(FServer.Server, &FForm);
        orvane.DepartmentLookup(Request(c.Mode, c.Typed, c.Extra));
        EXPECT_EQ(orvane.LookupListVisible(), !c.Listed.empty()) << c.Name;
        if (!c.Listed.empty()) {
            std::vector<AnsiString> want(c.Listed.begin(), c.Listed.end());
            std::sort(want.begin(), want.end());
            std::vector<AnsiString> got = Codes(orvane);
            std::sort(got.begin(), got.end());
            EXPECT_EQ(got, want) << c.Name;
        }
        EXPECT_EQ(FResult.Text("f_bmbm"), c.Taken ? AnsiString(c.Taken) : AnsiString()) << c.Name;
        ASSERT_EQ(FMessages.Shown().size(), c.Message ? 1u : 0u) << c.Name;
        if (c.Message) {
            EXPECT_EQ(FMessages.Shown()[0].Text, A(c.Message));
            EXPECT_EQ(FMessages.Shown()[0].Icon, TMsgIcon::Error);
        }
        for (bool ok : FServer->QueryResults)
            EXPECT_TRUE(ok) << c.Name << ": a SELECT failed: " << FServer->Queries.back();
    }
    EXPECT_NE(FServer->Queries.back().find("O''Neil"), AnsiString::npos);
}

TEST_F(Lookups, EscSpaceAndLeavingTheList) {
    TOrvaneClass orvane(FServer.Server, &FForm);
    orvane.DepartmentLookup(Request(0, "01"));
    ASSERT_TRUE(orvane.LookupListVisible());
    Press(orvane.LookupList(), Qt::Key_Escape);
    EXPECT_FALSE(orvane.LookupListVisible());
    EXPECT_TRUE(FResult.Empty());
    EXPECT_EQ(QApplication::focusWidget(), FEdit);

    // Space is an ordinary key unless the caller allows choosing any level with it.
    orvane.DepartmentLookup(Request(0, "01"));
    Press(orvane.LookupList(), Qt::Key_Space);
    EXPECT_TRUE(orvane.LookupListVisible());
    EXPECT_TRUE(FResult.Empty());
    orvane.ChooseAnyLevelWithSpace = true;
    Press(orvane.LookupList(), Qt::Key_Space);
    EXPECT_FALSE(orvane.LookupListVisible());
    EXPECT_EQ(FResult.Text("f_bmbm"), "01");

    // A level limit takes a record on that level as final.
    FResult.Clear();
    orvane.ChooseAnyLevelWithSpace = false;
    orvane.LevelLimit = 1;
    orvane.DepartmentLookup(Request(0, "02"));
    Press(orvane.LookupList(), Qt::Key_Return);
    EXPECT_EQ(FResult.Text("f_bmbm"), "02");

    // Leaving the list hides it and ends the drill-down.
    orvane.LevelLimit = 0;
    orvane.DepartmentLookup(Request(0, "02"));
    Press(orvane.LookupList(), Qt::Key_Return);
    ASSERT_EQ(orvane.CurrentLevel(), 2);
    FNext->setFocus();
    QApplication::processEvents();
    EXPECT_FALSE(orvane.LookupListVisible());
    EXPECT_EQ(orvane.CurrentLevel(), 0);
}

TEST_F(Lookups, MissingCurrentYearMonthStopsTheLookUp) {
    FServer->Override = [](std::int32_t id, const std::vector<TDispArg>& args) -> std::optional<Value> {
        if (id != CoorDispId::OpenQuery || args[0].Get().AsString().find("dqny") == AnsiString::npos)
            return std::nullopt;
        auto empty = std::make_shared<TMemDataSet>();
        empty->AddField("f_Csz", TFieldType::String, 20);
        empty->Open();
        args[1].Ref() = Value::RecordSet(empty);
        return Value::Boolean(true);
    };
    TOrvaneClass orvane(FServer.Server, &FForm);
    orvane.DepartmentLookup(Request(0, "01"));
    EXPECT_FALSE(orvane.LookupList() && orvane.LookupListVisible());
    ASSERT_EQ(FMessages.Shown().size(), 1u);
    EXPECT_EQ(FMessages.Shown()[0].Text, A("没有可利用的系统当前年月！"));
    EXPECT_EQ(FMessages.Shown()[0].Caption, A("错误"));
}

TEST_F(Lookups, OtherKindsListTheirRecords) {
    struct TCase {
        const char* Kind;
        int Mode;
        const char* Typed;
        bool Listed;
        const char* TakenField; // a field the result record must hold when taken at once
    };
    const TCase cases[] = {
        {"manufacturer", 4, "商贸", true, nullptr},   // suppliers by name
        {"manufacturer", 7, "批发", false, "f_csmc"}, // the one wholesale customer
        {"manufacturer", 1, "zzzz", false, nullptr},  {"goods", 1, "装", true, nullptr},
        {"Multgoods", 1, "装", true, nullptr},        {"storage", 1, "", true, nullptr},
    };
    for (const TCase& c : cases) {
        FMessages.Clear();
        FServer->QueryResults.clear();
        FResult.Clear();
        TOrvaneClass orvane(FServer.Server, &FForm);
        orvane.Lookup(c.Kind, Request(c.Mode, c.Typed));
        EXPECT_EQ(orvane.LookupListVisible(), c.Listed) << c.Kind << " " << c.Mode;
        if (c.TakenField) {
            EXPECT_EQ(FResult.Text(c.TakenField), A("红星批发部")) << c.Kind;
        }
        for (bool ok : FServer->QueryResults)
            EXPECT_TRUE(ok) << c.Kind << ": a SELECT failed: " << FServer->Queries.back();
        EXPECT_TRUE(FMessages.Shown().empty()) << c.Kind;
    }
    TOrvaneClass orvane(FServer.Server, &FForm);
    orvane.Lookup("goods", Request(9, "1"));
    ASSERT_EQ(FMessages.Shown().size(), 1u);
    EXPECT_EQ(FMessages.Shown()[0].Text, A("没有可利用的商品联想方式！"));
}

TEST_F(Lookups, DocumentNumbers) {
    TOrvaneClass orvane(FServer.Server, &FForm);
    orvane.PdDjhLookup("", "", "0201", "", FEdit, FNext);
    ASSERT_TRUE(orvane.LookupListVisible());
    ASSERT_EQ(orvane.LookupList()->RowCount(), 4);
    const AnsiString first = orvane.LookupList()->Cell(0, 0);
    // Under the edit at its left, down to the window's bottom, moved up to end inside its client area.
    EXPECT_EQ(orvane.LookupList()->x(), 10);
    EXPECT_LE(orvane.LookupList()->y(), 32);
    EXPECT_EQ(orvane.LookupList()->geometry().bottom() + 1, FForm.height());
    Press(orvane.LookupList(), Qt::Key_Return);
    EXPECT_FALSE(orvane.LookupListVisible());
    EXPECT_EQ(orvane.PdDjhResult(), first);
    EXPECT_EQ(QApplication::focusWidget(), FNext);

    orvane.PdDjhLookup(first, "", "0201", "", FEdit, FNext); // one match: taken at once
    EXPECT_FALSE(orvane.LookupListVisible());
    EXPECT_EQ(orvane.PdDjhResult(), first);

    FServer->QueryResults.clear();
    orvane.PdDjhLookup("", "O'Neil", "0201", "", FEdit, FNext);
    EXPECT_EQ(orvane.PdDjhResult(), "");
    ASSERT_EQ(FServer->QueryResults.size(), 1u);
    EXPECT_TRUE(FServer->QueryResults[0]);

    orvane.PdDjhLookup("", "", "0201", "", FEdit, FNext);
    Press(orvane.LookupList(), Qt::Key_Escape);
    EXPECT_EQ(orvane.PdDjhResult(), "");
    EXPECT_EQ(QApplication::focusWidget(), FEdit);
}

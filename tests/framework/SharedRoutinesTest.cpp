// The shared free routines: text pieces (CP936-aware), integer texts, zero padding, the server
// error display, quoting for SELECT texts and the one-value settings access.
#include "FrameworkFixture.h"

#include "framework/SharedRoutines.h"
#include "platform/MessageService.h"

#include <QApplication>
#include <QWidget>

#include <cstdlib>
#include <fstream>

using namespace fwtest;

TEST(SharedRoutines, CountOfAndFieldOf) {
    // In CP936 a "|" (7C) can be the second byte of a character: "亅" is 81 7C.
    const AnsiString hidden = A("亅");
    ASSERT_EQ(static_cast<unsigned char>(hidden[1]), 0x7C);

    struct TCount {
        AnsiString Text, Sep;
        int Count;
    };
    const TCount counts[] = {
        {"", ",", 0},    {"a", ",", 1}, {"a,b", ",", 2}, {",,", ",", 3}, {"a" + hidden + "b", "|", 1},
        {"a|b", "|", 2},
    };
    for (const TCount& c : counts)
        EXPECT_EQ(CountOf(c.Text, c.Sep), c.Count) << c.Text;

    struct TField {
        AnsiString Text, Sep;
        int N;
        AnsiString Field;
    };
    const TField fields[] = {
        {"a,b,c", ",", 1, "a"},
        {"a,b,c", ",", 2, "b"},
        {"a,b,c", ",", 3, "c"},
        {"a,b,c", ",", 4, ""},
        {"abc", ",", 1, ""},
        {"a,", ",", 1, "a"},
        {"a,", ",", 2, ""},
        {",b", ",", 1, ""},
        {"1,85", ",", 2, "85"},
        {"a,b", ",", 0, ""},
        {A("甲|乙"), "|", 2, A("乙")},
        {"x" + hidden + "|y", "|", 1, "x" + hidden},
    };
    for (const TField& f : fields)
        EXPECT_EQ(FieldOf(f.Text, f.Sep, f.N), f.Field) << f.Text << " #" << f.N;
}

TEST(SharedRoutines, IntegerTextsAndZeroPad) {
    struct TInt {
        const char* Text;
        std::optional<std::int64_t> Value;
    };
    const TInt ints[] = {
        {"42", 42},
        {" -7 ", -7},
        {"+3", 3},
        {"$1F", 31},
        {"0x10", 16},
        {"", std::nullopt},
        {"  ", std::nullopt},
        {"1.5", std::nullopt},
        {"12a", std::nullopt},
        {"-", std::nullopt},
        {"$", std::nullopt},
        {"9223372036854775807", INT64_MAX},
        {"-9223372036854775808", INT64_MIN},
        {"9223372036854775808", std::nullopt},
    };
    for (const TInt& c : ints) {
        EXPECT_EQ(TextToInt64(c.Text), c.Value) << c.Text;
        EXPECT_EQ(IsIntegerText(c.Text), c.Value.has_value()) << c.Text;
    }
    EXPECT_THROW(TextToInt32("3000000000"), EConvertError);

    struct TPad {
        int Width;
        bool Truncate;
        std::int64_t Value;
        const char* Text;
    };
    const TPad pads[] = {
        {3, true, 0, "000"},     {0, true, 0, ""},           {0, false, 0, "0"},    {5, true, 42, "00042"},
        {3, true, 12345, "345"}, {3, false, 12345, "12345"}, {4, true, -5, "-005"},
    };
    for (const TPad& p : pads)
        EXPECT_EQ(ZeroPad(p.Width, p.Truncate, p.Value), p.Text) << p.Width << " " << p.Value;
}

TEST(SharedRoutines, ShowServerErrorsJoinsTheListAndShowsItWithAnOwner) {
    static int argc = 1;
    static char name[] = "framework_tests";
    static char* argv[] = {name, nullptr};
    if (QApplication::instance() == nullptr) new QApplication(argc, argv);

    struct TCase {
        const char* Name;
        Value Errors;
        AnsiString Prefix;
        AnsiString Text;
    };
    const TCase cases[] = {
        {"two messages", Value::Array({Value::String("A"), Value::String("B")}), "", "A\r\nB"},
        {"with prefix", Value::Array({Value::String("A")}), "P", "P\r\nA"},
        {"plain text", Value::String("A"), "", A("未知错误！")},
        {"plain text with prefix", Value::String("A"), "P", "P\r\n" + A("未知错误！")},
        {"empty list", Value::Array({}), "", A("未知错误！")},
    };
    for (const TCase& c : cases) {
        TScriptedMessageService messages;
        TMessageServiceScope scope(messages);
        EXPECT_EQ(ShowServerErrors(nullptr, c.Errors, c.Prefix), c.Text) << c.Name;
        EXPECT_TRUE(messages.Shown().empty()) << c.Name;
        QWidget owner;
        EXPECT_EQ(ShowServerErrors(&owner, c.Errors, c.Prefix), c.Text) << c.Name;
        ASSERT_EQ(messages.Shown().size(), 1u) << c.Name;
        EXPECT_EQ(messages.Shown()[0].Text, c.Text);
        EXPECT_EQ(messages.Shown()[0].Caption, A("错误"));
        EXPECT_EQ(messages.Shown()[0].Icon, TMsgIcon::Error);
    }
}

TEST(SharedRoutines, VariantToRecordsetAndQuotedSql) {
    auto rs = std::make_shared<TMemDataSet>();
    EXPECT_EQ(VariantToRecordset(Value::RecordSet(rs)), rs);
    EXPECT_THROW(VariantToRecordset(Value::String("x")), EConvertError);
    EXPECT_EQ(QuotedSql("O'Neil"), "O''Neil");
    EXPECT_EQ(QuotedSql("''"), "''''");
    EXPECT_EQ(QuotedSql(A("盘点")), A("盘点"));
    EXPECT_EQ(IfThenText(true, "a", "b"), "a");
    EXPECT_EQ(IfThenText(false, "a", "b"), "b");
}

TEST(SharedRoutines, IniValuesLieInTheProgramFolderOrTheGivenOne) {
    const std::filesystem::path config = ScratchFolder() / "config";
    const char* old = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = old ? old : "";
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);

    WriteIniValue("Trevalmpos.ini", "Gusvak", "f_Spbm", "", "1,85");
    EXPECT_TRUE(std::filesystem::exists(config / "gusvak" / "Trevalmpos.ini"));
    EXPECT_EQ(ReadIniValue("Trevalmpos.ini", "Gusvak", "f_Spbm", "\\", "1,0"), "1,85");
    EXPECT_EQ(ReadIniValue("Trevalmpos.ini", "Gusvak", "f_Spmc", "", "1,0"), "1,0");

    const std::filesystem::path other = ScratchFolder() / "other";
    std::filesystem::create_directories(other);
    const AnsiString folder = other.string() + "/";
    WriteIniValue("a.ini", A("节"), A("键"), folder, A("值"));
    EXPECT_EQ(ReadIniValue("a.ini", A("节"), A("键"), folder, ""), A("值"));
    EXPECT_EQ(ReadIniValue("a.ini", A("节"), A("键"), "", "none"), "none");

    if (old)
        setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}

// Bad text forms: every problem names its line and property path, and nothing is made from them.
#include "report/VNJsonReport.h"

#include <gtest/gtest.h>

namespace {

// A valid report; each case replaces one marked value.
std::string Report(const std::string& memoExtra, const std::string& bandType = "\"bkMasterData\"") {
    return "{\n"                                           // 1
           "  \"format\": \"Valnor Report File\",\n"       // 2
           "  \"pages\": [\n"                              // 3
           "    {\n"                                       // 4
           "      \"views\": [\n"                          // 5
           "        {\"Kind\": \"Band\", \"BandType\": " + // 6
           bandType +
           ", \"Name\": \"Data\"},\n"
           "        {\n"                          // 7
           "          \"Kind\": \"Memo\",\n"      // 8
           "          \"Name\": \"Memo1\",\n"     // 9
           "          \"Font\": {\"Size\": 9}" + // 10
           memoExtra +
           "\n"
           "        }\n" // 11
           "      ]\n"   // 12
           "    }\n"     // 13
           "  ]\n"       // 14
           "}\n";
}

struct TBadCase {
    const char* Name;
    std::string Text;
    int Line;
    std::string Path;
    std::string Message; // a part of it
};

} // namespace

TEST(JsonErrors, NameLineAndPropertyPath) {
    const TBadCase cases[] = {
        {"syntax", Report(",\n          \"Top\": 1,}"), 11, "", "syntax error"},
        {"duplicate key", Report(",\n          \"Font\": {\"Size\": 10}"), 11, "pages[0].views[1].Font", "given twice"},
        {"wrong type nested", "{\"format\": \"Valnor Report File\", \"pages\": [{\"views\": [\n{\"Kind\": \"Memo\",\n\"Font\": {\"Size\": \"big\"}}]}]}", 3,
         "pages[0].views[0].Font.Size", "expected a number"},
        {"unknown property", Report(",\n          \"Colour\": 1"), 11, "pages[0].views[1].Colour", "unknown property"},
        {"unknown nested property", "{\"format\": \"Valnor Report File\", \"pages\": [{\"views\": [\n{\"Kind\": \"Memo\",\n\"Font\": {\"Weight\": 1}}]}]}", 3,
         "pages[0].views[0].Font.Weight", "unknown property"},
        {"unknown view kind", "{\"format\": \"Valnor Report File\",\n\"pages\": [{\"views\": [{\"Kind\": \"Chart\"}]}]}", 2,
         "pages[0].views[0].Kind", "unknown view kind \"Chart\""},
        {"band type out of range", Report("", "23"), 6, "pages[0].views[0].BandType", "out of range (0 to 22)"},
        {"unknown band type", Report("", "\"bkFooter\""), 6, "pages[0].views[0].BandType", "unknown value \"bkFooter\""},
        {"huge number", Report(",\n          \"Left\": 99999999999999999999999"), 11, "pages[0].views[1].Left",
         "out of range"},
        {"number beyond the field", Report(",\n          \"Flags\": 65536"), 11, "pages[0].views[1].Flags",
         "out of range (0 to 65535)"},
        {"fraction for a whole number", Report(",\n          \"Top\": 1.5"), 11, "pages[0].views[1].Top", "whole number"},
        {"missing kind", "{\"format\": \"Valnor Report File\", \"pages\": [{\"views\": [\n{\"Name\": \"x\"}]}]}", 2,
         "pages[0].views[0]", "missing \"Kind\""},
        {"unknown top-level key", "{\"format\": \"Valnor Report File\",\n\"page\": []}", 2, "page", "unknown property"},
        {"wrong format", "{\"format\": \"XML\"}", 1, "format", "expected \"Valnor Report File\""},
        {"colour", Report(",\n          \"FillColor\": \"#12345\""), 11, "pages[0].views[1].FillColor", "unknown colour"},
        {"text outside CP936", Report(",\n          \"Memo\": [\"ok\", \"\\ud83d\\ude00\"]"), 11,
         "pages[0].views[1].Memo[1]", "outside code page 936"},
        {"lines not an array", Report(",\n          \"Memo\": \"one\""), 11, "pages[0].views[1].Memo", "array of lines"},
        {"dictionary pair", "{\"format\": \"Valnor Report File\",\n\"dictionary\": {\"Variables\": [[\"a\"]]}}", 2,
         "dictionary.Variables[0]", "[name, value] pair"},
    };
    for (const TBadCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TVNReport r;
        try {
            ReportFromJson(c.Text, r);
            ADD_FAILURE() << "no error for " << c.Name;
        } catch (const EVNJsonError& e) {
            EXPECT_EQ(e.Line, c.Line) << e.what();
            if (!c.Path.empty()) {
                EXPECT_EQ(e.Path, c.Path) << e.what();
            }
            EXPECT_NE(e.Message.find(c.Message), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find("line " + std::to_string(c.Line) + ": "), std::string::npos);
        }
    }
}

TEST(JsonErrors, OutputKindMustFitTheText) {
    const std::string dictionary = R"({"format": "Valnor Dictionary File", "dictionary": {"Variables": [["a", "1"]]}})";
    EXPECT_THROW(JsonToStoredBytes(dictionary, ".vnf"), EVNJsonError);
    EXPECT_NO_THROW(JsonToStoredBytes(dictionary, ".vnd"));
    EXPECT_THROW(JsonToStoredBytes(Report(""), ".vnd"), EVNJsonError);
    EXPECT_THROW(JsonToStoredBytes(Report(""), ".pdf"), EVNJsonError);
    EXPECT_NO_THROW(JsonToStoredBytes(Report(""), ".VNF"));
    // Only a template text has a template header.
    EXPECT_THROW(JsonToStoredBytes(R"({"format": "Valnor Report File", "template": {}})", ".vnt"), EVNJsonError);
}

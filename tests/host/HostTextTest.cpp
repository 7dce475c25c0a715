// The backslash escaping shared by the COPY loader and the call command's tab-separated output:
// only the four characters that would break a row or column change, everything else (including
// multi-byte text) passes through, and the result is appended.
#include "host/HostText.h"

#include <gtest/gtest.h>

TEST(HostText, BackslashEscapingChangesOnlyTheSeparatorsAndTheEscape) {
    const struct {
        std::string Text;
        std::string Expected;
    } cases[] = {
        {"", ""},
        {"plain 123", "plain 123"},
        {"a\tb", "a\\tb"},
        {"line1\r\nline2", "line1\\r\\nline2"},
        {"C:\\dir\\", "C:\\\\dir\\\\"},
        {"\\N", "\\\\N"}, // a literal \N must not read back as null
        {"盘点\t损益", "盘点\\t损益"},
    };
    for (const auto& c : cases) {
        std::string out = ">";
        AppendBackslashEscaped(out, c.Text);
        EXPECT_EQ(out, ">" + c.Expected) << c.Text;
    }
}

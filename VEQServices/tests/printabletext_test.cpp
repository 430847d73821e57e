// Outside text made safe for a log line: nothing in it can start a new line.
#include <gtest/gtest.h>

#include "PrintableText.h"

namespace {

TEST(PrintableText, ControlCharactersAreWrittenAsEscapes) {
    const struct {
        wxString text;
        wxString printable;
    } rows[] = {
        {"Invoice 2024", "Invoice 2024"},
        {"", ""},
        {"a\nb", "a\\nb"},
        {"a\r\nb\tc", "a\\r\\nb\\tc"},
        {wxString("x\0y", 3), "x\\x00y"},
        {"\x1b[2Jclear", "\\x1B[2Jclear"},
        {"del\x7f", "del\\x7F"},
        {wxString::FromUTF8("line\xe2\x80\xa8sep"), "line\\x2028sep"},
        {wxString::FromUTF8("\xc3\xa9t\xc3\xa9 \xe6\x97\xa5\xe6\x9c\xac"), wxString::FromUTF8("\xc3\xa9t\xc3\xa9 \xe6\x97\xa5\xe6\x9c\xac")},
        {"back\\slash", "back\\slash"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(PrintableText(row.text), row.printable) << row.printable;
    }
}

// What a controller's job name could do to the service's log without it.
TEST(PrintableText, AFakedLogLineStaysOnItsLine) {
    const wxString name = "Scan\n12-11-2026 07:00:00 <Error> Fake::line::1 Deleted everything";
    EXPECT_EQ(PrintableText(name).Find('\n'), wxNOT_FOUND);
}

}  // namespace

// The command line of VEQPluginApp, as a table of command lines and what they give.
#include <gtest/gtest.h>

#include "CommandLineArguments.h"

namespace {

struct Expected {
    const char* ip = "";
    veq::types::FileFormat format = veq::types::tiff;
    const char* savePath = "";
    bool supressError = false;
    const char* language = "";
    wxPoint pos = wxDefaultPosition;
};

struct ArgumentsCase {
    const char* name;
    std::vector<const char*> arguments;  // after the program path
    Expected expected;
};

Expected With(std::function<void(Expected&)> change) {
    Expected expected;
    change(expected);
    return expected;
}

TEST(CommandLineArguments, TableOfCommandLines) {
    const ArgumentsCase cases[] = {
        {"defaults", {}, Expected()},
        {"all options",
         {"ip=127.0.0.1", "format=pdf", "savepath=/tmp/out", "supresserror=1", "lang=de_DE", "pos=100,200"},
         With([](Expected& e) {
             e.ip = "127.0.0.1";
             e.format = veq::types::pdf;
             e.savePath = "/tmp/out";
             e.supressError = true;
             e.language = "de_DE";
             e.pos = wxPoint(100, 200);
         })},
        {"ip trimmed", {"ip= 10.0.0.5 "}, With([](Expected& e) { e.ip = "10.0.0.5"; })},
        {"key in any case", {"IP=10.0.0.5", "SavePath=/a"}, With([](Expected& e) {
             e.ip = "10.0.0.5";
             e.savePath = "/a";
         })},
        {"value keeps its text after the first =", {"savepath=/a=b", "lang= fr_FR"}, With([](Expected& e) {
             e.savePath = "/a=b";
             e.language = " fr_FR";
         })},
        {"format in upper case", {"format=JPEG"}, With([](Expected& e) { e.format = veq::types::jpeg; })},
        {"format with blanks", {"format= Pdf "}, With([](Expected& e) { e.format = veq::types::pdf; })},
        {"unknown format is tiff", {"format=png"}, Expected()},
        {"empty format is tiff", {"format="}, Expected()},
        // Keys sort case-sensitively: "IP" comes before "ip" and wins.
        {"first key in order wins", {"ip=10.0.0.2", "IP=10.0.0.1"}, With([](Expected& e) { e.ip = "10.0.0.1"; })},
        {"a repeated key takes the later value", {"ip=10.0.0.1", "ip=10.0.0.2"},
         With([](Expected& e) { e.ip = "10.0.0.2"; })},
        {"supresserror zero", {"supresserror=0"}, Expected()},
        {"supresserror any non-zero number", {"supresserror=-3"}, With([](Expected& e) { e.supressError = true; })},
        {"supresserror not a number", {"supresserror=yes"}, Expected()},
        {"supresserror: the last number in key order", {"SUPRESSERROR=1", "supresserror=0"}, Expected()},
        {"supresserror: a word does not undo a number", {"SUPRESSERROR=1", "supresserror=no"},
         With([](Expected& e) { e.supressError = true; })},
        {"pos without a comma", {"pos=100"}, Expected()},
        {"pos with a negative x", {"pos=-5,200"}, With([](Expected& e) { e.pos = wxPoint(-1, 200); })},
        {"pos with an empty part", {"pos=100,"}, Expected()},
        {"pos with trailing blanks", {"pos=100,200  "}, With([](Expected& e) { e.pos = wxPoint(100, 200); })},
        {"pos with leading blanks", {"pos= 100, 200"}, With([](Expected& e) { e.pos = wxPoint(100, 200); })},
        {"pos with junk in y", {"pos=100,2x"}, With([](Expected& e) { e.pos = wxPoint(100, -1); })},
        {"pos too large", {"pos=99999999999,5"}, With([](Expected& e) { e.pos = wxPoint(-1, 5); })},
        {"element without =", {"ip"}, Expected()},
    };
    for (const ArgumentsCase& c : cases) {
        SCOPED_TRACE(c.name);
        wxArrayString arguments;
        arguments.Add("/opt/veq/VEQPluginApp");
        for (const char* argument : c.arguments) {
            arguments.Add(wxString::FromUTF8(argument));
        }
        const CommandLineArguments parsed(arguments, MakeFormatTable());
        EXPECT_EQ(parsed.GetIP(), wxString::FromUTF8(c.expected.ip));
        EXPECT_EQ(parsed.GetFileFormat(), c.expected.format);
        EXPECT_EQ(parsed.GetSavePath(), wxString::FromUTF8(c.expected.savePath));
        EXPECT_EQ(parsed.ShouldSupressError(), c.expected.supressError);
        EXPECT_EQ(parsed.GetLanguageCode(), wxString::FromUTF8(c.expected.language));
        EXPECT_EQ(parsed.GetWindowLeftTopPoint(), c.expected.pos);
    }
}

TEST(CommandLineArguments, TheFormatTableNamesTheExtensions) {
    const FormatTable table = MakeFormatTable();
    ASSERT_EQ(table.size(), 3u);
    EXPECT_EQ(table[0], std::make_pair(veq::types::jpeg, wxString("jpeg")));
    EXPECT_EQ(table[1], std::make_pair(veq::types::tiff, wxString("tiff")));
    EXPECT_EQ(table[2], std::make_pair(veq::types::pdf, wxString("pdf")));
}

}  // namespace

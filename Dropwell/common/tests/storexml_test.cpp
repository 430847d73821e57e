// The check that every reader of the store folder's XML files makes before
// the toolkit builds a tree: element depth as the parser would count it, past
// comments, sections, instructions and quoted values; overlong tokens; and
// what the scan cannot follow (other encodings, document types).
#include <gtest/gtest.h>

#include <string>

#include <wx/xml/xml.h>

#include "StoreTestSupport.h"
#include "StoreXml.h"

namespace {

using DROPWELL::kMaxStoreXmlDepth;
using DROPWELL::kMaxStoreXmlToken;
using storetest::Repeated;

// depth elements, each opened by open and closed by "</a>".
std::string Nested(int depth, const std::string& open = "<a>") {
    return Repeated(open, depth) + Repeated("</a>", depth);
}

// UTF-16 little-endian with its byte-order mark, for ASCII text.
std::string Utf16(const std::string& ascii) {
    std::string bytes = "\xFF\xFE";
    for (char c : ascii) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

TEST(StoreXml, RefusesWhatWouldHurtTheParserAndPassesTheRest) {
    const int limit = kMaxStoreXmlDepth;
    const std::string mappingFile =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Dropwell>\n  <Zelto NameIP=\"h\" DisplayName=\"a &amp; b\" "
        "Status=\"1\">\n    <MappedFolder Mailbox=\"m\" MailboxName=\"M\" PwdFileName=\"/p.dwp\" "
        "Folder=\"/f\" Status=\"1\"/>\n  </Zelto>\n</Dropwell>\n";
    struct Case {
        const char* what;
        std::string text;
        bool refused;
    } cases[] = {
        {"a mapping file", mappingFile, false},
        {"with a byte-order mark", "\xEF\xBB\xBF" + mappingFile, false},
        {"encoding named in small letters", "<?xml version='1.0' encoding = 'utf-8'?><a/>", false},
        {"no declaration", "<a/>", false},
        {"at the depth limit", Nested(limit), false},
        {"one past the limit", Nested(limit + 1), true},
        {"past the limit, never closed", Repeated("<a>", limit + 1), true},
        {"an empty element one past the limit", Repeated("<a>", limit) + "<b/>", true},
        {"an empty element at the limit", Repeated("<a>", limit - 1) + "<b/>" + Repeated("</a>", limit - 1), false},
        {"closed elements side by side", Repeated("<a><b/></a>", 1000), false},
        {"200,000 deep", Nested(200000), true},
        {"tags in a comment", "<r><!--" + Repeated("<a>", 100) + "--></r>", false},
        {"a comment does not end at \">\"", "<r><!-- > " + Repeated("<a>", limit) + "--></r>", false},
        {"tags in a CDATA section", "<r><![CDATA[" + Repeated("<a>", 100) + "]]></r>", false},
        {"tags in a processing instruction", "<r><?pi " + Repeated("<a>", 100) + "?></r>", false},
        {"\">\" and \"/>\" in quoted values", Repeated("<a x=\"/>\" y='>'>", limit + 1), true},
        {"a quote of one kind in a value of the other", Repeated("<a x='\"' y=\"'\">", limit + 1), true},
        {"tags after a value holding the other quote", "<a x='\"'>" + Nested(limit), true},
        {"end tags lower the depth", "<r>" + Repeated(Nested(limit - 1), 3) + "</r>", false},
        {"another declared encoding", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>" + Nested(1), true},
        {"an encoding declared oddly", "<?xml version=\"1.0\" encoding=UTF-8?><a/>", true},
        {"deep in UTF-16", Utf16(Nested(limit + 1)), true},
        {"a NUL byte", std::string("<a>\0</a>", 8), true},
        {"a document type", "<!DOCTYPE a [<!ENTITY e \"<b><b></b></b>\">]><a>&e;</a>", true},
        {"a tag at the length limit",
         "<a x=\"" + std::string(kMaxStoreXmlToken - 9, 'x') + "\"/>", false},
        {"a tag one byte longer", "<a x=\"" + std::string(kMaxStoreXmlToken - 8, 'x') + "\"/>", true},
        {"a long text run", "<a>" + std::string(kMaxStoreXmlToken + 1, 't') + "</a>", true},
        {"a long comment", "<a><!--" + std::string(kMaxStoreXmlToken, 'c') + "--></a>", true},
        {"a long comment never closed", "<a><!--" + std::string(kMaxStoreXmlToken, 'c'), true},
        {"many short tags past the size limit", "<r>" + Repeated("<a x=\"12345678\"/>", 150000) + "</r>", true},
    };
    for (const Case& c : cases) {
        const char* refusal = DROPWELL::StoreXmlRefusal(c.text);
        EXPECT_EQ(refusal != nullptr, c.refused) << c.what << ": " << (refusal ? refusal : "passed");
    }
}

TEST(StoreXml, ParsingTellsRefusedFromMalformed) {
    struct Case {
        const char* what;
        std::string text;
        DROPWELL::StoreXmlResult result;
    } cases[] = {
        {"sound", "<Dropwell><Zelto/></Dropwell>", DROPWELL::StoreXmlResult::Loaded},
        {"too deep", Nested(kMaxStoreXmlDepth + 1), DROPWELL::StoreXmlResult::Refused},
        {"cut short", "<Dropwell><Zelto", DROPWELL::StoreXmlResult::Malformed},
        {"empty", "", DROPWELL::StoreXmlResult::Malformed},
    };
    for (const Case& c : cases) {
        wxXmlDocument document;
        std::string problem;
        EXPECT_EQ(DROPWELL::ParseStoreXml(c.text, document, problem), c.result) << c.what;
        EXPECT_EQ(document.IsOk(), c.result == DROPWELL::StoreXmlResult::Loaded) << c.what;
        EXPECT_EQ(problem.empty(), c.result == DROPWELL::StoreXmlResult::Loaded) << c.what << ": " << problem;
    }
}

}  // namespace

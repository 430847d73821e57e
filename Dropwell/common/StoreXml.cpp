#include "StoreXml.h"

#include <strings.h>

#include <cstring>

#include <wx/log.h>
#include <wx/mstream.h>
#include <wx/xml/xml.h>

#include "StoreFile.h"

namespace DROPWELL {

namespace {

const char kTooLarge[] = "larger than the store's XML files may be";
const char kTooDeep[] = "elements nested too deeply";
const char kTooLong[] = "a tag or text run too long";
const char kNotPlain[] = "not plain UTF-8 XML";

bool StartsWith(const std::string& text, size_t at, const char* prefix) {
    return text.compare(at, std::strlen(prefix), prefix) == 0;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The end of the construct at start that closes with terminator, or the end
// of the text when it never closes (the parser stops there too).
size_t EndOf(const std::string& text, size_t start, const char* terminator) {
    const size_t found = text.find(terminator, start);
    return found == std::string::npos ? text.size() : found + std::strlen(terminator);
}

// The end of the start tag at start ("<" included), past its ">"; quoted
// attribute values may hold ">". selfClosing tells whether it ends in "/>".
size_t EndOfStartTag(const std::string& text, size_t start, bool& selfClosing) {
    char quote = 0;
    char last = 0;
    for (size_t at = start + 1; at < text.size(); ++at) {
        const char c = text[at];
        if (quote != 0) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
            last = c;
        } else if (c == '>') {
            selfClosing = last == '/';
            return at + 1;
        } else if (!IsBlank(c)) {
            last = c;
        }
    }
    selfClosing = false;
    return text.size();
}

// Whether the XML declaration, if any, names no encoding but UTF-8. The parser
// would otherwise read the bytes in another encoding than this scan does.
bool DeclaresOnlyUtf8(const std::string& text, size_t start) {
    if (!StartsWith(text, start, "<?xml") || start + 5 >= text.size() || !IsBlank(text[start + 5])) return true;
    const std::string declaration = text.substr(start, EndOf(text, start, "?>") - start);
    size_t at = declaration.find("encoding");
    if (at == std::string::npos) return true;
    at += 8;
    while (at < declaration.size() && IsBlank(declaration[at])) ++at;
    if (at >= declaration.size() || declaration[at] != '=') return false;
    ++at;
    while (at < declaration.size() && IsBlank(declaration[at])) ++at;
    if (at >= declaration.size() || (declaration[at] != '"' && declaration[at] != '\'')) return false;
    const size_t close = declaration.find(declaration[at], at + 1);
    if (close == std::string::npos) return false;
    return ::strcasecmp(declaration.substr(at + 1, close - at - 1).c_str(), "UTF-8") == 0;
}

}  // namespace

const char* StoreXmlRefusal(const std::string& text) {
    if (text.size() > kMaxStoreXmlSize) return kTooLarge;
    if (text.find('\0') != std::string::npos) return kNotPlain;  // UTF-16 or UTF-32, or not text
    size_t at = StartsWith(text, 0, "\xEF\xBB\xBF") ? 3 : 0;
    if (!DeclaresOnlyUtf8(text, at)) return kNotPlain;
    int depth = 0;
    while (at < text.size()) {
        const size_t open = text.find('<', at);
        const size_t runEnd = open == std::string::npos ? text.size() : open;
        if (runEnd - at > kMaxStoreXmlToken) return kTooLong;
        if (open == std::string::npos) break;
        size_t end;
        if (StartsWith(text, open, "<!--")) {
            end = EndOf(text, open + 4, "-->");
        } else if (StartsWith(text, open, "<![CDATA[")) {
            end = EndOf(text, open + 9, "]]>");
        } else if (StartsWith(text, open, "<!")) {
            // A document type declaration can define entities that expand to
            // elements the scan cannot see; the store's files have none.
            return kNotPlain;
        } else if (StartsWith(text, open, "<?")) {
            end = EndOf(text, open + 2, "?>");
        } else if (StartsWith(text, open, "</")) {
            end = EndOf(text, open + 2, ">");
            if (depth > 0) --depth;
        } else {
            bool selfClosing = false;
            end = EndOfStartTag(text, open, selfClosing);
            if (depth + 1 > kMaxStoreXmlDepth) return kTooDeep;
            if (!selfClosing) ++depth;
        }
        if (end - open > kMaxStoreXmlToken) return kTooLong;
        at = end;
    }
    return nullptr;
}

StoreXmlResult ParseStoreXml(const std::string& text, wxXmlDocument& document, std::string& problem) {
    if (const char* refusal = StoreXmlRefusal(text)) {
        problem = refusal;
        return StoreXmlResult::Refused;
    }
    // The toolkit's reports would open message boxes in a program with windows.
    wxLogNull quiet;
    wxMemoryInputStream stream(text.data(), text.size());
    if (!document.Load(stream, "UTF-8")) {
        problem = "not well-formed XML";
        return StoreXmlResult::Malformed;
    }
    return StoreXmlResult::Loaded;
}

StoreXmlResult LoadStoreXml(const std::string& path, wxXmlDocument& document, std::string& problem) {
    std::string text;
    switch (ReadStoreFile(path, text, kMaxStoreXmlSize)) {
    case StoreReadResult::Missing:
        problem = "missing";
        return StoreXmlResult::Missing;
    case StoreReadResult::Failed:
        problem = "unreadable";
        return StoreXmlResult::Unreadable;
    case StoreReadResult::Read:
        break;
    }
    return ParseStoreXml(text, document, problem);
}

}  // namespace DROPWELL

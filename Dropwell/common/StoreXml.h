// The XML files of the store's shared folder (the mapping file, the service
// status file) as every reader loads them. Any local user can write that
// folder, so a file is checked before the toolkit builds a tree of it: the
// tree is freed recursively (a deeply nested file overflows the stack), and
// the parser slows down quadratically on one very long tag or text run.
#pragma once

#include <cstddef>
#include <string>

class wxXmlDocument;

namespace DROPWELL {

// Deepest element nesting accepted; the mapping file needs three levels.
constexpr int kMaxStoreXmlDepth = 16;
// Longest tag, comment, processing instruction, section or text run accepted:
// a mapping of two full-length paths, escaped, stays far below it.
constexpr size_t kMaxStoreXmlToken = 64u << 10;
// Largest file accepted; thousands of mappings stay below it.
constexpr size_t kMaxStoreXmlSize = 2u << 20;

// Why text is not handed to the parser, or nullptr when it may be: larger than
// kMaxStoreXmlSize, nested deeper than kMaxStoreXmlDepth, a token longer than
// kMaxStoreXmlToken, or not plain UTF-8 XML (a NUL byte, another declared
// encoding, a document type declaration). The scan follows comments, CDATA
// sections, processing instructions and quoted attribute values as the parser
// does; text the parser would stop at counts no further.
const char* StoreXmlRefusal(const std::string& text);

enum class StoreXmlResult { Loaded, Missing, Unreadable, Refused, Malformed };

// Parses text into document unless StoreXmlRefusal refuses it (problem then
// holds the reason) or it is not well-formed XML. The toolkit's own messages
// are silenced; nothing is logged here.
StoreXmlResult ParseStoreXml(const std::string& text, wxXmlDocument& document, std::string& problem);

// Reads the store file at path as ReadStoreFile does (no link followed; a
// file above kMaxStoreXmlSize is Unreadable) and parses it as ParseStoreXml.
StoreXmlResult LoadStoreXml(const std::string& path, wxXmlDocument& document, std::string& problem);

}  // namespace DROPWELL

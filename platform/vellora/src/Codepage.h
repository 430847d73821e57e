// Conversion of texts between the code pages the controller names: "SJIS"
// (CP932), "GBK" (CP936), "Big5" (CP950), "MacRoman", "Latin1", "UTF8" (with a
// byte-order mark when written) and "UTF8NOBOM", through iconv.
#pragma once

#include <string>

namespace vellora {

bool KnownEncoding(const std::string& name);
// Whether two names mean the same encoding name (letter case aside).
bool SameEncoding(const std::string& a, const std::string& b);

// Converts text; returns 0, LOCL_INVALID_ENCODING for an unknown name or
// LOCL_PARMERR for text that is not valid in its encoding or has no form in the
// target. A byte-order mark at the start of UTF-8 input is dropped.
int ConvertText(const std::string& from, const std::string& to, const std::string& text, std::string& out);

}  // namespace vellora

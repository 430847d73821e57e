// JSON from requests and files: a text nested beyond the reader's limit is
// answered as not JSON like any other bad text, never by an exception.
#pragma once

#include <string>

#include <json/json.h>

namespace zeltosim {

// Parses [begin, end) into root; false with the reason in errors.
bool ParseJson(const char* begin, const char* end, Json::Value& root, std::string& errors);

}  // namespace zeltosim

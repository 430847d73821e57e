// JSON text from files that anyone may have crafted: a text nested deeper than
// kMaxJsonNesting levels counts as unreadable, before any parser recurses
// into it and runs out of stack.
#pragma once

#include <string>

#include <json/json.h>

#include "VEQServicesExport.h"

// Far beyond what any file of the system holds.
constexpr int kMaxJsonNesting = 256;

// True when no array or object of text lies more than limit levels deep
// (brackets inside strings do not count). Says nothing of the rest of the syntax.
VEQSERVICES_API bool JsonNestingWithin(const std::string& text, int limit = kMaxJsonNesting);

// Parses text, comments allowed, into root. False, with the reason in errors,
// for a text that is not JSON or nests too deeply; never throws.
VEQSERVICES_API bool ParseJsonText(const std::string& text, Json::Value& root, std::string& errors);

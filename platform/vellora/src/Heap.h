// The library's heap: everything it hands out is allocated here and freed by
// vellora_free, freeStringList, SCAN_freeScanJobList or the *_freeInfo calls.
#pragma once

#include "vellora.h"

#include <optional>
#include <string>
#include <vector>

namespace vellora {

// A NUL-terminated copy on the library heap; nullptr when out of memory.
char* HeapText(const std::string& text);
// An array of copies (null entries stay null); nullptr when out of memory.
char** HeapTextList(const std::vector<std::optional<std::string>>& texts);
char** HeapTextList(const std::vector<std::string>& texts);
// Fills an attribute record with copies of parallel name and value lists.
bool FillAttributes(ScanAttributes& record, const std::vector<std::string>& names,
                    const std::vector<std::string>& values);
// Frees the texts and arrays of a record, leaving it empty.
void ClearAttributes(ScanAttributes& record);
// The names and values of a caller's record (null entries read as "").
void ReadAttributes(const ScanAttributes* record, std::vector<std::string>& names,
                    std::vector<std::string>& values);

}  // namespace vellora

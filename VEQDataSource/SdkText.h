// Conversions between the library's texts and the UTF-8 texts of the SDK and
// the settings file. Internal to the library.
#pragma once

#include <string>

#include <wx/string.h>

namespace sdktext {

inline std::string ToUTF8(const wxString& text) {
    const wxScopedCharBuffer buffer = text.utf8_str();
    return std::string(buffer.data(), buffer.length());
}

// A null text gives an empty string; bytes that are not UTF-8 give an empty string.
inline wxString FromUTF8(const char* text) {
    return text ? wxString::FromUTF8(text) : wxString();
}

}  // namespace sdktext

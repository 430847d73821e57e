// The body shared by the preference files: named text values kept in memory and
// mirrored in a flat JSON object in the configuration folder, and the typed
// conversions of the GetValue/SetValue accessors.
#pragma once

#include <exception>
#include <string>

#include <boost/lexical_cast.hpp>
#include <wx/hashmap.h>
#include <wx/string.h>

#include "VEQServicesExport.h"

// A stored value that does not convert to the type asked for.
class VEQSERVICES_API BadPreferenceTypeException : public std::exception {
public:
    explicit BadPreferenceTypeException(const char* message) : m_message(message) {}
    const char* what() const noexcept override { return m_message.c_str(); }

private:
    std::string m_message;
};

namespace veq {

// Keys match exactly; every value is text ("1", "0" for integers).
class VEQSERVICES_API PreferenceStore {
public:
    // The file fileName in the configuration folder.
    explicit PreferenceStore(const wxString& fileName);

    const wxString& GetFilePath() const { return m_filePath; }
    bool FileExists() const;

    // Lays the file's top-level members over the values; a missing or faulty
    // file changes nothing.
    void Load();
    // Replaces the file with the values: written to a temporary file beside it
    // and renamed over it, so a failed write leaves the old file whole. A key
    // with a full stop is written as nested objects; the JSON writer's
    // json_parser_error passes to the caller when keys collide that way.
    void Save() const;

    bool Lookup(const wxString& key, wxString& value) const;
    void Store(const wxString& key, const wxString& value);

private:
    wxStringToStringHashMap m_preferences;
    wxString m_filePath;
};

// The whole text as a T, else BadPreferenceTypeException("bad preference type").
template <typename T>
T PreferenceFromText(const wxString& text) {
    try {
        return boost::lexical_cast<T>(std::string(text.mb_str(wxConvLibc)));
    } catch (const boost::bad_lexical_cast&) {
        throw BadPreferenceTypeException("bad preference type");
    }
}

// The value as text, through wxString's stream insertion ("%d" for int).
template <typename T>
wxString PreferenceToText(const T& value) {
    wxString text;
    text << value;
    return text;
}

}  // namespace veq

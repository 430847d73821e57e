// Small system matters settled once for every program: the configuration
// folder, IPv4 text checks, operating-system version tests, privacy-protected
// user folders and wide-to-UTF-8 conversion.
#pragma once

#include <string>

#include <wx/string.h>

#include "VEQServicesExport.h"

class VEQSERVICES_API VEQServicesUtil {
public:
    VEQServicesUtil() = delete;

    // The per-machine configuration folder, ending with "/"; made (with every
    // missing parent) when it does not exist. Callers append file names to it.
    static wxString GetConfigDirectory();

    // True when text, trimmed of surrounding white space, is a dotted quad of
    // four decimal fields 0 to 255 (up to three digits each).
    static bool isValidIPv4AddressFormat(const wxString& text);

    // True when the system is 10.<minor> or later (any major above 10 counts).
    static bool OSX10_XXnAbove(int minor);
    // Both answers are computed on the first call and kept for the process.
    static bool OSX10_15nAbove();
    static bool OSX11_nAbove();

    // True on 10.15 and later when path lies in the user's Desktop, Documents
    // or Downloads folder; folderName then holds that folder's translated name.
    // Below 10.15 it returns false and leaves folderName alone.
    static bool IsOSXPrivacyFolder(const wxString& path, wxString& folderName);

    // The text as UTF-8; throws std::range_error("wstring_convert: to_bytes error")
    // for a surrogate code point or one above U+10FFFF.
    static std::string wstringTostringUTF8(const std::wstring& text);

    // Returns the text unchanged: stored names rely on it computing no digest.
    static wxString MD5HashString(const wxString& text);
};

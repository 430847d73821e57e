// The user-interface language of a program and the folders of its translation
// catalogues: the fifteen supported languages, the code of every language the
// system knows, and look-ups in both directions.
//
// Languages are the system's own ids (VEQLanguage), which are stored and
// compared by callers; they are not the toolkit's wxLanguage values. Convert
// with GetToolkitLanguage only where a wxLocale is made:
//
//   VEQLocale locale(chosenCode);
//   VEQLanguage language = locale.GetUserSelectedLanguage();
//   wxLocale ui;
//   if (!ui.Init(VEQLocale::GetToolkitLanguage(language))) ui.Init(VEQLocale::GetToolkitLanguage(VEQ_LANGUAGE_ENGLISH_US));
//   wxLocale::AddCatalogLookupPathPrefix(VEQLocale::GetPathForLocaleFiles());
#pragma once

#include <vector>

#include <wx/string.h>

#include "VEQServicesExport.h"

// The system's language ids. Every value from 2 to 234 is a language with an
// entry in the language-code table; the names below are those the code uses.
enum VEQLanguage : int {
    VEQ_LANGUAGE_DEFAULT = 0,
    VEQ_LANGUAGE_UNKNOWN = 1,
    VEQ_LANGUAGE_CHINESE = 44,
    VEQ_LANGUAGE_CHINESE_SIMPLIFIED = 45,
    VEQ_LANGUAGE_CHINESE_TRADITIONAL = 46,
    VEQ_LANGUAGE_CZECH = 53,
    VEQ_LANGUAGE_DUTCH = 55,
    VEQ_LANGUAGE_ENGLISH_US = 59,
    VEQ_LANGUAGE_FRENCH = 79,
    VEQ_LANGUAGE_GERMAN = 88,
    VEQ_LANGUAGE_ITALIAN = 109,
    VEQ_LANGUAGE_JAPANESE = 111,
    VEQ_LANGUAGE_KOREAN = 124,
    VEQ_LANGUAGE_POLISH = 152,
    VEQ_LANGUAGE_PORTUGUESE = 153,
    VEQ_LANGUAGE_PORTUGUESE_BRAZILIAN = 154,
    VEQ_LANGUAGE_RUSSIAN = 159,
    VEQ_LANGUAGE_SPANISH = 179,
    VEQ_LANGUAGE_TURKISH = 214
};

class VEQSERVICES_API VEQLocale {
public:
    struct SupportedLanguage {
        wxString code;         // also the name of the language's catalogue folder
        wxString displayName;  // the language's own name for itself
        VEQLanguage language;
    };

    // code: the language code the user chose ("fr_FR"), empty when none.
    explicit VEQLocale(const wxString& code);

    // The system language when no code was chosen, else the supported language
    // with exactly that code, else VEQ_LANGUAGE_UNKNOWN.
    VEQLanguage GetUserSelectedLanguage() const;

    // The user's preferred language when it is supported, else English (US).
    static VEQLanguage GetSystemLanguage();

    // The fifteen supported languages, English (US) first.
    static const std::vector<SupportedLanguage>& GetSupportedLanguages();

    // The catalogue root in the main application's bundle, ending with "/".
    static wxString GetPathForLocaleFiles();
    // The catalogue root followed by the language's code (no trailing "/");
    // for a language without a code, logs an error and gives the "en_US" folder.
    static wxString GetPathForLanguage(VEQLanguage language);
    // The code of GetSystemLanguage().
    static wxString GetDefaultLanguageCode();

    // True when the language is supported, or a supported language has its
    // code; in the second case language becomes that supported language.
    static bool IsLanguageSupported(VEQLanguage& language);
    static bool IsLanguageCodeSupported(const wxString& code);
    // The display name of the supported language with this code, else empty.
    static wxString GetSupportedLanguageName(const wxString& code);
    // The language with this code (the highest id where several share it),
    // else VEQ_LANGUAGE_DEFAULT.
    static VEQLanguage GetLanguageIndex(const wxString& code);
    // The language's code, else empty.
    static wxString GetLanguageCode(VEQLanguage language);

    // The toolkit's wxLanguage for a language, found through its code;
    // wxLANGUAGE_UNKNOWN when the toolkit does not know it.
    static int GetToolkitLanguage(VEQLanguage language);

private:
    wxString m_code;
};

#include "AppLocale.h"

#include <algorithm>
#include <functional>

#include <wx/dir.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/translation.h>

#include "Logger.h"

namespace {

std::unique_ptr<wxLocale> MakeLocale(VEQLanguage language) {
    auto locale = std::make_unique<wxLocale>();
    if (!locale->Init(VEQLocale::GetToolkitLanguage(language), 0)) {
        return nullptr;
    }
    return locale;
}

}  // namespace

void InitializeAppLocale(const wxString& languageCode, std::shared_ptr<VEQLocale>& veqLocale,
                         std::unique_ptr<wxLocale>& locale) {
    veqLocale = std::make_shared<VEQLocale>(languageCode);
    wxLogNull quiet;
    VEQLanguage language = veqLocale->GetUserSelectedLanguage();
    locale.reset();  // a wxLocale initialises once; a new one for each call
    locale = MakeLocale(language);
    if (!locale) {
        language = VEQ_LANGUAGE_ENGLISH_US;
        locale = MakeLocale(language);
    }
    if (!locale) {
        // The system has no locale for it either: keep an object for the catalogues.
        locale = std::make_unique<wxLocale>();
        locale->Init(wxLANGUAGE_DEFAULT, 0);
    }
    const int systemLanguage = wxLocale::GetSystemLanguage();
    VEQLOG(Debug) << "UserLanguage Code : " << static_cast<int>(language) << " Locale : "
                  << locale->GetLocale() << " CanonicalName : " << locale->GetCanonicalName()
                  << " SystemLanguage Code : " << systemLanguage
                  << " Name: " << wxLocale::GetLanguageCanonicalName(systemLanguage);

    wxFileTranslationsLoader::AddCatalogLookupPathPrefix(VEQLocale::GetPathForLocaleFiles());
    const wxString folder = VEQLocale::GetPathForLanguage(language);
    if (!wxDirExists(folder)) {
        VEQLOG(Error) << "Not found " << folder;
        return;
    }
    wxArrayString entries;
    wxDir::GetAllFiles(folder, &entries, wxEmptyString, wxDIR_FILES | wxDIR_DIRS | wxDIR_HIDDEN);
    std::vector<wxString> paths(entries.begin(), entries.end());
    std::sort(paths.begin(), paths.end(), std::greater<wxString>());
    for (const wxString& path : paths) {
        const wxFileName file(path);
        if (file.GetExt() == "mo") {
            locale->AddCatalog(file.GetName());
        }
    }
}

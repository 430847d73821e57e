#include "TrayIconApp.h"

#include <csignal>

#include <wx/image.h>
#include <wx/log.h>
#include <wx/translation.h>

#include "Logger.h"
#include "MappingFileReader.h"
#include "VEQLocale.h"

namespace {

// Called from the event loop, not in the signal's context.
void OnTerminateSignal(int) {
    wxTheApp->ExitMainLoop();
}

std::vector<wxString> Arguments(const wxCmdLineArgsArray& argv, int argc) {
    std::vector<wxString> arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.push_back(argv[i]);
    }
    return arguments;
}

}  // namespace

bool TrayIconApp::s_endedAtStart = false;

bool TrayIconApp::OnInit() {
    const TrayStart start = m_startup.Decide(Arguments(argv, argc));
    if (start != TrayStart::Run) {
        s_endedAtStart = true;
        return false;
    }
    SetSignalHandler(SIGTERM, &OnTerminateSignal);
    SetSignalHandler(SIGINT, &OnTerminateSignal);
    wxLogNull quiet;
    wxInitAllImageHandlers();
    InitLanguage();

    auto reader = std::make_shared<MappingFileReader>();
    m_trayIcon = std::make_unique<TrayIcon>(m_system, [reader](std::vector<stMappedFoldersDetail>& list) {
        reader->GetFolderMapDetailsFromXML(list);
    });
    m_trayIcon->UpdateIcon();
    return true;
}

int TrayIconApp::OnExit() {
    m_trayIcon.reset();
    return 0;
}

void TrayIconApp::InitLanguage() {
    wxLocale* current = wxGetLocale();
    int language = 0;
    if (current && current->IsOk()) {
        language = VEQLocale::GetLanguageIndex(current->GetCanonicalName());
    } else {
        language = GetSystemLangID();
        m_locale = std::make_unique<wxLocale>();
        if (!m_locale->Init(VEQLocale::GetToolkitLanguage(static_cast<VEQLanguage>(language)))) {
            language = VEQ_LANGUAGE_ENGLISH_US;
            m_locale = std::make_unique<wxLocale>();
            m_locale->Init(VEQLocale::GetToolkitLanguage(VEQ_LANGUAGE_ENGLISH_US));
        }
        current = m_locale.get();
    }
    wxTranslations* translations = wxTranslations::Get();
    if (translations && !translations->IsLoaded("veq")) {
        wxFileTranslationsLoader::AddCatalogLookupPathPrefix(GetPathForLocaleFiles());
        translations->AddCatalog("veq");
    }
    const int systemLanguage = wxLocale::GetSystemLanguage();
    VEQLOG(Debug) << "UserLanguage Code : " << language << " Locale : " << current->GetLocale()
                  << " CanonicalName : " << current->GetCanonicalName() << " SystemLanguage Code : "
                  << systemLanguage << " Name: " << wxLocale::GetLanguageCanonicalName(systemLanguage);
}

int TrayIconApp::GetSystemLangID() {
    return VEQLocale::GetSystemLanguage();
}

wxString TrayIconApp::GetPathForLocaleFiles() {
    return VEQLocale::GetPathForLocaleFiles();
}

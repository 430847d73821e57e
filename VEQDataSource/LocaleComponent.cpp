#include "LocaleComponent.h"

#include <wx/intl.h>

#include "SdkText.h"
#include "ZeltoServer.h"

using sdktext::FromUTF8;
using sdktext::ToUTF8;

namespace {

const char kFallbackLanguage[] = "en_US";

// The canonical code of the application's current language ("fr_FR"); English
// US when the application has no locale or its language has no code.
wxString ApplicationLanguage() {
    const wxLocale* locale = wxGetLocale();
    if (!locale) {
        return kFallbackLanguage;
    }
    const wxString name = wxLocale::GetLanguageCanonicalName(locale->GetLanguage());
    return name.empty() ? wxString(kFallbackLanguage) : name;
}

}  // namespace

LocaleComponent::LocaleComponent(Server* server)
    : m_server(server), m_session(), m_sessionOpen(false) {
    Initialize();
}

LocaleComponent::~LocaleComponent() {
    if (m_sessionOpen) {
        LOCL_closeSession(&m_session, 0);
    }
}

void LocaleComponent::Initialize() {
    if (m_sessionOpen) {
        LOCL_closeSession(&m_session, 0);
        m_sessionOpen = false;
    }
    m_languageCanonicalName = ApplicationLanguage();
    const ZeltoServer* server = dynamic_cast<const ZeltoServer*>(m_server);
    VelloraServerHandle* handle = server ? server->GetServerhandle() : nullptr;
    m_session = VelloraLocaleSession();
    m_sessionOpen = LOCL_openSession(handle, 0, ToUTF8(m_languageCanonicalName).c_str(), "UTF8",
                                     &m_session, 0) == 0;
}

VelloraLocaleSession* LocaleComponent::GetLocaleSessionHandle() {
    return m_sessionOpen ? &m_session : nullptr;
}

wxString LocaleComponent::GetLocalizedString(const wxString& key) {
    if (!m_sessionOpen) {
        return key;
    }
    char* text = nullptr;
    const int result = LOCL_getString(&m_session, ToUTF8(key).c_str(), &text, 0);
    wxString localized = key;
    if (result == 0 && text) {
        localized = FromUTF8(text);
    }
    if (text) {
        vellora_free(text);
    }
    return localized;
}

wxString LocaleComponent::GetCurrentLanguageCanonicalName() {
    return m_languageCanonicalName;
}

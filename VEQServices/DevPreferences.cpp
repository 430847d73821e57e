#include "DevPreferences.h"

namespace DevPrefKeys {
const wxString g_DevPDissplayIPInServerSelection("DissplayIPInServerSelection");
}  // namespace DevPrefKeys

DevPreferences& DevPreferences::Get() {
    static DevPreferences instance;
    return instance;
}

DevPreferences::DevPreferences() : m_store("devPreferences.json") {
    SetDefaults();
    m_store.Load();
}

DevPreferences::~DevPreferences() {
    try {
        m_store.Save();
    } catch (...) {
        // Process exit: there is no one left to tell.
    }
}

void DevPreferences::SetDefaults() {
    m_store.Store(DevPrefKeys::g_DevPDissplayIPInServerSelection, "0");
}

void DevPreferences::Save() {
    m_store.Save();
}

bool DevPreferences::LookupText(const wxString& key, wxString& text) const {
    return m_store.Lookup(key, text);
}

void DevPreferences::StoreAndSave(const wxString& key, const wxString& text) {
    m_store.Store(key, text);
    m_store.Save();
}

#include "VEQPreferences.h"

namespace VEQPrefKeys {
const wxString g_ShouldShowPrivacyFolderWarningMessage("ShouldShowPrivacyFolderWarningMessage");
const wxString g_ShouldShowStartupPrivacyFolderWarningMessage("ShouldShowStartupPrivacyFolderWarningMessage");
}  // namespace VEQPrefKeys

VEQPreferences& VEQPreferences::Get() {
    static VEQPreferences instance;
    return instance;
}

VEQPreferences::VEQPreferences() : m_store("VEQPreferences.json") {
    SetDefaults();
    m_store.Load();
}

VEQPreferences::~VEQPreferences() = default;

void VEQPreferences::SetDefaults() {
    m_store.Store(VEQPrefKeys::g_ShouldShowPrivacyFolderWarningMessage, "1");
    m_store.Store(VEQPrefKeys::g_ShouldShowStartupPrivacyFolderWarningMessage, "1");
    if (!m_store.FileExists()) m_store.Save();
}

void VEQPreferences::Save() {
    m_store.Save();
}

bool VEQPreferences::LookupText(const wxString& key, wxString& text) const {
    return m_store.Lookup(key, text);
}

void VEQPreferences::StoreAndSave(const wxString& key, const wxString& text) {
    m_store.Store(key, text);
    m_store.Save();
}

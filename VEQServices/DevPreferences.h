// Developer switches, kept in "devPreferences.json" in the configuration
// folder: a process-wide singleton like VEQPreferences. Its file is written at
// process exit (and by SetValue), never just for the defaults at start.
#pragma once

#include <wx/string.h>

#include "PreferenceStore.h"
#include "VEQServicesExport.h"

namespace DevPrefKeys {
// "DissplayIPInServerSelection", default "0".
VEQSERVICES_API extern const wxString g_DevPDissplayIPInServerSelection;
}  // namespace DevPrefKeys

class VEQSERVICES_API DevPreferences {
public:
    static DevPreferences& Get();

    DevPreferences(const DevPreferences&) = delete;
    DevPreferences& operator=(const DevPreferences&) = delete;

    void Save();

    // As VEQPreferences::GetValue.
    template <typename T>
    T GetValue(const wxString& key) const {
        wxString text;
        if (!LookupText(key, text)) return T();
        return veq::PreferenceFromText<T>(text);
    }

    // As VEQPreferences::SetValue: stores and saves at once.
    template <typename T>
    void SetValue(const wxString& key, const T& value) {
        StoreAndSave(key, veq::PreferenceToText(value));
    }

private:
    DevPreferences();
    // Saves the file; a failure is dropped, as nothing can report it at exit.
    ~DevPreferences();

    void SetDefaults();
    bool LookupText(const wxString& key, wxString& text) const;
    void StoreAndSave(const wxString& key, const wxString& text);

    veq::PreferenceStore m_store;
};

// The user's preferences, kept in "VEQPreferences.json" in the configuration
// folder: a process-wide singleton over named text values with typed access.
//
//   if (VEQPreferences::Get().GetValue<int>(VEQPrefKeys::g_ShouldShowPrivacyFolderWarningMessage)) ...
//   VEQPreferences::Get().SetValue<int>(VEQPrefKeys::g_ShouldShowPrivacyFolderWarningMessage, 0);
#pragma once

#include <wx/string.h>

#include "PreferenceStore.h"
#include "VEQServicesExport.h"

namespace VEQPrefKeys {
// "ShouldShowPrivacyFolderWarningMessage", default "1".
VEQSERVICES_API extern const wxString g_ShouldShowPrivacyFolderWarningMessage;
// "ShouldShowStartupPrivacyFolderWarningMessage", default "1".
VEQSERVICES_API extern const wxString g_ShouldShowStartupPrivacyFolderWarningMessage;
}  // namespace VEQPrefKeys

class VEQSERVICES_API VEQPreferences {
public:
    // The process's one instance, made at the first call: the defaults, then
    // the file's values over them. The file is written with the defaults when
    // it does not exist yet.
    static VEQPreferences& Get();

    VEQPreferences(const VEQPreferences&) = delete;
    VEQPreferences& operator=(const VEQPreferences&) = delete;

    // Rewrites the file from the values in memory.
    void Save();

    // The value under key as a T; T() when the key has none. Throws
    // BadPreferenceTypeException when the stored text is not wholly a T.
    template <typename T>
    T GetValue(const wxString& key) const {
        wxString text;
        if (!LookupText(key, text)) return T();
        return veq::PreferenceFromText<T>(text);
    }

    // Stores value as text under key and saves the file at once.
    template <typename T>
    void SetValue(const wxString& key, const T& value) {
        StoreAndSave(key, veq::PreferenceToText(value));
    }

private:
    VEQPreferences();
    ~VEQPreferences();

    void SetDefaults();
    bool LookupText(const wxString& key, wxString& text) const;
    void StoreAndSave(const wxString& key, const wxString& text);

    veq::PreferenceStore m_store;
};

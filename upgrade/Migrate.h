// Carries the older version's settings into the current ones: recent servers,
// scan attributes, mailbox auto-logins and their switch, the selected server
// and the last save folder go into the settings files; the folder-mapping
// folder is copied into the configuration folder. Missing old data leaves the
// current settings as they are.
#pragma once

#include <map>
#include <memory>

#include <wx/string.h>

#include "VEQConfig.h"

class wxFileConfig;

class Migrate {
public:
    // Opens the old settings (group "6") and the current "veq_config".
    Migrate();
    ~Migrate();  // "veq_config" is written once more
    Migrate(const Migrate&) = delete;
    Migrate& operator=(const Migrate&) = delete;

    void MigrateFromRegToJson();

private:
    void StoreRecentServersInJson();
    void StoreAttributesInJson();
    void StoreAutoLoginsInJson();
    void StoreAutoLoginStateInJson();
    void StoreCurrentServerInJson();
    void StoreLastJobSavePathInJson();
    void MoveDropwellFolder();

    // The old value of key, or an empty text when there is none.
    wxString GetStringFromReg(const wxString& key) const;
    // The old value of key read as a decimal number; false when it is missing
    // or not a number.
    bool GetNumberFromReg(const wxString& key, long& value) const;

    std::shared_ptr<wxFileConfig> m_oldSettings;
    std::shared_ptr<VEQConfig> m_config;
    // The old recent servers by their old index, as the old selection counts them.
    std::map<long, VEQConfig::VEQConfigServerEntry> m_oldServers;
};

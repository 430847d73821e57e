// The client's own settings, kept in one enciphered JSON file in the
// configuration folder: the current server, recent servers, named attribute
// values, mailbox auto-logins with their on/off state and the last save folder.
// Setters save the whole file at once unless noted; the file is read only by
// the constructor. Safe to use from several threads.
#pragma once

#include <map>
#include <mutex>
#include <vector>

#include <wx/string.h>

#include "VEQDataSourceExport.h"

namespace Json {
class Value;
}

class VEQDATASOURCE_API VEQConfig {
public:
    struct VEQConfigServerEntry {
        wxString m_ip;
        wxString m_name;
        wxString m_model;
    };

    struct AutoLoginInfo {
        wxString m_server;  // address or name under which the credentials are kept
        wxString m_mailboxName;
        wxString m_password;
    };

    explicit VEQConfig(const wxString& fileName);
    ~VEQConfig();  // saves
    VEQConfig(const VEQConfig&) = delete;
    VEQConfig& operator=(const VEQConfig&) = delete;

    void LoadSettings();
    void SaveSettings();
    void Flush();

    wxString GetConfigDirectory();

    VEQConfigServerEntry GetCurrentServer() const;
    void SetCurrentServer(const VEQConfigServerEntry& server);
    std::vector<VEQConfigServerEntry> GetRecentServers();
    // Appends unless the ip matches a recent ip or name (any case); the first
    // entry also becomes the current server. Saves in every case.
    void AddToRecentServer(VEQConfigServerEntry server);
    bool isServerAvailableInRecent(const wxString& text);
    // Saves only when an entry was removed.
    void RemoveFromRecentServer(const wxString& ip);

    void SetValue(const wxString& key, const wxString& value, bool save);
    wxString GetValue(const wxString& key);

    bool SaveMailBoxAutoLogin(const wxString& server, const wxString& mailboxName,
                              const wxString& password);
    bool GetMailBoxAutoLogin(const wxString& server, wxString& mailboxName, wxString& password);
    // Memory only; the file follows at the next save.
    bool ClearAutoLogin(const wxString& server);
    // Renames the auto-login kept under a server name to its address. Memory only.
    void UpdateServerAutoLogin(const wxString& replacement, const wxString& current);
    bool SaveMailBoxAutoLoginState(bool state);
    bool GetMailBoxAutoLoginState();

    wxString GetLastSaveJobPath();
    void SetLastSaveJobPath(const wxString& path);

private:
    void ReadDocument(const Json::Value& root);
    bool WriteFileAtomically(const std::string& plainText);

    VEQConfigServerEntry m_currentServer;
    std::vector<VEQConfigServerEntry> m_recentServers;
    std::map<wxString, wxString> m_attributes;
    wxString m_lastJobSavePath;
    wxString m_configDirectory;
    wxString m_filePath;
    std::vector<AutoLoginInfo> m_autoLogins;
    int m_autoLoginState;
    mutable std::recursive_mutex m_mutex;  // setters save while holding it
};

// The member key of node as text, empty when it is missing or not a string.
VEQDATASOURCE_API wxString GetValueOfNode(const Json::Value& node, const wxString& key);

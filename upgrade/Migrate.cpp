#include "Migrate.h"

#include <set>

#include <wx/fileconf.h>
#include <wx/filename.h>
#include <wx/mstream.h>

#include "OldSettingsText.h"
#include "OldVersionPaths.h"
#include "VEQAttributeKeys.h"

namespace {

const wxString kOldSettingsGroup = "6";

// The old indices below count that carry any of a server's three keys. Walking
// only these keeps a count far beyond the stored servers from adding blank servers.
std::set<long> StoredServerIndices(const wxFileConfig& settings, long count) {
    std::set<long> indices;
    wxString name;
    long cookie = 0;
    for (bool more = settings.GetFirstEntry(name, cookie); more;
         more = settings.GetNextEntry(name, cookie)) {
        long index = 0;
        if (vequpgrade::OldServerKeyIndex(name.utf8_string(), index) && index < count) {
            indices.insert(index);
        }
    }
    return indices;
}

// The recent server that stands for an old server's address: the one whose ip
// or name equals it in any case, as adding a recent server decides duplicates.
const VEQConfig::VEQConfigServerEntry* FindRecentServer(
    const std::vector<VEQConfig::VEQConfigServerEntry>& recent, const wxString& address) {
    for (const VEQConfig::VEQConfigServerEntry& entry : recent) {
        if (entry.m_ip.CmpNoCase(address) == 0 || entry.m_name.CmpNoCase(address) == 0) {
            return &entry;
        }
    }
    return nullptr;
}

// The old settings as the toolkit would read the machine-wide file and then the
// per-user one over it, reduced to what the migration reads.
std::shared_ptr<wxFileConfig> OpenOldSettings() {
    const std::string text = "[" + kOldSettingsGroup.utf8_string() + "]\n" +
                             vequpgrade::MigratedSettingsEntries(vequpgrade::OldSettingsGlobalFile()) +
                             vequpgrade::MigratedSettingsEntries(vequpgrade::OldSettingsLocalFile());
    wxMemoryInputStream stream(text.data(), text.size());
    return std::make_shared<wxFileConfig>(stream, wxConvUTF8);
}

}  // namespace

Migrate::Migrate() : m_oldSettings(OpenOldSettings()), m_config(std::make_shared<VEQConfig>("veq_config")) {
    m_oldSettings->SetPath(kOldSettingsGroup);
}

Migrate::~Migrate() = default;

void Migrate::MigrateFromRegToJson() {
    StoreRecentServersInJson();
    StoreAttributesInJson();
    StoreAutoLoginsInJson();
    StoreAutoLoginStateInJson();
    StoreCurrentServerInJson();
    StoreLastJobSavePathInJson();
    MoveDropwellFolder();
}

wxString Migrate::GetStringFromReg(const wxString& key) const {
    wxString value;
    if (m_oldSettings->HasEntry(key)) {
        m_oldSettings->Read(key, &value);
    }
    return value;
}

bool Migrate::GetNumberFromReg(const wxString& key, long& value) const {
    return m_oldSettings->HasEntry(key) && GetStringFromReg(key).ToLong(&value, 10);
}

void Migrate::StoreRecentServersInJson() {
    long count = 0;
    if (!GetNumberFromReg("numservers", count) || count <= 0) {
        return;
    }
    for (long index : StoredServerIndices(*m_oldSettings, count)) {
        VEQConfig::VEQConfigServerEntry server;
        server.m_ip = GetStringFromReg(wxString::Format("ipaddress_%ld", index));
        server.m_name = GetStringFromReg(wxString::Format("servername_%ld", index));
        server.m_model = GetStringFromReg(wxString::Format("devicename_%ld", index));
        m_oldServers[index] = server;
        m_config->AddToRecentServer(server);
    }
}

void Migrate::StoreAttributesInJson() {
    const std::pair<wxString, wxString> attributes[] = {
        {"ScanSource", g_keyScanSource},     {"ScanColorMode", g_keyColorMode},
        {"ScanOrientation", g_keyOrientation}, {"ScanPaperSize", g_keyPageSize},
        {"ScanResolution", g_keyResolution}, {"ScanSide", g_keySidesToScan},
    };
    VEQConfig oldSettings("veq_config_old_settings");
    for (const auto& attribute : attributes) {
        oldSettings.SetValue(attribute.second, GetStringFromReg(attribute.first), false);
    }
    oldSettings.Flush();
}

void Migrate::StoreAutoLoginStateInJson() {
    long state = 0;
    if (GetNumberFromReg("autoLogin", state)) {
        m_config->SaveMailBoxAutoLoginState(state != 0);
    }
}

// The old selection counts the old servers; servers the current settings had
// already, or that the old list held twice, shift the merged list, so the old
// server is looked up there by its address.
void Migrate::StoreCurrentServerInJson() {
    long selected = 0;
    if (!GetNumberFromReg("selectedserver", selected)) {
        return;
    }
    const auto old = m_oldServers.find(selected);
    if (old == m_oldServers.end() || old->second.m_ip.empty()) {
        return;
    }
    const std::vector<VEQConfig::VEQConfigServerEntry> recent = m_config->GetRecentServers();
    if (const VEQConfig::VEQConfigServerEntry* server = FindRecentServer(recent, old->second.m_ip)) {
        m_config->SetCurrentServer(*server);
    }
}

// Without an old path the current one stays.
void Migrate::StoreLastJobSavePathInJson() {
    const wxString path = GetStringFromReg("SaveToDiskPath");
    if (!path.empty()) {
        m_config->SetLastSaveJobPath(wxFileName(path).GetFullPath());
    }
}

#include "VEQConfig.h"

#include <climits>
#include <cstdio>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <json/json.h>
#include <wx/filename.h>

#include "CryptService.h"
#include "FileDescriptor.h"
#include "JsonText.h"
#include "Logger.h"
#include "SdkText.h"
#include "VEQServicesUtil.h"
#include "WholeFile.h"

using sdktext::ToUTF8;

namespace {

// The file is replaced through a new file in its folder, or written in place when
// only the file lets itself be written; nothing but a regular file can be. So a
// file that does not exist yet can be written when its folder can.
bool CanBeWritten(const wxString& path) {
    const bool folderWritable = wxFileName::IsDirWritable(wxFileName(path).GetPath());
    if (!wxFileName::Exists(path)) return folderWritable;
    return wxFileName::FileExists(path) && (folderWritable || wxFileName::IsFileWritable(path));
}

const char kCurrentServer[] = "currentServer";
const char kRecentServers[] = "recentServers";
const char kAttributes[] = "attributes";
const char kAutoLogins[] = "autoLogins";
const char kAutoLoginState[] = "autoLoginState";
const char kLastJobSavePath[] = "lastJobSavePath";

wxString TextFromUTF8(const std::string& text) {
    return wxString::FromUTF8(text.data(), text.size());
}

Json::Value ServerEntryToJson(const VEQConfig::VEQConfigServerEntry& entry) {
    Json::Value node(Json::objectValue);
    node["ip"] = ToUTF8(entry.m_ip);
    node["name"] = ToUTF8(entry.m_name);
    node["model"] = ToUTF8(entry.m_model);
    return node;
}

VEQConfig::VEQConfigServerEntry ServerEntryFromJson(const Json::Value& node) {
    VEQConfig::VEQConfigServerEntry entry;
    entry.m_ip = GetValueOfNode(node, "ip");
    entry.m_name = GetValueOfNode(node, "name");
    entry.m_model = GetValueOfNode(node, "model");
    return entry;
}

// Null when there are no items, else an array of them.
template <typename Items, typename ToJson>
Json::Value ListToJson(const Items& items, ToJson toJson) {
    Json::Value list;
    for (const auto& item : items) {
        list.append(toJson(item));
    }
    return list;
}

// Flushes a file's written data to the disk.
bool SyncFile(const std::string& path) {
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) {
        return false;
    }
    const bool synced = ::fsync(descriptor) == 0;
    return ::close(descriptor) == 0 && synced;
}

enum class WriteOutcome { CannotCreate, Failed, Written };

// Enciphers the text into the file, makes sure it reached the disk and reads
// it back, so that a short or failed write is never taken for a save.
WriteOutcome WriteAndVerify(const std::string& path, const std::string& plainText) {
    const std::wstring widePath = wxString::FromUTF8(path).ToStdWstring();
    if (!CryptService::Write(widePath, plainText)) {
        return WriteOutcome::CannotCreate;
    }
    std::string readBack;
    if (!SyncFile(path) || !CryptService::Read(widePath, readBack) || readBack != plainText) {
        return WriteOutcome::Failed;
    }
    return WriteOutcome::Written;
}

// Rewrites the existing regular file itself (never through a link), for a
// folder that refuses new files; synced and read back as any save.
bool RewriteInPlace(const std::string& path, const std::string& plainText) {
    if (plainText.size() > UINT_MAX) return false;
    const FileDescriptor file(::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat info;
    if (file.Get() < 0 || ::fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    std::vector<unsigned char> enciphered;
    CryptService::Encrypt(plainText.data(), static_cast<unsigned int>(plainText.size()), enciphered);
    if (::ftruncate(file.Get(), 0) != 0 || !WriteFully(file.Get(), enciphered.data(), enciphered.size()) ||
        ::fsync(file.Get()) != 0) {
        return false;
    }
    std::string readBack;
    return CryptService::Read(wxString::FromUTF8(path).ToStdWstring(), readBack) && readBack == plainText;
}

}  // namespace

wxString GetValueOfNode(const Json::Value& node, const wxString& key) {
    if (!node.isObject()) {
        return wxString();
    }
    const Json::Value& member = node[ToUTF8(key)];
    if (!member.isString()) {
        return wxString();
    }
    return TextFromUTF8(member.asString());
}

VEQConfig::VEQConfig(const wxString& fileName) : m_autoLoginState(1) {
    m_configDirectory = VEQServicesUtil::GetConfigDirectory();
    m_filePath = wxFileName(m_configDirectory, fileName).GetFullPath();
    LoadSettings();
}

VEQConfig::~VEQConfig() {
    SaveSettings();
}

void VEQConfig::LoadSettings() {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    if (!wxFileName::FileExists(m_filePath)) {
        VEQLOG(Debug) << "Cann't load config file, no file exist, path:" << m_filePath;
        return;
    }
    if (!wxFileName(m_filePath).IsOk() || !wxFileName::IsFileReadable(m_filePath)) {
        VEQLOG(Debug) << "Cann't load config file, no read permission, path:" << m_filePath;
        return;
    }
    std::string deciphered;
    if (!CryptService::Read(m_filePath.ToStdWstring(), deciphered)) {
        VEQLOG(Debug) << "Error in loading config file, path:" << m_filePath;
        return;
    }
    // Bytes that are not UTF-8 decode to an empty text, which does not parse.
    const std::string text = ToUTF8(TextFromUTF8(deciphered));
    if (text.empty() && !deciphered.empty()) {
        VEQLOG(Debug) << "Config file is not readable text, defaults kept, path:" << m_filePath;
        return;
    }
    Json::Value root;
    std::string errors;
    if (!ParseJsonText(text, root, errors)) {
        VEQLOG(Debug) << "Config file does not parse, defaults kept, path:" << m_filePath << " " << errors;
        return;
    }
    if (!root.isObject()) {
        VEQLOG(Debug) << "Config file holds no settings object, defaults kept, path:"
                      << m_filePath;
        return;
    }
    ReadDocument(root);
}

void VEQConfig::ReadDocument(const Json::Value& root) {
    const auto unexpected = [this](const char* member) {
        VEQLOG(Debug) << "Config file member " << member
                      << " has an unexpected type, default kept, path:" << m_filePath;
    };

    const Json::Value& current = root[kCurrentServer];
    if (current.isObject() || current.isNull()) {
        m_currentServer = ServerEntryFromJson(current);
    } else {
        unexpected(kCurrentServer);
    }

    const Json::Value& recent = root[kRecentServers];
    if (recent.isArray()) {
        for (const Json::Value& element : recent) {
            if (element.isObject()) {
                m_recentServers.push_back(ServerEntryFromJson(element));
            }
        }
    } else if (!recent.isNull()) {
        unexpected(kRecentServers);
    }

    const Json::Value& attributes = root[kAttributes];
    if (attributes.isArray()) {
        for (const Json::Value& element : attributes) {
            if (element.isObject()) {
                m_attributes[GetValueOfNode(element, "key")] = GetValueOfNode(element, "value");
            }
        }
    } else if (!attributes.isNull()) {
        unexpected(kAttributes);
    }

    const Json::Value& autoLogins = root[kAutoLogins];
    if (autoLogins.isArray()) {
        for (const Json::Value& element : autoLogins) {
            if (element.isObject()) {
                AutoLoginInfo info;
                info.m_server = GetValueOfNode(element, "ip");
                info.m_mailboxName = GetValueOfNode(element, "name");
                info.m_password = GetValueOfNode(element, "password");
                m_autoLogins.push_back(info);
            }
        }
    } else if (!autoLogins.isNull()) {
        unexpected(kAutoLogins);
    }

    // A file without the state turns auto-login off; no file at all leaves it on.
    const Json::Value& state = root[kAutoLoginState];
    if (state.isNull()) {
        m_autoLoginState = 0;
    } else if (state.isInt() || state.isBool()) {
        m_autoLoginState = state.asInt();
    } else {
        unexpected(kAutoLoginState);
    }

    const Json::Value& lastPath = root[kLastJobSavePath];
    if (lastPath.isString()) {
        m_lastJobSavePath = TextFromUTF8(lastPath.asString());
    } else if (!lastPath.isNull()) {
        unexpected(kLastJobSavePath);
    }
}

void VEQConfig::SaveSettings() {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    Json::Value root(Json::objectValue);
    root[kCurrentServer] = ServerEntryToJson(m_currentServer);
    root[kRecentServers] = ListToJson(m_recentServers, ServerEntryToJson);
    root[kAttributes] = ListToJson(m_attributes, [](const auto& attribute) {
        Json::Value node(Json::objectValue);
        node["key"] = ToUTF8(attribute.first);
        node["value"] = ToUTF8(attribute.second);
        return node;
    });
    root[kAutoLogins] = ListToJson(m_autoLogins, [](const AutoLoginInfo& info) {
        Json::Value node(Json::objectValue);
        node["ip"] = ToUTF8(info.m_server);
        node["name"] = ToUTF8(info.m_mailboxName);
        node["password"] = ToUTF8(info.m_password);
        return node;
    });
    root[kAutoLoginState] = m_autoLoginState;
    root[kLastJobSavePath] = ToUTF8(m_lastJobSavePath);

    if (!CanBeWritten(m_filePath)) {
        VEQLOG(Debug) << "Cann't write config file " << m_filePath << ", no write permission";
    }
    Json::StyledWriter writer;
    if (!WriteFileAtomically(writer.write(root))) {
        VEQLOG(Debug) << "Encrypted config file writing failed, path:" << m_filePath;
    }
}

bool VEQConfig::WriteFileAtomically(const std::string& plainText) {
    const std::string path = ToUTF8(m_filePath);
    // Left by a process killed while it saved: each holds the whole settings.
    RemoveStaleTemporaries(path);
    const std::string temporary = UniqueTemporaryPath(path);
    const WriteOutcome outcome = WriteAndVerify(temporary, plainText);
    if (outcome == WriteOutcome::Written) {
        struct stat previous;
        if (::stat(path.c_str(), &previous) == 0) {
            ::chmod(temporary.c_str(), previous.st_mode & 07777);
        }
        if (std::rename(temporary.c_str(), path.c_str()) == 0) {
            return true;
        }
    }
    std::remove(temporary.c_str());
    // A folder that refuses new files but lets the file itself be written:
    // the only way left is to rewrite it in place. A write that failed in a
    // folder that takes new files leaves the file as it was.
    const bool folderTakesNewFiles = wxFileName::IsDirWritable(wxFileName(m_filePath).GetPath());
    return outcome == WriteOutcome::CannotCreate && !folderTakesNewFiles &&
           wxFileName::IsFileWritable(m_filePath) && RewriteInPlace(path, plainText);
}

void VEQConfig::Flush() {
    SaveSettings();
}

wxString VEQConfig::GetConfigDirectory() {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    return m_configDirectory;
}

VEQConfig::VEQConfigServerEntry VEQConfig::GetCurrentServer() const {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    return m_currentServer;
}

void VEQConfig::SetCurrentServer(const VEQConfigServerEntry& server) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    m_currentServer = server;
    SaveSettings();
}

std::vector<VEQConfig::VEQConfigServerEntry> VEQConfig::GetRecentServers() {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    return m_recentServers;
}

void VEQConfig::AddToRecentServer(VEQConfigServerEntry server) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    if (m_recentServers.empty()) {
        m_currentServer = server;
    }
    if (!isServerAvailableInRecent(server.m_ip)) {
        m_recentServers.push_back(server);
    }
    SaveSettings();
}

bool VEQConfig::isServerAvailableInRecent(const wxString& text) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    for (const VEQConfigServerEntry& entry : m_recentServers) {
        if (entry.m_ip.CmpNoCase(text) == 0 || entry.m_name.CmpNoCase(text) == 0) {
            return true;
        }
    }
    return false;
}

void VEQConfig::RemoveFromRecentServer(const wxString& ip) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    for (auto entry = m_recentServers.begin(); entry != m_recentServers.end(); ++entry) {
        if (entry->m_ip.IsSameAs(ip, true)) {
            m_recentServers.erase(entry);
            SaveSettings();
            return;
        }
    }
}

void VEQConfig::SetValue(const wxString& key, const wxString& value, bool save) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    m_attributes[key] = value;
    if (save) {
        SaveSettings();
    }
}

wxString VEQConfig::GetValue(const wxString& key) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    const auto found = m_attributes.find(key);
    return found == m_attributes.end() ? wxString() : found->second;
}

bool VEQConfig::SaveMailBoxAutoLogin(const wxString& server, const wxString& mailboxName,
                                     const wxString& password) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    bool found = false;
    for (AutoLoginInfo& info : m_autoLogins) {
        if (info.m_server.IsSameAs(server, true)) {
            info.m_mailboxName = mailboxName;
            info.m_password = password;
            found = true;
            break;
        }
    }
    if (!found) {
        m_autoLogins.push_back(AutoLoginInfo{server, mailboxName, password});
    }
    SaveSettings();
    return true;
}

bool VEQConfig::GetMailBoxAutoLogin(const wxString& server, wxString& mailboxName,
                                    wxString& password) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    for (const AutoLoginInfo& info : m_autoLogins) {
        if (info.m_server.IsSameAs(server, true)) {
            mailboxName = info.m_mailboxName;
            password = info.m_password;
            return true;
        }
    }
    return false;
}

bool VEQConfig::ClearAutoLogin(const wxString& server) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    for (auto info = m_autoLogins.begin(); info != m_autoLogins.end(); ++info) {
        if (info->m_server.IsSameAs(server, true)) {
            m_autoLogins.erase(info);
            return true;
        }
    }
    return false;
}

void VEQConfig::UpdateServerAutoLogin(const wxString& replacement, const wxString& current) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    for (AutoLoginInfo& info : m_autoLogins) {
        if (!VEQServicesUtil::isValidIPv4AddressFormat(info.m_server) &&
            info.m_server.IsSameAs(current, true)) {
            info.m_server = replacement;
            return;
        }
    }
}

bool VEQConfig::SaveMailBoxAutoLoginState(bool state) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    m_autoLoginState = state ? 1 : 0;
    SaveSettings();
    return true;
}

bool VEQConfig::GetMailBoxAutoLoginState() {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    return m_autoLoginState != 0;
}

wxString VEQConfig::GetLastSaveJobPath() {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    return m_lastJobSavePath;
}

void VEQConfig::SetLastSaveJobPath(const wxString& path) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    m_lastJobSavePath = path;
    SaveSettings();
}

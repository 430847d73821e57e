#include "TrayAgent.h"

#include <unistd.h>

#include <wx/intl.h>

#include "Logger.h"
#include "TraySettings.h"
#include "VeqRoot.h"

const char kMainApplicationExecutable[] = "/Applications/Zelto/Veqora.app/Contents/MacOS/Veqora";
const char kSyncDaemonExecutable[] = "/System/Library/CoreServices/ZeltoFetchd";

namespace {

const size_t kMaxFolderItems = kLastFolderCommand - kFirstFolderCommand + 1;

}  // namespace

wxString MenuLabel(const wxString& title) {
    wxString label;
    for (wxUniChar c : title) {
        if (c == '&') {
            label += "&&";
        } else if (c < 0x20 || c == 0x7f) {
            label += ' ';
        } else {
            label += c;
        }
    }
    return label;
}

TrayAgent::TrayAgent(TraySystem& system, std::unique_ptr<wxConfigBase> settings, MappingReader readMappings,
                     std::function<void()> endAgent)
    : m_system(system),
      m_settings(std::move(settings)),
      m_readMappings(std::move(readMappings)),
      m_endAgent(std::move(endAgent)) {
    m_startAtLogin = ReadStartAtLogin(*m_settings);
    if (!IsServiceRunning()) {
        StartSyncService();
    }
    m_labels[0] = _("Open Veqora");
    m_labels[1] = _("Start at login");
    m_labels[2] = _("Exit");
}

TrayAgent::~TrayAgent() {
    WriteStartAtLogin();
}

std::vector<TrayMenuEntry> TrayAgent::OpenMenu() {
    wxArrayString titles;
    GetMappedFolderList(titles);
    std::vector<TrayMenuEntry> entries;
    entries.push_back({kOpenVeqoraCommand, MenuLabel(m_labels[0]), false, false});
    entries.push_back({kStartAtLoginCommand, MenuLabel(m_labels[1]), true, m_startAtLogin});
    entries.push_back({kExitCommand, MenuLabel(m_labels[2]), false, false});
    if (!titles.empty()) {
        entries.push_back({TrayMenuEntry::kSeparator, wxString(), false, false});
    }
    for (size_t i = 0; i < titles.size(); ++i) {
        entries.push_back({kFirstFolderCommand + static_cast<int>(i), MenuLabel(titles[i]), false, false});
    }
    return entries;
}

bool TrayAgent::HandleCommand(int id) {
    switch (id) {
    case kOpenVeqoraCommand:
        OnMenuOpenVEQ();
        return true;
    case kStartAtLoginCommand:
        OnStartAtLogin();
        return true;
    case kExitCommand:
        OnExit();
        return true;
    default:
        if (id >= kFirstFolderCommand && static_cast<size_t>(id - kFirstFolderCommand) < m_folders.size()) {
            OnMenuMappedFolder(static_cast<size_t>(id - kFirstFolderCommand));
            return true;
        }
        return false;
    }
}

void TrayAgent::GetMappedFolderList(wxArrayString& titles) {
    titles.clear();
    m_folders.clear();
    m_readMappings(m_folders);
    if (m_folders.size() > kMaxFolderItems) {
        VEQLOG(Warning) << "Only the first " << static_cast<unsigned long>(kMaxFolderItems) << " of "
                        << static_cast<unsigned long>(m_folders.size()) << " mapped folders are listed";
        m_folders.resize(kMaxFolderItems);
    }
    for (const stMappedFoldersDetail& folder : m_folders) {
        titles.push_back(MappedFolderTitle(folder.Folder));
    }
}

bool TrayAgent::IsServiceRunning() {
    std::vector<veqplatform::ProcessEntry> processes;
    if (m_system.ListProcesses(processes) != 0) {
        return false;
    }
    const std::string name = veqplatform::ProcessNameOf(kSyncDaemonExecutable);
    for (const veqplatform::ProcessEntry& process : processes) {
        if (process.name == name) {
            return true;
        }
    }
    return false;
}

void TrayAgent::StartSyncService() {
    const std::string path = veqplatform::UnderRoot(kSyncDaemonExecutable);
    if (!m_system.StartProgram(path)) {
        VEQLOG(Debug) << "Cannot start " << path;
    }
}

void TrayAgent::LaunchVEQApp() {
    const std::string path = veqplatform::UnderRoot(kMainApplicationExecutable);
    if (!m_system.StartProgram(path)) {
        VEQLOG(Debug) << "Cannot start " << path;
    }
}

bool TrayAgent::CloseApplication(const wxString& processName) {
    std::vector<veqplatform::ProcessEntry> processes;
    if (m_system.ListProcesses(processes) != 0) {
        return false;
    }
    const std::string name = processName.utf8_string();
    const uid_t user = getuid();
    for (const veqplatform::ProcessEntry& process : processes) {
        if (process.name == name && process.user == user) {
            return m_system.KillProcess(process.pid);
        }
    }
    return false;
}

void TrayAgent::OnMenuOpenVEQ() {
    LaunchVEQApp();
}

void TrayAgent::OnStartAtLogin() {
    m_startAtLogin = !m_startAtLogin;
    WriteStartAtLogin();
}

void TrayAgent::OnMenuMappedFolder(size_t index) {
    const wxString folder = m_folders[index].Folder;
    // The opener may report after the agent has gone (at "Exit").
    std::weak_ptr<bool> alive = m_alive;
    m_system.OpenFolder(folder.utf8_string(), [this, alive, folder](TraySystem::OpenFailure failure) {
        if (!alive.expired()) {
            ReportUnopenedFolder(folder, failure);
        }
    });
}

void TrayAgent::ReportUnopenedFolder(const wxString& folder, TraySystem::OpenFailure failure) {
    if (failure == TraySystem::OpenFailure::NO_FOLDER) {
        VEQLOG(Error) << "Cannot open the folder, it does not exist: " << folder;
        m_system.ShowError(
            wxString::Format(_("The folder \"%s\" cannot be opened: it does not exist any more."), folder));
    } else {
        VEQLOG(Error) << "Cannot open the folder, no file manager opened it: " << folder;
        m_system.ShowError(wxString::Format(
            _("The folder \"%s\" cannot be opened: no file manager is available to show it."), folder));
    }
}

void TrayAgent::OnExit() {
    CloseApplication(wxString::FromUTF8(veqplatform::ProcessNameOf(kMainApplicationExecutable)));
    m_endAgent();
}

void TrayAgent::WriteStartAtLogin() {
    m_settings->Write(kStartAtLoginKey, m_startAtLogin);
    m_settings->Flush();
}

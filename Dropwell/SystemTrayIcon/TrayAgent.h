// The tray agent's behaviour without its icon: the start-at-login flag, the
// mailbox-sync daemon, the menu's entries (rebuilt from the mapping file at
// each opening) and its commands, dispatched by item id. The icon (TrayIcon)
// only shows the entries and hands the chosen id back.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <wx/arrstr.h>
#include <wx/confbase.h>
#include <wx/string.h>

#include "MappedFolders.h"
#include "TraySystem.h"

enum TrayCommandId : int {
    kFirstFolderCommand = 4000,  // one id per listed folder, in list order
    kLastFolderCommand = 4999,
    kOpenVeqoraCommand = 5004,
    kStartAtLoginCommand = 5005,
    kExitCommand = 5006,
};

struct TrayMenuEntry {
    int id = 0;          // a TrayCommandId, or kSeparator
    wxString label;      // as the toolkit's menu takes it (markers escaped)
    bool checkable = false;
    bool checked = false;

    static const int kSeparator = -2;
};

extern const char kMainApplicationExecutable[];  // under VEQ_ROOT
extern const char kSyncDaemonExecutable[];       // under VEQ_ROOT

class TrayAgent {
public:
    using MappingReader = std::function<void(std::vector<stMappedFoldersDetail>&)>;

    // Reads the start-at-login flag from settings, starts the mailbox-sync
    // daemon when no process of its name runs and translates the labels.
    // endAgent is called after "Exit" has ended the main application.
    TrayAgent(TraySystem& system, std::unique_ptr<wxConfigBase> settings, MappingReader readMappings,
              std::function<void()> endAgent);
    // Writes the flag.
    ~TrayAgent();
    TrayAgent(const TrayAgent&) = delete;
    TrayAgent& operator=(const TrayAgent&) = delete;

    // The menu at its opening: "Open Veqora", "Start at login" with its check
    // mark, "Exit", then, when folders are mapped, a separator and one item
    // per distinct mapped folder.
    std::vector<TrayMenuEntry> OpenMenu();
    // Runs the command of a menu item; false for an id that names none. A
    // folder that cannot be opened (gone, or no file manager) is logged and
    // the user is told in a message box.
    bool HandleCommand(int id);

    // Fills titles with the menu titles of the folders read afresh.
    void GetMappedFolderList(wxArrayString& titles);
    const std::vector<stMappedFoldersDetail>& MappedFolders() const { return m_folders; }
    bool GetStartAtLoginStatus() const { return m_startAtLogin; }

    bool IsServiceRunning();
    void StartSyncService();
    void LaunchVEQApp();
    // Kills the first process of that name that belongs to this user.
    bool CloseApplication(const wxString& processName);

private:
    void OnMenuOpenVEQ();
    void OnStartAtLogin();
    void OnMenuMappedFolder(size_t index);
    void ReportUnopenedFolder(const wxString& folder, TraySystem::OpenFailure failure);
    void OnExit();
    void WriteStartAtLogin();

    TraySystem& m_system;
    std::unique_ptr<wxConfigBase> m_settings;
    MappingReader m_readMappings;
    std::function<void()> m_endAgent;
    std::vector<stMappedFoldersDetail> m_folders;  // of the last menu opening
    bool m_startAtLogin = true;
    wxString m_labels[3];
    // Lives as long as the agent: what reports later checks it first.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

// A title as a menu label: "&" kept as itself, control characters (a tab
// would make an accelerator) shown as blanks.
wxString MenuLabel(const wxString& title);

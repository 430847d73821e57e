// For the tray agent's tests on a virtual display: a tray icon whose menu
// openings the test can act on (keys typed into the open menu), and mapping
// files written by the store itself.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <wx/timer.h>
#include <wx/uiaction.h>

#include "DropwellTypes.h"
#include "MappingFileReader.h"
#include "SynchronizedReadWrite.h"
#include "TrayIcon.h"
#include "WxTestApp.h"

namespace traygui {

// Writes the mapping file through the store: one server, its mailboxes
// mapped to the folders given.
inline void WriteMappings(const std::vector<std::pair<std::string, std::string>>& mailboxesAndFolders) {
    DROPWELL::stServerFolderMapDetails server;
    server.NameIP = "127.0.0.1";
    server.DisplayName = "Office";
    server.Status = 1;
    int id = 0;
    for (const auto& mapping : mailboxesAndFolders) {
        DROPWELL::stFolderMapDetails detail;
        detail.MailboxName = wxString::FromUTF8(mapping.first);
        detail.Folder = wxString::FromUTF8(mapping.second);
        detail.Status = 1;
        server.MappedFolders[wxString::Format("%02d", ++id)] = detail;
    }
    SynchronizedReadWrite::GetInstance()->Write({server});
}

// A tray icon reading the real mapping file, that runs onOpen (once, a
// little after the menu is shown) at each opening of its menu.
class ObservedTrayIcon : public TrayIcon {
public:
    explicit ObservedTrayIcon(TraySystem& system)
        : TrayIcon(system, [this](std::vector<stMappedFoldersDetail>& list) {
              m_reader.GetFolderMapDetailsFromXML(list);
          }) {
        Bind(wxEVT_TIMER, [this](wxTimerEvent&) { onOpen(); });
    }

    wxMenu* CreatePopupMenu() override {
        wxMenu* menu = TrayIcon::CreatePopupMenu();
        menu->Bind(wxEVT_MENU_OPEN, [this](wxMenuEvent& event) {
            ++openings;
            if (onOpen) {
                m_timer.StartOnce(300);
            }
            event.Skip();
        });
        return menu;
    }

    // A left click on the icon, as the desktop reports it; returns when the menu has closed.
    void LeftClick() {
        wxTaskBarIconEvent event(wxEVT_TASKBAR_LEFT_DOWN, this);
        ProcessEvent(event);
    }

    int openings = 0;
    std::function<void()> onOpen;

private:
    MappingFileReader m_reader;
    wxTimer m_timer{this};
};

// Keys typed as from the keyboard into whatever has the focus (the open menu).
inline void TypeKeys(const std::vector<int>& keys) {
    wxUIActionSimulator keyboard;
    for (int key : keys) {
        keyboard.Char(key);
    }
}

}  // namespace traygui

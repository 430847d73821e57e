// The tray agent's icon in the desktop's status area. Its menu is built from
// the agent's entries at each opening, by a right click as the desktop offers
// it or by a left click; a chosen item goes back to the agent by its id.
#pragma once

#include <memory>

#include <wx/menu.h>
#include <wx/taskbar.h>

#include "TrayAgent.h"

class TrayIcon : public wxTaskBarIcon {
public:
    TrayIcon(TraySystem& system, TrayAgent::MappingReader readMappings);
    ~TrayIcon() override;

    // Shows the status image.
    void UpdateIcon();
    TrayAgent& Agent() { return *m_agent; }

    // The menu of this opening; the caller owns it.
    wxMenu* CreatePopupMenu() override;

    // The toolkit's ids for the commands of the fixed items are their command
    // ids moved past the toolkit's stock ids: 5004 to 5006 are Save As,
    // Revert and Quit there, items that GTK dresses with stock shortcuts
    // ("Ctrl+Q" beside "Exit"). Folder items keep their command ids.
    static int MenuItemId(int commandId);
    static int CommandId(int menuItemId);

private:
    void OnLeftClick(wxTaskBarIconEvent& event);
    void OnMenu(wxCommandEvent& event);

    std::unique_ptr<TrayAgent> m_agent;
};

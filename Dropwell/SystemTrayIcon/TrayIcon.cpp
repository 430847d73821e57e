#include "TrayIcon.h"

#include <wx/app.h>

#include "StatusImage.h"
#include "TraySettings.h"

namespace {

const int kFixedItemOffset = 1000;

// Ends the event loop once the menu's own loop has returned.
void EndAgent() {
    wxTheApp->CallAfter([]() { wxTheApp->ExitMainLoop(); });
}

}  // namespace

TrayIcon::TrayIcon(TraySystem& system, TrayAgent::MappingReader readMappings)
    : m_agent(std::make_unique<TrayAgent>(system, OpenTraySettings(), std::move(readMappings), &EndAgent)) {
    Bind(wxEVT_TASKBAR_LEFT_DOWN, &TrayIcon::OnLeftClick, this);
    Bind(wxEVT_MENU, &TrayIcon::OnMenu, this, kFirstFolderCommand, kLastFolderCommand);
    Bind(wxEVT_MENU, &TrayIcon::OnMenu, this, MenuItemId(kOpenVeqoraCommand), MenuItemId(kExitCommand));
}

TrayIcon::~TrayIcon() = default;

void TrayIcon::UpdateIcon() {
    SetIcon(wxBitmapBundle(LoadStatusImage()));
}

wxMenu* TrayIcon::CreatePopupMenu() {
    auto* menu = new wxMenu();
    for (const TrayMenuEntry& entry : m_agent->OpenMenu()) {
        if (entry.id == TrayMenuEntry::kSeparator) {
            menu->AppendSeparator();
        } else if (entry.checkable) {
            menu->AppendCheckItem(MenuItemId(entry.id), entry.label)->Check(entry.checked);
        } else {
            menu->Append(MenuItemId(entry.id), entry.label);
        }
    }
    return menu;
}

int TrayIcon::MenuItemId(int commandId) {
    return commandId > kLastFolderCommand ? commandId + kFixedItemOffset : commandId;
}

int TrayIcon::CommandId(int menuItemId) {
    return menuItemId > kLastFolderCommand + kFixedItemOffset ? menuItemId - kFixedItemOffset : menuItemId;
}

void TrayIcon::OnLeftClick(wxTaskBarIconEvent&) {
    std::unique_ptr<wxMenu> menu(CreatePopupMenu());
    PopupMenu(menu.get());
}

void TrayIcon::OnMenu(wxCommandEvent& event) {
    if (!m_agent->HandleCommand(CommandId(event.GetId()))) {
        event.Skip();
    }
}

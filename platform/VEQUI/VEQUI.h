// The main-UI panel: server choice (recent, typed or discovered) with the
// connection status, a mailbox with its jobs (retrieve, delete, refresh), the
// scan settings of the connected scanner with scan, and the progress of what
// runs, with cancel. It drives the plug-in it is given (see IPlugin.h).
//
// Inside a host's modal dialog (a plug-in in plugin mode) the panel ends the
// dialog with wxID_OK once a scan or retrieval has been downloaded; closing
// the dialog cancels what runs and ends it with wxID_CANCEL. An unattended
// run (VEQUI_AUTORUN, see AutorunRequest.h) that fails ends it with wxID_ABORT.
// In the main application an open mailbox can be mapped to a folder
// (libDropwellUI's mapping dialog), and "About" opens libDropwellUI's about box.
#pragma once

#include <memory>
#include <vector>

#include <wx/panel.h>

#include "AutorunRequest.h"
#include "IPlugin.h"
#include "VEQUIController.h"
#include "VEQUIExport.h"
#include "VEQUILaunchContext.h"

class wxButton;
class wxCloseEvent;
class wxComboBox;
class wxGauge;
class wxNotebook;
class wxStaticText;
class MailboxPage;
class ScanPage;

class VEQUI_API VEQUI : public wxPanel, private VEQUIController::Listener {
public:
    VEQUI(wxWindow* parent, std::shared_ptr<IPlugin> plugin,
          std::shared_ptr<VEQUILaunchContext> context);
    ~VEQUI() override;

private:
    void BuildControls();
    void StartUp();
    void UpdateControls();
    void EndDialog(int code);
    void FailAutorun(const wxString& reason);
    // Offers a controller in the server field, as "name (address)" when named.
    void AddServerChoice(const wxString& address, const wxString& name);
    // Puts text in the server field, shown from its start.
    void ShowServerChoice(const wxString& text);
    wxString ChosenAddress() const;
    // The status line: page is the tab the text belongs to (a finished
    // mailbox or scan operation); while an activity runs its text is shown on
    // both tabs. The gauge shows the value of the last progress (-1 pulses).
    enum class MessagePage { ALL, MAILBOX, SCAN };
    void SetProgressText(const wxString& text, MessagePage page = MessagePage::ALL);
    void ShowMessage();
    void ShowJobCount();

    void OnConnectButton();
    void OnOpenMailbox();
    void OnRetrieve();
    void OnDelete();
    void OnScan();
    void OnMapToFolder();
    void OnTopLevelClose(wxCloseEvent& event);

    // VEQUIController::Listener
    void OnActivityChanged(VEQUIController::Activity activity) override;
    void OnConnected(const VEQUIController::ConnectionDetails& details) override;
    void OnConnectFailed(const wxString& ip) override;
    void OnServerStatusChanged(VEQTypes::ServerStatus status) override;
    void OnConnectionLost(const wxString& message) override;
    void OnMailboxOpened(const wxString& name,
                         const std::vector<VEQTypes::VEQScannedJob>& jobs) override;
    void OnMailboxRefused(const wxString& name) override;
    void OnJobsChanged(const std::vector<VEQTypes::VEQScannedJob>& jobs) override;
    void OnAlert(const wxString& text) override;
    void OnProgress(const wxString& text, int percent) override;
    void OnOperationFinished(VEQUIController::Operation operation, VEQUIController::Outcome outcome,
                             const wxString& message) override;
    void OnServerDiscovered(const wxString& address, const wxString& name) override;
    void OnDiscoveryFinished() override;

    std::shared_ptr<IPlugin> m_plugin;
    std::shared_ptr<VEQUILaunchContext> m_context;
    std::unique_ptr<VEQUIController> m_controller;
    AutorunRequest m_autorun;
    bool m_autorunPending = false;  // the unattended action has not finished yet
    bool m_scanAllowed = false;
    // What the mapping dialog is given: the connected controller and the open mailbox.
    VEQUIController::ConnectionDetails m_connection;
    wxString m_openMailboxName;
    wxString m_openMailboxPassword;
    wxString m_serverLabel;          // the connected controller, "name (address)"
    wxString m_message;
    MessagePage m_messagePage = MessagePage::ALL;
    bool m_messageIsJobCount = false;  // kept current as the list changes
    int m_gaugeValue = 0;
    std::vector<wxString> m_foundAddresses;  // by the discovery that runs or ran last
    wxWindow* m_closeBoundTo = nullptr;

    wxComboBox* m_serverCombo = nullptr;
    wxButton* m_findButton = nullptr;
    wxButton* m_connectButton = nullptr;
    wxStaticText* m_connectionText = nullptr;
    wxNotebook* m_notebook = nullptr;
    MailboxPage* m_mailboxPage = nullptr;
    ScanPage* m_scanPage = nullptr;
    wxGauge* m_gauge = nullptr;
    wxStaticText* m_progressText = nullptr;
    wxButton* m_cancelButton = nullptr;
};

// A mailbox: its name and password, the list of its scanned jobs (name,
// pages, size, date) and the buttons that retrieve, delete and refresh.
#pragma once

#include <functional>
#include <vector>

#include <wx/panel.h>

#include "VEQTypes.h"

class wxButton;
class wxListCtrl;
class wxStaticText;
class wxTextCtrl;

class MailboxPage : public wxPanel {
public:
    explicit MailboxPage(wxWindow* parent);

    wxString GetMailboxName() const;
    wxString GetMailboxPassword() const;
    void SetCredentials(const wxString& name, const wxString& password);

    void ShowMailbox(const wxString& name, const std::vector<VEQTypes::VEQScannedJob>& jobs);
    void SetJobs(const std::vector<VEQTypes::VEQScannedJob>& jobs);
    void CloseMailbox(const wxString& notice);
    void SetSizeColumnHidden(bool hidden);
    bool SelectJob(int jobId);
    // Null when no job is selected.
    const VEQTypes::VEQScannedJob* GetSelectedJob() const;
    const VEQTypes::VEQScannedJob* FindJob(int jobId) const;

    // connected: a server is connected; idle: no activity runs.
    void UpdateControls(bool connected, bool mailboxOpen, bool idle);

    std::function<void()> m_onOpen;
    std::function<void()> m_onRetrieve;
    std::function<void()> m_onDelete;
    std::function<void()> m_onRefresh;

private:
    void FillList();

    std::vector<VEQTypes::VEQScannedJob> m_jobs;
    bool m_sizeHidden = false;
    wxTextCtrl* m_name;
    wxTextCtrl* m_password;
    wxButton* m_openButton;
    wxStaticText* m_caption;
    wxListCtrl* m_list;
    wxButton* m_retrieveButton;
    wxButton* m_deleteButton;
    wxButton* m_refreshButton;
};

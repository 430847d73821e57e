// A mailbox: its name and password, the list of its scanned jobs (name,
// pages, size, date) and the buttons that retrieve, delete and refresh; in the
// main application also the one that maps the mailbox to a folder. The
// list takes the room the page has: pages, size and date are as wide as
// their texts, the name gets the rest, a scroll bar stands beside rows that
// overflow, and a job's whole name shows as the tooltip of its row (none
// over the empty space below the rows).
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
    size_t GetJobCount() const { return m_jobs.size(); }
    bool SelectJob(int jobId);
    // Null when no job is selected.
    const VEQTypes::VEQScannedJob* GetSelectedJob() const;
    const VEQTypes::VEQScannedJob* FindJob(int jobId) const;

    // Offers "Map to Folder..." (m_onMapToFolder) while a mailbox is open.
    void ShowMapButton();

    // connected: a server is connected; idle: no activity runs.
    void UpdateControls(bool connected, bool mailboxOpen, bool idle);

    std::function<void()> m_onOpen;
    std::function<void()> m_onRetrieve;
    std::function<void()> m_onDelete;
    std::function<void()> m_onRefresh;
    std::function<void()> m_onMapToFolder;

private:
    void FillList();
    void FitColumns();
    wxWindow* RowsWindow() const;
    // The rows' tooltip: the whole name of the job at position (in the rows'
    // window), none over empty space or at wxDefaultPosition.
    void ShowRowTip(const wxPoint& position);
    void ShowRowTipAtPointer();

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
    wxButton* m_mapButton;
};

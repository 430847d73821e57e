#include "MailboxPage.h"

#include <algorithm>

#include <wx/button.h>
#include <wx/intl.h>
#include <wx/listctrl.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include "ClassicScrollBars.h"

namespace {

enum Column { NAME_COLUMN = 0, PAGES_COLUMN, SIZE_COLUMN, DATE_COLUMN };

// Room around a cell's text, and the least a job's name gets.
constexpr int kCellPadding = 16;
constexpr int kMinNameWidth = 90;

wxButton* MakeButton(wxWindow* parent, const wxString& label, const wxString& name) {
    return new wxButton(parent, wxID_ANY, label, wxDefaultPosition, wxDefaultSize, 0,
                        wxDefaultValidator, name);
}

void Call(const std::function<void()>& handler) {
    if (handler) {
        handler();
    }
}

}  // namespace

MailboxPage::MailboxPage(wxWindow* parent) : wxPanel(parent, wxID_ANY) {
    auto* grid = new wxFlexGridSizer(2, wxSize(10, 8));
    grid->AddGrowableCol(1, 1);
    grid->Add(new wxStaticText(this, wxID_ANY, _("Mailbox:")), 0, wxALIGN_CENTER_VERTICAL);
    m_name = new wxTextCtrl(this, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize,
                            wxTE_PROCESS_ENTER, wxDefaultValidator, "MailboxName");
    grid->Add(m_name, 1, wxEXPAND);
    grid->Add(new wxStaticText(this, wxID_ANY, _("Password:")), 0, wxALIGN_CENTER_VERTICAL);
    m_password = new wxTextCtrl(this, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize,
                                wxTE_PASSWORD | wxTE_PROCESS_ENTER, wxDefaultValidator,
                                "MailboxPassword");
    grid->Add(m_password, 1, wxEXPAND);
    m_openButton = MakeButton(this, _("Open"), "OpenMailbox");

    m_caption = new wxStaticText(this, wxID_ANY, _("No mailbox open."));
    m_list = new wxListCtrl(this, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                            wxLC_REPORT | wxLC_SINGLE_SEL, wxDefaultValidator, "JobList");
    UseClassicScrollBars(m_list);
    m_list->AppendColumn(_("Name"), wxLIST_FORMAT_LEFT);
    m_list->AppendColumn(_("Pages"), wxLIST_FORMAT_RIGHT);
    m_list->AppendColumn(_("Size"), wxLIST_FORMAT_RIGHT);
    m_list->AppendColumn(_("Date"), wxLIST_FORMAT_LEFT);
    m_list->Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
        event.Skip();
        CallAfter(&MailboxPage::FitColumns);  // once the new client size is known
    });
    // A column dragged wider would push the others out of view: the columns
    // go back to fitting their texts.
    m_list->Bind(wxEVT_LIST_COL_END_DRAG, [this](wxListEvent& event) {
        event.Skip();
        CallAfter(&MailboxPage::FitColumns);
    });
    // The rows are drawn by the list's first child window (the header is the
    // second), which gets the mouse.
    if (wxWindow* rows = RowsWindow()) {
        const auto pointerAt = [this](wxMouseEvent& event) {
            event.Skip();
            ShowRowTip(event.GetPosition());
        };
        rows->Bind(wxEVT_MOTION, pointerAt);
        // Entering counts as a move: the pointer may come back from the tooltip
        // window that it landed on, onto another row.
        rows->Bind(wxEVT_ENTER_WINDOW, pointerAt);
        rows->Bind(wxEVT_LEAVE_WINDOW, [this](wxMouseEvent& event) {
            event.Skip();
            ShowRowTip(wxDefaultPosition);
        });
    }

    m_retrieveButton = MakeButton(this, _("Retrieve"), "RetrieveJob");
    m_deleteButton = MakeButton(this, _("Delete"), "DeleteJob");
    m_refreshButton = MakeButton(this, _("Refresh"), "RefreshJobs");
    // Narrower than a default button of its long label (which leaves no gap before Delete in
    // the opening width): its label with a little padding, as tall as the row.
    m_mapButton = new wxButton(this, wxID_ANY, _("Map to Folder..."), wxDefaultPosition, wxDefaultSize,
                               wxBU_EXACTFIT, wxDefaultValidator, "MapToFolder");
    m_mapButton->SetMinSize(wxSize(m_mapButton->GetBestSize().x + 16, -1));
    m_mapButton->Hide();

    m_openButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Call(m_onOpen); });
    m_name->Bind(wxEVT_TEXT_ENTER, [this](wxCommandEvent&) { Call(m_onOpen); });
    m_password->Bind(wxEVT_TEXT_ENTER, [this](wxCommandEvent&) { Call(m_onOpen); });
    m_retrieveButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Call(m_onRetrieve); });
    m_list->Bind(wxEVT_LIST_ITEM_ACTIVATED, [this](wxListEvent&) { Call(m_onRetrieve); });
    m_deleteButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Call(m_onDelete); });
    m_refreshButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Call(m_onRefresh); });
    m_mapButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Call(m_onMapToFolder); });

    auto* openRow = new wxBoxSizer(wxHORIZONTAL);
    openRow->Add(grid, 1, wxEXPAND);
    openRow->Add(m_openButton, 0, wxALIGN_BOTTOM | wxLEFT, 10);
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->Add(m_refreshButton, 0);
    buttons->Add(m_mapButton, 0, wxEXPAND | wxLEFT | wxRIGHT, 8);
    buttons->AddStretchSpacer(1);
    buttons->Add(m_deleteButton, 0, wxRIGHT, 8);
    buttons->Add(m_retrieveButton, 0);

    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(openRow, 0, wxEXPAND | wxALL, 12);
    sizer->Add(m_caption, 0, wxEXPAND | wxLEFT | wxRIGHT, 12);
    sizer->Add(m_list, 1, wxEXPAND | wxALL, 12);
    sizer->Add(buttons, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 12);
    SetSizer(sizer);
    UpdateControls(false, false, true);
}

wxString MailboxPage::GetMailboxName() const {
    return m_name->GetValue();
}

wxString MailboxPage::GetMailboxPassword() const {
    return m_password->GetValue();
}

void MailboxPage::SetCredentials(const wxString& name, const wxString& password) {
    m_name->ChangeValue(name);
    m_password->ChangeValue(password);
}

void MailboxPage::ShowMailbox(const wxString& name, const std::vector<VEQTypes::VEQScannedJob>& jobs) {
    m_caption->SetLabel(name.empty() ? _("Jobs in the default mailbox:")
                                     : wxString::Format(_("Jobs in mailbox \"%s\":"), name));
    SetJobs(jobs);
}

void MailboxPage::SetJobs(const std::vector<VEQTypes::VEQScannedJob>& jobs) {
    const VEQTypes::VEQScannedJob* selected = GetSelectedJob();
    const int selectedId = selected ? selected->m_id : 0;
    m_jobs = jobs;
    FillList();
    if (selectedId != 0) {
        SelectJob(selectedId);
    }
}

void MailboxPage::CloseMailbox(const wxString& notice) {
    m_jobs.clear();
    FillList();
    m_caption->SetLabel(notice);
}

void MailboxPage::SetSizeColumnHidden(bool hidden) {
    m_sizeHidden = hidden;
    FillList();
}

void MailboxPage::FitColumns() {
    const int columns = m_list->GetColumnCount();
    std::vector<int> widths(static_cast<size_t>(columns), 0);
    for (int column = 0; column < columns; ++column) {
        wxListItem header;
        header.SetMask(wxLIST_MASK_TEXT);
        m_list->GetColumn(column, header);
        widths[column] = m_list->GetTextExtent(header.GetText()).GetWidth() + kCellPadding;
        for (long row = 0; row < m_list->GetItemCount(); ++row) {
            const int width = m_list->GetTextExtent(m_list->GetItemText(row, column)).GetWidth() + kCellPadding;
            widths[column] = std::max(widths[column], width);
        }
    }
    if (m_sizeHidden) {
        widths[SIZE_COLUMN] = 0;
    }
    int others = 0;
    for (int column = 0; column < columns; ++column) {
        others += column == NAME_COLUMN ? 0 : widths[column];
    }
    // The name takes what the other columns leave; a long one is cut, and
    // its row's tooltip shows it whole.
    const int room = m_list->GetClientSize().GetWidth() - others;
    widths[NAME_COLUMN] = std::max(room, kMinNameWidth);
    for (int column = 0; column < columns; ++column) {
        if (m_list->GetColumnWidth(column) != widths[column]) {
            m_list->SetColumnWidth(column, widths[column]);
        }
    }
}

wxWindow* MailboxPage::RowsWindow() const {
    return m_list->GetChildren().empty() ? nullptr : m_list->GetChildren().front();
}

void MailboxPage::ShowRowTip(const wxPoint& position) {
    wxWindow* rows = RowsWindow();
    if (!rows) {
        return;
    }
    int flags = 0;
    const long row = position == wxDefaultPosition ? wxNOT_FOUND : m_list->HitTest(position, flags);
    const bool onRow = row >= 0 && static_cast<size_t>(row) < m_jobs.size();
    const wxString tip = onRow ? m_jobs[static_cast<size_t>(row)].m_name : wxString();
    if (rows->GetToolTipText() == tip) {
        return;
    }
    if (tip.empty()) {
        rows->UnsetToolTip();
    } else {
        rows->SetToolTip(tip);
    }
}

void MailboxPage::ShowRowTipAtPointer() {
    wxWindow* rows = RowsWindow();
    if (!rows) {
        return;
    }
    const wxPoint pointer = rows->ScreenToClient(wxGetMousePosition());
    ShowRowTip(wxRect(rows->GetClientSize()).Contains(pointer) ? pointer : wxDefaultPosition);
}

void MailboxPage::FillList() {
    m_list->DeleteAllItems();
    for (size_t i = 0; i < m_jobs.size(); ++i) {
        const VEQTypes::VEQScannedJob& job = m_jobs[i];
        const long row = m_list->InsertItem(static_cast<long>(i), job.m_name);
        m_list->SetItem(row, PAGES_COLUMN, wxString::Format("%d", job.m_pageCount));
        m_list->SetItem(row, SIZE_COLUMN, m_sizeHidden ? wxString() : job.m_sizeText);
        m_list->SetItem(row, DATE_COLUMN, job.m_dateText);
        m_list->SetItemData(row, static_cast<long>(i));
    }
    FitColumns();
    // The rows moved under a pointer that did not.
    ShowRowTipAtPointer();
}

bool MailboxPage::SelectJob(int jobId) {
    for (size_t i = 0; i < m_jobs.size(); ++i) {
        if (m_jobs[i].m_id == jobId) {
            m_list->SetItemState(static_cast<long>(i), wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                                 wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
            m_list->EnsureVisible(static_cast<long>(i));
            return true;
        }
    }
    return false;
}

const VEQTypes::VEQScannedJob* MailboxPage::GetSelectedJob() const {
    const long row = m_list->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
    if (row < 0 || static_cast<size_t>(row) >= m_jobs.size()) {
        return nullptr;
    }
    return &m_jobs[static_cast<size_t>(row)];
}

const VEQTypes::VEQScannedJob* MailboxPage::FindJob(int jobId) const {
    for (const VEQTypes::VEQScannedJob& job : m_jobs) {
        if (job.m_id == jobId) {
            return &job;
        }
    }
    return nullptr;
}

void MailboxPage::ShowMapButton() {
    m_mapButton->Show();
    Layout();
}

void MailboxPage::UpdateControls(bool connected, bool mailboxOpen, bool idle) {
    m_name->Enable(connected && idle);
    m_password->Enable(connected && idle);
    m_openButton->Enable(connected && idle);
    m_list->Enable(mailboxOpen);
    m_retrieveButton->Enable(mailboxOpen && idle);
    m_deleteButton->Enable(mailboxOpen && idle);
    m_refreshButton->Enable(mailboxOpen && idle);
    m_mapButton->Enable(mailboxOpen && idle);
}

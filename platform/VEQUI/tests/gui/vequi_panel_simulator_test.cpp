// The panel in a resizable window against a simulated controller, driven
// through its widgets as a user would: a controller that hangs, resumes or
// drops its connections, a wrong password, refreshes and automatic updates,
// a retrieval's progress and destination, discovery, and the job list as the
// window changes size.
#include <gtest/gtest.h>

#include <set>

#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/frame.h>
#include <wx/listctrl.h>
#include <wx/notebook.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/tooltip.h>
#include <wx/uiaction.h>

#include "SaveToFolderPlugin.h"
#include "TestSupport.h"
#include "VEQConfig.h"
#include "VEQDataSource.h"
#include "VEQUI.h"
#include "WxTestApp.h"
#include "ZeltoSim.h"

// Last: Xlib defines names (Status among them) that the data source's headers use.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

using veqfake::PumpBriefly;
using veqfake::PumpUntil;

const wxString kController = "Zelto Studio (127.0.0.1)";
const wxString kLost = "Zelto Studio (127.0.0.1) did not answer or closed the connection.";

// The width of the tooltip the display shows, 0 when none is shown: the
// toolkit's tooltips are windows of their own, of the tooltip type.
int ShownTooltipWidth() {
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        return 0;
    }
    const Atom typeProperty = XInternAtom(display, "_NET_WM_WINDOW_TYPE", False);
    const Atom tooltipType = XInternAtom(display, "_NET_WM_WINDOW_TYPE_TOOLTIP", False);
    int width = 0;
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) {
        for (unsigned i = 0; i < count; ++i) {
            XWindowAttributes attributes;
            Atom type = 0;
            int format = 0;
            unsigned long items = 0, left = 0;
            unsigned char* value = nullptr;
            if (XGetWindowAttributes(display, children[i], &attributes) && attributes.map_state == IsViewable &&
                XGetWindowProperty(display, children[i], typeProperty, 0, 1, False, XA_ATOM, &type, &format, &items,
                                   &left, &value) == Success && value) {
                if (items == 1 && *reinterpret_cast<Atom*>(value) == tooltipType) {
                    width = attributes.width;
                }
                XFree(value);
            }
        }
        if (children) {
            XFree(children);
        }
    }
    XCloseDisplay(display);
    return width;
}

class PanelOnSimulatorTest : public testing::Test {
protected:
    void SetUp() override {
        veqfake::EnsureWxApp();
        m_sim.Start("127.0.0.1", 0);
        m_port = std::make_unique<veqtest::ScopedEnv>("VELLORA_PORT", std::to_string(m_sim.Port()).c_str());
        VEQDataSource::Get().GetConfig()->SetCurrentServer({"127.0.0.1", wxString(), wxString()});
    }
    void TearDown() override {
        CloseWindow();
        m_sim.Resume();
    }

    // Opens the window; with a current server set, the panel connects at once.
    void OpenWindow() {
        CloseWindow();
        m_frame = new wxFrame(nullptr, wxID_ANY, "Veqora", wxPoint(0, 0), wxSize(450, 610));
        auto* sizer = new wxBoxSizer(wxVERTICAL);
        sizer->Add(new VEQUI(m_frame, std::make_shared<veqtest::SaveToFolderPlugin>(m_folder.Path()), nullptr),
                   1, wxEXPAND);
        m_frame->SetSizer(sizer);
        m_frame->Show();
    }
    void CloseWindow() {
        if (m_frame) {
            m_frame->Destroy();
            m_frame = nullptr;
            PumpBriefly();
        }
    }
    void OpenConnected() {
        OpenWindow();
        ASSERT_TRUE(WaitFor("ConnectionStatus", "Connected to " + kController));
    }

    template <typename T>
    T* Get(const wxString& name) const {
        return wxDynamicCast(wxWindow::FindWindowByName(name, m_frame), T);
    }
    wxString Label(const wxString& name) const {
        wxWindow* window = wxWindow::FindWindowByName(name, m_frame);
        return window ? window->GetLabel() : wxString("<none>");
    }
    bool Enabled(const wxString& name) const {
        wxWindow* window = wxWindow::FindWindowByName(name, m_frame);
        return window && window->IsEnabled();
    }
    bool WaitFor(const wxString& name, const wxString& label,
                 std::chrono::milliseconds limit = std::chrono::seconds(15)) {
        const bool seen = PumpUntil([&]() { return Label(name) == label; }, limit);
        if (!seen) {
            ADD_FAILURE() << name << " shows \"" << Label(name) << "\", not \"" << label << "\"";
        }
        return seen;
    }
    void Click(const wxString& name) {
        auto* button = Get<wxButton>(name);
        ASSERT_NE(button, nullptr) << name;
        ASSERT_TRUE(button->IsEnabled()) << name;
        wxCommandEvent click(wxEVT_BUTTON, button->GetId());
        click.SetEventObject(button);
        button->ProcessWindowEvent(click);
    }
    void OpenMailbox(const wxString& name, const wxString& password) {
        Get<wxTextCtrl>("MailboxName")->ChangeValue(name);
        Get<wxTextCtrl>("MailboxPassword")->ChangeValue(password);
        Click("OpenMailbox");
    }
    int Rows() const { return Get<wxListCtrl>("JobList")->GetItemCount(); }
    wxString Heading() const {
        // The heading is the static text right above the list.
        wxWindow* list = Get<wxListCtrl>("JobList");
        const wxWindowList& siblings = list->GetParent()->GetChildren();
        wxWindow* previous = nullptr;
        for (wxWindow* window : siblings) {
            if (window == list) {
                break;
            }
            previous = window;
        }
        return previous ? previous->GetLabel() : wxString();
    }
    // On the screen, a point inside a row of the job list (also below the last row).
    wxPoint RowPoint(long row) const {
        auto* list = Get<wxListCtrl>("JobList");
        wxWindow* rows = list->GetChildren().front();
        wxRect first;
        list->GetItemRect(0, first);
        const wxPoint inRows(first.x + 20, first.y + first.height * row + first.height / 2);
        // The rectangle may be the list's; the rows' window lies below the header.
        const wxPoint point = list->ClientToScreen(inRows);
        return rows->GetScreenRect().Contains(point) ? point : rows->ClientToScreen(inRows);
    }
    void ShowTab(const wxString& title) {
        wxNotebook* book = nullptr;
        for (wxWindow* window : m_frame->GetChildren().front()->GetChildren()) {
            book = book ? book : wxDynamicCast(window, wxNotebook);
        }
        ASSERT_NE(book, nullptr);
        for (size_t i = 0; i < book->GetPageCount(); ++i) {
            if (book->GetPageText(i) == title) {
                book->SetSelection(i);  // sends the page-change event, as a click does
            }
        }
        PumpBriefly();
    }

    zeltosim::Simulator m_sim;
    veqtest::ScopedEnv m_timeout{"VELLORA_TIMEOUT_MS", "4000"};
    std::unique_ptr<veqtest::ScopedEnv> m_port;
    veqtest::TempDir m_folder;
    wxFrame* m_frame = nullptr;
};

// The controller stops answering while a mailbox opens: the user may wait for
// the time-out, cancel, or disconnect; none of it reads as a wrong password,
// and once the controller answers again the mailbox opens.
TEST_F(PanelOnSimulatorTest, AHungControllerIsReportedAsSuchAndEveryWaitCanBeLeft) {
    enum Action { WAIT, CANCEL, DISCONNECT };
    const struct {
        const char* name;
        Action action;
    } cases[] = {{"wait for the time-out", WAIT}, {"cancel", CANCEL}, {"disconnect", DISCONNECT}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OpenConnected();
        m_sim.Hang();
        OpenMailbox("Accounting", "1234");
        EXPECT_EQ(Label("ProgressText"), "Opening the mailbox...");
        EXPECT_TRUE(Enabled("CancelOperation"));
        EXPECT_TRUE(Enabled("ConnectServer"));
        EXPECT_EQ(Label("ConnectServer"), "Disconnect");
        switch (c.action) {
        case WAIT:
            ASSERT_TRUE(WaitFor("ProgressText", kLost));
            EXPECT_EQ(Label("ConnectionStatus"), "Connection to " + kController + " lost");
            EXPECT_EQ(Label("ConnectServer"), "Connect");
            break;
        case CANCEL:
            Click("CancelOperation");
            EXPECT_EQ(Label("ProgressText"), "Cancelled.");
            EXPECT_EQ(Label("ConnectionStatus"), "Connected to " + kController);
            EXPECT_TRUE(Enabled("OpenMailbox"));
            break;
        case DISCONNECT:
            Click("ConnectServer");
            EXPECT_EQ(Label("ConnectionStatus"), "Not connected");
            EXPECT_EQ(Label("ProgressText"), "");
            break;
        }
        EXPECT_EQ(Rows(), 0);
        EXPECT_EQ(Heading(), "No mailbox open.");
        m_sim.Resume();
        if (c.action != CANCEL) {
            Click("ConnectServer");
            ASSERT_TRUE(WaitFor("ConnectionStatus", "Connected to " + kController));
        }
        OpenMailbox("Accounting", "1234");
        ASSERT_TRUE(WaitFor("ProgressText", "2 job(s) in the mailbox."));
        EXPECT_EQ(Rows(), 2);
        EXPECT_EQ(Heading(), "Jobs in mailbox \"Accounting\":");
    }
}

TEST_F(PanelOnSimulatorTest, ALoginToAHungControllerCanBeCancelled) {
    m_sim.Hang();
    OpenWindow();
    ASSERT_TRUE(WaitFor("ConnectionStatus", "Connecting to 127.0.0.1..."));
    ASSERT_TRUE(Enabled("CancelOperation"));
    Click("CancelOperation");
    EXPECT_EQ(Label("ConnectionStatus"), "Not connected");
    EXPECT_EQ(Label("ProgressText"), "Cancelled.");
    EXPECT_TRUE(Enabled("ConnectServer"));
    EXPECT_TRUE(Enabled("ServerAddress"));
    m_sim.Resume();
    Click("ConnectServer");
    ASSERT_TRUE(WaitFor("ConnectionStatus", "Connected to " + kController));
}

TEST_F(PanelOnSimulatorTest, DroppedConnectionsAreReportedAndTheNextConnectWorks) {
    OpenConnected();
    OpenMailbox("Accounting", "1234");
    ASSERT_TRUE(WaitFor("ProgressText", "2 job(s) in the mailbox."));
    m_sim.DropConnections();
    ASSERT_TRUE(WaitFor("ConnectionStatus", "Connection to " + kController + " lost"));
    EXPECT_EQ(Label("ProgressText"), kLost);
    EXPECT_EQ(Rows(), 0);
    EXPECT_FALSE(Enabled("RetrieveJob"));
    Click("ConnectServer");
    ASSERT_TRUE(WaitFor("ConnectionStatus", "Connected to " + kController));
    EXPECT_EQ(Label("ProgressText"), "");
}

// The list, its heading and the status line agree after a refresh, an update
// the controller announces, a refused password and a reconnect; a mailbox's
// message stays on the mailbox tab.
TEST_F(PanelOnSimulatorTest, TheListItsHeadingAndTheStatusLineDescribeTheCurrentMailbox) {
    OpenConnected();
    OpenMailbox("Accounting", "1234");
    ASSERT_TRUE(WaitFor("ProgressText", "2 job(s) in the mailbox."));

    // A job the controller announces, then a refresh: the count follows the list.
    zeltosim::JobOptions job;
    job.mailbox = "Accounting";
    job.name = "Late scan";
    const int lateId = m_sim.AddJob(job);
    ASSERT_TRUE(WaitFor("ProgressText", "3 job(s) in the mailbox.")) << "the announced job";
    EXPECT_EQ(Rows(), 3);
    Click("RefreshJobs");
    ASSERT_TRUE(WaitFor("ProgressText", "3 job(s) in the mailbox."));
    EXPECT_EQ(Rows(), 3);
    m_sim.DeleteJob(lateId);
    ASSERT_TRUE(WaitFor("ProgressText", "2 job(s) in the mailbox."));
    EXPECT_EQ(Rows(), 2);

    // A wrong password leaves no jobs of the mailbox before.
    OpenMailbox("Accounting", "9999");
    ASSERT_TRUE(WaitFor("ProgressText", "The mailbox \"Accounting\" or its password is not correct."));
    EXPECT_EQ(Rows(), 0);
    EXPECT_EQ(Heading(), "No mailbox open.");
    EXPECT_FALSE(Enabled("RetrieveJob"));

    // The message is the mailbox tab's.
    ShowTab("Scan");
    EXPECT_EQ(Label("ProgressText"), "");
    ShowTab("Mailbox");
    EXPECT_EQ(Label("ProgressText"), "The mailbox \"Accounting\" or its password is not correct.");

    // Disconnecting and connecting again leave no old message.
    Click("ConnectServer");
    EXPECT_EQ(Label("ProgressText"), "");
    Click("ConnectServer");
    ASSERT_TRUE(WaitFor("ConnectionStatus", "Connected to " + kController));
    EXPECT_EQ(Label("ProgressText"), "");

    // The default mailbox has a name a user can read.
    OpenMailbox("", "");
    ASSERT_TRUE(WaitFor("ProgressText", "3 job(s) in the mailbox."));
    EXPECT_EQ(Heading(), "Jobs in the default mailbox:");
    OpenMailbox("", "secret");
    ASSERT_TRUE(WaitFor("ProgressText", "The password of the default mailbox is not correct."));
}

TEST_F(PanelOnSimulatorTest, ARetrievalShowsItsPercentageAndTheFolderTheJobWentTo) {
    zeltosim::JobOptions big;
    big.mailbox = "Accounting";
    big.name = "Large scan";
    big.formats = {"PDF"};
    big.paddingBytesPerPage = 4u << 20;  // several chunks of data
    const int bigId = m_sim.AddJob(big);
    m_sim.SlowTransfer(bigId, 8u << 20);
    OpenConnected();
    OpenMailbox("Accounting", "1234");
    ASSERT_TRUE(WaitFor("ProgressText", "3 job(s) in the mailbox."));
    auto* list = Get<wxListCtrl>("JobList");
    long row = -1;
    for (long i = 0; i < list->GetItemCount(); ++i) {
        row = list->GetItemText(i) == "Large scan" ? i : row;
    }
    ASSERT_GE(row, 0);
    list->SetItemState(row, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    Click("RetrieveJob");

    std::set<wxString> shown;
    const wxString done = wxString::Format("The job has been saved in %s.", m_folder.Path());
    ASSERT_TRUE(PumpUntil([&]() {
        shown.insert(Label("ProgressText"));
        return Label("ProgressText") == done;
    }, std::chrono::seconds(20))) << Label("ProgressText");
    bool percentShown = false;
    for (const wxString& text : shown) {
        long percent = 0;
        if (text.StartsWith("Downloading... ") && text.EndsWith("%") &&
            text.Mid(15, text.length() - 16).ToLong(&percent) && percent > 0 && percent < 100) {
            percentShown = true;
        }
    }
    EXPECT_TRUE(percentShown) << "no percentage between 0 and 100 was shown";
    EXPECT_TRUE(veqtest::FileExists(m_folder / "Large scan.pdf"));
}

TEST_F(PanelOnSimulatorTest, AControllerThatHangsDuringARetrievalIsReportedAsLost) {
    zeltosim::JobOptions big;
    big.mailbox = "Accounting";
    big.name = "Large scan";
    big.formats = {"PDF"};
    big.paddingBytesPerPage = 4u << 20;
    const int bigId = m_sim.AddJob(big);
    m_sim.SlowTransfer(bigId, 2u << 20);
    OpenConnected();
    OpenMailbox("Accounting", "1234");
    ASSERT_TRUE(WaitFor("ProgressText", "3 job(s) in the mailbox."));
    auto* list = Get<wxListCtrl>("JobList");
    list->SetItemState(list->FindItem(-1, "Large scan"), wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    Click("RetrieveJob");
    ASSERT_TRUE(PumpUntil([&]() { return Label("ProgressText").StartsWith("Downloading... "); }));
    m_sim.Hang();
    ASSERT_TRUE(WaitFor("ProgressText", kLost));
    EXPECT_EQ(Label("ConnectionStatus"), "Connection to " + kController + " lost");
    EXPECT_FALSE(Enabled("CancelOperation"));
}

TEST_F(PanelOnSimulatorTest, FoundControllersAreOfferedByNameAndConnectByAddress) {
    VEQDataSource::Get().GetConfig()->SetCurrentServer({wxString(), wxString(), wxString()});
    OpenWindow();  // nothing to connect to: the panel looks for controllers
    auto* combo = Get<wxComboBox>("ServerAddress");
    ASSERT_TRUE(PumpUntil([&]() { return combo->FindString(kController, true) != wxNOT_FOUND; },
                          std::chrono::seconds(15)));
    EXPECT_EQ(combo->GetValue(), kController);
    EXPECT_EQ(combo->GetInsertionPoint(), 0) << "shown from its start";
    ASSERT_TRUE(PumpUntil([&]() { return Enabled("FindServers"); }));
    Click("ConnectServer");
    ASSERT_TRUE(WaitFor("ConnectionStatus", "Connected to " + kController));
    EXPECT_EQ(VEQDataSource::Get().GetConfig()->GetCurrentServer().m_ip, "127.0.0.1");
}

// The job list takes the room of a larger window, its columns fit their
// texts with the date in view, and a row's tooltip holds the whole name.
TEST_F(PanelOnSimulatorTest, TheJobListTakesTheRoomAndShowsWholeNamesAsTooltips) {
    OpenConnected();
    OpenMailbox("Accounting", "1234");
    ASSERT_TRUE(WaitFor("ProgressText", "2 job(s) in the mailbox."));
    auto* list = Get<wxListCtrl>("JobList");
    auto columnsFit = [list]() {
        int total = 0;
        for (int column = 0; column < list->GetColumnCount(); ++column) {
            total += list->GetColumnWidth(column);
        }
        return total <= list->GetClientSize().GetWidth();
    };
    std::vector<wxSize> listSizes;
    for (const wxSize size : {wxSize(450, 610), wxSize(820, 760)}) {
        SCOPED_TRACE(size.GetWidth());
        const wxSize before = list->GetSize();
        m_frame->SetSize(size);
        ASSERT_TRUE(PumpUntil([&]() { return columnsFit() && list->GetSize() != before; },
                              std::chrono::seconds(3)) || size == wxSize(450, 610));
        PumpBriefly();
        EXPECT_TRUE(columnsFit());
        for (int column = 1; column < list->GetColumnCount(); ++column) {
            for (long row = 0; row < list->GetItemCount(); ++row) {
                EXPECT_GE(list->GetColumnWidth(column), list->GetTextExtent(list->GetItemText(row, column)).GetWidth())
                    << "column " << column << " row " << row;
            }
        }
        listSizes.push_back(list->GetSize());
    }
    EXPECT_GE(listSizes[1].GetHeight() - listSizes[0].GetHeight(), 140)
        << "the list did not take the room of 150 more pixels";

    // Back to the smaller window; the rows are placed once the list has its size again.
    m_frame->SetSize(wxSize(450, 610));
    ASSERT_TRUE(PumpUntil([&]() { return list->GetSize() == listSizes[0]; }, std::chrono::seconds(3)));
    wxWindow* rows = list->GetChildren().front();
    wxUIActionSimulator mouse;
    mouse.MouseMove(RowPoint(0));
    ASSERT_TRUE(PumpUntil([&]() { return rows->GetToolTipText() == list->GetItemText(0); },
                          std::chrono::seconds(5)))
        << "tooltip \"" << rows->GetToolTipText() << "\"";
}

// The tooltip the display shows follows the pointer from row to row, and
// none is shown over the empty space that a deleted job's row leaves.
TEST_F(PanelOnSimulatorTest, TheTooltipShownIsThatOfTheRowUnderThePointer) {
    zeltosim::JobOptions job;
    job.mailbox = "Accounting";
    job.name = "Quarterly statement for the regional offices, north and south of the river";
    const int longId = m_sim.AddJob(job);
    OpenConnected();
    OpenMailbox("Accounting", "1234");
    ASSERT_TRUE(WaitFor("ProgressText", "3 job(s) in the mailbox."));
    auto* list = Get<wxListCtrl>("JobList");
    const long longRow = list->FindItem(-1, wxString::FromUTF8(job.name));
    const long shortRow = longRow - 1;  // the row above
    ASSERT_GE(longRow, 1);
    wxWindow* rows = list->GetChildren().front();
    wxUIActionSimulator mouse;

    mouse.MouseMove(RowPoint(shortRow));
    int shortWidth = 0;
    ASSERT_TRUE(PumpUntil([&]() { return (shortWidth = ShownTooltipWidth()) > 0; }, std::chrono::seconds(5)))
        << "no tooltip over row " << shortRow;
    EXPECT_EQ(rows->GetToolTipText(), list->GetItemText(shortRow));

    // One row down, which puts the pointer on the tooltip shown below it: the
    // row's own, much longer name is shown.
    mouse.MouseMove(RowPoint(longRow));
    int longWidth = 0;
    EXPECT_TRUE(PumpUntil([&]() { return (longWidth = ShownTooltipWidth()) > shortWidth + 100; },
                          std::chrono::seconds(5)))
        << "the tooltip shown is " << longWidth << " wide, that of the row before " << shortWidth;
    EXPECT_EQ(rows->GetToolTipText(), wxString::FromUTF8(job.name));

    // The job goes while the pointer rests on its row, now empty space.
    const wxPoint resting = RowPoint(longRow) + wxPoint(60, 0);
    mouse.MouseMove(resting);
    ASSERT_TRUE(PumpUntil([&]() { return ShownTooltipWidth() > 0; }, std::chrono::seconds(5)));
    m_sim.DeleteJob(longId);
    ASSERT_TRUE(WaitFor("ProgressText", "2 job(s) in the mailbox."));
    ASSERT_EQ(list->GetItemCount(), 2);
    EXPECT_TRUE(PumpUntil([&]() { return ShownTooltipWidth() == 0; }, std::chrono::seconds(5)))
        << "a tooltip stays over empty space";
    EXPECT_EQ(rows->GetToolTipText(), "");
    // Moving over the empty space shows none either.
    mouse.MouseMove(resting + wxPoint(30, 10));
    PumpUntil([]() { return false; }, std::chrono::milliseconds(1500));  // longer than the tooltip's delay
    EXPECT_EQ(ShownTooltipWidth(), 0);
    EXPECT_EQ(rows->GetToolTipText(), "");
}

// The controller's name is wider than the field in the window's first size.
// Set while the field had the cursor at its end (the user clicked into it,
// then connected again), it is still shown from its start, not "lto Studio
// (127.0.0.1)": the field scrolls to keep the insertion point in view.
TEST_F(PanelOnSimulatorTest, TheControllerFieldShowsItsTextFromItsStart) {
    OpenConnected();
    auto* combo = Get<wxComboBox>("ServerAddress");
    EXPECT_EQ(combo->GetValue(), kController);
    EXPECT_EQ(combo->GetInsertionPoint(), 0);
    Click("ConnectServer");  // disconnects
    m_frame->Raise();        // the window and the field get the keyboard
    combo->SetFocus();
    combo->SetInsertionPointEnd();
    PumpBriefly();
    Click("ConnectServer");
    ASSERT_TRUE(WaitFor("ConnectionStatus", "Connected to " + kController));
    EXPECT_EQ(combo->GetValue(), kController);
    EXPECT_EQ(combo->GetInsertionPoint(), 0);
}

// A scroll bar beside the rows once they overflow (it takes room from them;
// the toolkit's default, a bar drawn over the rows only for a moment after
// they change, would not), none before.
TEST_F(PanelOnSimulatorTest, AScrollBarShowsOnceTheRowsOverflow) {
    OpenConnected();
    OpenMailbox("Accounting", "1234");
    ASSERT_TRUE(WaitFor("ProgressText", "2 job(s) in the mailbox."));
    auto* list = Get<wxListCtrl>("JobList");
    const int fullWidth = list->GetSize().GetWidth();
    PumpBriefly();
    EXPECT_EQ(list->GetClientSize().GetWidth(), fullWidth) << "no bar with room to spare";
    for (int i = 0; i < 6; ++i) {
        zeltosim::JobOptions job;
        job.mailbox = "Accounting";
        job.name = "Scan " + std::to_string(i);
        m_sim.AddJob(job);
    }
    ASSERT_TRUE(WaitFor("ProgressText", "8 job(s) in the mailbox."));
    wxRect last;
    ASSERT_TRUE(list->GetItemRect(7, last));
    ASSERT_GT(last.GetBottom(), list->GetClientSize().GetHeight()) << "all rows fit: nothing to show";
    auto columnsWidth = [list]() {
        int total = 0;
        for (int column = 0; column < list->GetColumnCount(); ++column) {
            total += list->GetColumnWidth(column);
        }
        return total;
    };
    PumpUntil([]() { return false; }, std::chrono::seconds(2));  // past the moment after the change
    EXPECT_LT(list->GetClientSize().GetWidth(), fullWidth) << "no scroll bar beside the rows";
    // The columns fit the narrower rows: no sideways scrolling, also when all
    // the rows come at once (the bar appears after they are placed).
    EXPECT_LE(columnsWidth(), list->GetClientSize().GetWidth());
    OpenMailbox("Accounting", "1234");
    ASSERT_TRUE(WaitFor("ProgressText", "8 job(s) in the mailbox."));
    PumpUntil([]() { return false; }, std::chrono::seconds(2));
    EXPECT_LT(list->GetClientSize().GetWidth(), fullWidth);
    EXPECT_LE(columnsWidth(), list->GetClientSize().GetWidth()) << "reopened";
}

}  // namespace

// The panel of the mapping dialog: its messages and icons for folder, server
// and privacy problems, when OK may be pressed, the dialog's height, and the
// privacy warning's links.
#include <gtest/gtest.h>

#include <wx/checkbox.h>
#include <wx/frame.h>
#include <wx/textctrl.h>

#include "AlertPanel.h"
#include "AnsweredDialogs.h"
#include "DropwellDialog.h"
#include "MailboxToFolderPanel.h"
#include "MappingTestSupport.h"
#include "UnsupportedLocMsgDlg.h"
#include "VEQPreferences.h"

namespace {

using namespace mappingtest;
using Icon = MailboxToFolderPanel::StatusIcon;

const char* const kFolderProblem = "Can't access destination folder. Check your network connection and try again.";
const char* const kServerProblem = "Can't connect to the mailbox. Check your network connection and try again.";

std::string PreferencesFile() {
    return veqplatform::UnderRoot("/Library/Application Support/Veqora/VEQPreferences.json");
}

class MappingPanel : public MappingTest {
protected:
    void TearDown() override {
        if (m_dialog) m_dialog->Destroy();
        MappingTest::TearDown();
    }

    DropwellDialog* Open(const stMailBoxInfo& mailbox) {
        if (m_dialog) m_dialog->Destroy();
        m_dialog = new DropwellDialog(DropwellManager::GetInstance(), mailbox, "", nullptr, 1002, "Veqora");
        return m_dialog;
    }
    MailboxToFolderPanel* Panel() { return m_dialog->GetPanel(); }
    AlertPanel* Alert() { return Panel()->GetAlertPanel(); }
    bool OkEnabled() { return wxWindow::FindWindowById(wxID_OK, m_dialog)->IsEnabled(); }
    wxCheckBox* Box() {
        return wxDynamicCast(wxWindow::FindWindowById(MailboxToFolderPanel::ID_ENABLE_MAPPING, m_dialog), wxCheckBox);
    }
    wxString Path() {
        return wxDynamicCast(wxWindow::FindWindowById(MailboxToFolderPanel::ID_FOLDER_PATH, m_dialog), wxTextCtrl)
            ->GetValue();
    }
    std::string Message() {
        wxString text = Alert()->GetMessageText()->GetLabelText();
        text.Replace("\n", " ");
        return Utf8(text);
    }
    void Tick(bool on) {
        Box()->SetValue(on);
        wxCommandEvent tick(wxEVT_CHECKBOX, MailboxToFolderPanel::ID_ENABLE_MAPPING);
        tick.SetInt(on);
        Box()->GetEventHandler()->ProcessEvent(tick);
    }
    void Browse(const std::string& folder) {
        ChooserAnswers(folder);
        Press(*Panel(), MailboxToFolderPanel::ID_BROWSE);
    }
    std::string Desktop() {
        return std::string(getenv("HOME")) + "/Desktop";
    }

    DropwellDialog* m_dialog = nullptr;
};

struct ProblemRow {
    const char* what;
    const char* folder;  // below the sandbox, or below the Desktop with "desktop/"
    bool create;         // the folder exists
    int serverStatus;
    const char* message;  // "" for none shown; "privacy" for the privacy text
    Icon icon;
    bool okEnabled;
};

TEST_F(MappingPanel, ProblemsShowTheirMessageIconAndOkState) {
    ::mkdir(Desktop().c_str(), 0755);
    const ProblemRow rows[] = {
        {"writable folder", "scans", true, 1, "", Icon::Ok, false},
        {"missing folder", "gone", false, 1, kFolderProblem, Icon::FolderProblem, false},
        {"server unreachable", "scans2", true, 3, kServerProblem, Icon::ScannerProblem, false},
        {"both", "gone2", false, 3, kServerProblem, Icon::ScannerProblem, false},
        {"privacy folder", "desktop/scans", true, 1, "privacy", Icon::Ok, false},  // OK starts disabled
        {"privacy folder not writable", "desktop/gone", false, 1, kFolderProblem, Icon::FolderProblem, false},
    };
    int n = 0;
    for (const ProblemRow& row : rows) {
        SCOPED_TRACE(row.what);
        std::string name = row.folder;
        std::string folder;
        if (name.rfind("desktop/", 0) == 0) {
            folder = Desktop() + "/" + name.substr(8);
            if (row.create) ::mkdir(folder.c_str(), 0755);
        } else {
            folder = row.create ? Folder(name) : m_folders / name;
        }
        const stMailBoxInfo mailbox = Mailbox(wxString::Format("Box%d", n++));
        stMailBoxInfo onServer = mailbox;
        onServer.NameIP = wxString::Format("127.0.0.%d", n + 1);  // a server record of its own
        DropwellManager::GetInstance()->DoDropwell(onServer, wxString::FromUTF8(folder), Mapped(row.serverStatus));
        Open(onServer);
        EXPECT_TRUE(Box()->GetValue());
        EXPECT_EQ(Utf8(Path()), folder);
        EXPECT_EQ(Panel()->GetStatusIcon(), row.icon);
        EXPECT_EQ(OkEnabled(), row.okEnabled);
        const std::string expected = row.message;
        EXPECT_EQ(Alert()->IsShown(), !expected.empty());
        const bool privacy = expected == "privacy";
        EXPECT_EQ(Alert()->GetMoreInfoLink()->IsShown(), privacy);
        EXPECT_EQ(Alert()->GetDismissLink()->IsShown(), privacy);
        if (privacy) {
            EXPECT_EQ(Message(),
                      "The selected location Desktop will not be accessible by Veqora, until you grant access in "
                      "System Preferences > Security & Privacy > Privacy > Full Disk Access.");
        } else if (!expected.empty()) {
            EXPECT_EQ(Message(), expected);
        }
    }
}

TEST_F(MappingPanel, NoPrivacyWarningOnceTheyAreSwitchedOff) {
    VEQPreferences::Get().SetValue<int>(VEQPrefKeys::g_ShouldShowPrivacyFolderWarningMessage, 0);
    const std::string folder = Desktop() + "/scans";
    ::mkdir(Desktop().c_str(), 0755);
    ::mkdir(folder.c_str(), 0755);
    DropwellManager::GetInstance()->DoDropwell(Mailbox(), wxString::FromUTF8(folder), Mapped());
    Open(Mailbox());
    EXPECT_FALSE(Alert()->IsShown());
    EXPECT_FALSE(OkEnabled());
    EXPECT_EQ(m_dialog->GetSize(), wxSize(450, 390));
}

TEST_F(MappingPanel, AnUnmappedMailboxStartsWithoutProblems) {
    Open(Mailbox("Fresh"));
    EXPECT_FALSE(Box()->GetValue());
    EXPECT_FALSE(OkEnabled());
    EXPECT_FALSE(Alert()->IsShown());
    Tick(true);  // no folder yet
    EXPECT_TRUE(Box()->GetValue());
    EXPECT_FALSE(OkEnabled());
    EXPECT_EQ(Path(), "");
    EXPECT_EQ(Panel()->GetStatusIcon(), Icon::CannotLink);
    Browse(Folder("new"));
    EXPECT_FALSE(Alert()->IsShown());  // no stale "Can't connect" from an unset status
    EXPECT_EQ(Panel()->GetStatusIcon(), Icon::Ok);
    EXPECT_TRUE(OkEnabled());
    wxString folder;
    DROPWELL::stFolderMapStatus status{};
    Panel()->GetFolderMapDetails(folder, status);
    EXPECT_EQ(status.mapped, 1);
    EXPECT_EQ(status.mailboxStatus, 1);
    EXPECT_EQ(status.serverStatus, 0);
}

TEST_F(MappingPanel, UntickingAShownFolderEnablesOkAndHidesTheRowAndAlert) {
    const std::string missing = m_folders / "missing";
    DropwellManager::GetInstance()->DoDropwell(Mailbox(), wxString::FromUTF8(missing), Mapped());
    Open(Mailbox());
    ASSERT_TRUE(Alert()->IsShown());
    Tick(false);
    EXPECT_TRUE(OkEnabled());
    EXPECT_FALSE(Box()->GetValue());
    EXPECT_FALSE(Alert()->IsShown());
    EXPECT_FALSE(wxWindow::FindWindowById(MailboxToFolderPanel::ID_FOLDER_PATH, m_dialog)->IsShown());
}

TEST_F(MappingPanel, ChoosingTheSameFolderAgainLeavesOkDisabledUnlessPrivacyWarns) {
    const std::string folder = Folder("scans");
    DropwellManager::GetInstance()->DoDropwell(Mailbox(), wxString::FromUTF8(folder), Mapped());
    Open(Mailbox());
    Browse(folder);
    EXPECT_FALSE(OkEnabled());
    Browse(Folder("other"));
    EXPECT_TRUE(OkEnabled());
    Browse(folder);
    EXPECT_FALSE(OkEnabled());
    // Cancelling the chooser changes nothing.
    SetFolderChooser([](wxWindow*, wxString&) { return false; });
    Press(*Panel(), MailboxToFolderPanel::ID_BROWSE);
    EXPECT_EQ(Utf8(Path()), folder);

    ::mkdir(Desktop().c_str(), 0755);
    const std::string desk = Desktop() + "/scans";
    ::mkdir(desk.c_str(), 0755);
    DropwellManager::GetInstance()->DoDropwell(Mailbox("Desk"), wxString::FromUTF8(desk), Mapped());
    Open(Mailbox("Desk"));
    EXPECT_FALSE(OkEnabled());  // whatever the stored state
    Browse(desk);
    EXPECT_TRUE(OkEnabled());  // the same folder, but the privacy warning enables OK
}

// "Browse..." opens the system's folder chooser, with a title; a cancel there changes nothing.
TEST_F(MappingPanel, TheSystemFolderChooserHasATitle) {
    const std::string folder = Folder("scans");
    DropwellManager::GetInstance()->DoDropwell(Mailbox(), wxString::FromUTF8(folder), Mapped());
    Open(Mailbox());
    SetFolderChooser(nullptr);
    veqfake::AnsweredDialogs dialogs(wxID_CANCEL);
    Press(*Panel(), MailboxToFolderPanel::ID_BROWSE);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].title, "Choose Folder");
    EXPECT_EQ(Utf8(Path()), folder);
}

TEST_F(MappingPanel, DismissWritesBothPreferencesAsZeroAndHidesTheAlert) {
    ::mkdir(Desktop().c_str(), 0755);
    const std::string desk = Desktop() + "/scans";
    ::mkdir(desk.c_str(), 0755);
    DropwellManager::GetInstance()->DoDropwell(Mailbox(), wxString::FromUTF8(desk), Mapped());
    Open(Mailbox());
    ASSERT_TRUE(Alert()->GetDismissLink()->IsShown());
    wxHyperlinkEvent dismiss(Alert()->GetDismissLink(), Alert()->GetDismissLink()->GetId(), "");
    Alert()->GetDismissLink()->GetEventHandler()->ProcessEvent(dismiss);
    EXPECT_FALSE(Alert()->IsShown());
    EXPECT_FALSE(Alert()->GetDismissLink()->IsShown());
    const std::string saved = veqtest::ReadFile(PreferencesFile());
    EXPECT_NE(saved.find("\"ShouldShowPrivacyFolderWarningMessage\": \"0\""), std::string::npos) << saved;
    EXPECT_NE(saved.find("\"ShouldShowStartupPrivacyFolderWarningMessage\": \"0\""), std::string::npos) << saved;
    // Later dialogs neither warn nor grow.
    Open(Mailbox());
    EXPECT_FALSE(Alert()->IsShown());
    EXPECT_EQ(m_dialog->GetSize(), wxSize(450, 390));
}

TEST_F(MappingPanel, MoreInfoExplainsFullDiskAccessForTheLocation) {
    ::mkdir(Desktop().c_str(), 0755);
    const std::string desk = Desktop() + "/scans";
    ::mkdir(desk.c_str(), 0755);
    DropwellManager::GetInstance()->DoDropwell(Mailbox(), wxString::FromUTF8(desk), Mapped());
    Open(Mailbox());
    wxHyperlinkCtrl* more = Alert()->GetMoreInfoLink();
    ASSERT_TRUE(more->IsShown());
    wxString shownTitle;
    int openings = 0;
    m_dialog->CallAfter([&]() {
        for (wxWindow* window : wxTopLevelWindows) {
            if (auto* explanation = wxDynamicCast(window, wxDialog)) {
                if (explanation != m_dialog && explanation->IsModal()) {
                    ++openings;
                    shownTitle = explanation->GetTitle();
                    explanation->EndModal(wxID_OK);
                }
            }
        }
    });
    wxHyperlinkEvent click(more, more->GetId(), "");
    more->GetEventHandler()->ProcessEvent(click);
    EXPECT_EQ(openings, 1);
    EXPECT_EQ(shownTitle, "Veqora");
}

TEST_F(MappingPanel, AlertMessagesAreWrappedAtThreeHundredFiftyPixels) {
    wxFrame frame(nullptr, wxID_ANY, "Veqora");
    AlertPanel alert(&frame, wxDefaultSize);
    const wxString message =
        "The folder on the shared drive of the accounting office could not be reached this morning";
    alert.SetErrorMessage(message);
    const wxString shown = alert.GetMessageText()->GetLabelText();
    EXPECT_TRUE(shown.Contains("\n")) << shown;
    for (const wxString& line : wxSplit(shown, '\n')) {
        EXPECT_LE(alert.GetTextExtent(line).x, 350) << line;
    }
    wxString joined = shown;
    joined.Replace("\n", " ");
    EXPECT_EQ(joined, message);
    EXPECT_FALSE(alert.GetMoreInfoLink()->IsShown());
    EXPECT_FALSE(alert.GetDismissLink()->IsShown());
}

TEST_F(MappingPanel, ExplanationNamesTheLocationAndTheApplication) {
    UnsupportedLocMsgDlg dialog(nullptr, "Documents");
    EXPECT_GE(dialog.GetSize().x, 700);
    wxString all;
    for (wxWindow* child : dialog.GetChildren()) {
        if (auto* text = wxDynamicCast(child, wxControl)) all += text->GetLabelText() + " ";
    }
    all.Replace("\n", " ");
    EXPECT_TRUE(all.Contains("The selected location Documents will not be accessible by Veqora")) << all;
    EXPECT_TRUE(all.Contains("System Preferences > Security & Privacy > Privacy")) << all;
    EXPECT_TRUE(all.Contains("3.    Select Veqora in the Applications folder and click Open.")) << all;
    EXPECT_NE(wxWindow::FindWindowById(wxID_OK, &dialog), nullptr);
}

struct HeightRow {
    const char* version;
    const char* preference;  // nullptr: the file has none
    int height;
};

TEST(MappingDialogHeight, TallerOnlyFromTenFifteenWhileWarningsAreOn) {
    const HeightRow rows[] = {
        {"10.15", nullptr, 450}, {"12.0", "1", 450}, {"11.2", "1", 450},
        {"10.14", "1", 390},     {"12.0", "0", 390}, {"12.0", "often", 450},  // not a number: the default
    };
    for (const HeightRow& row : rows) {
        const veqtest::ChildResult child = veqtest::RunInChild([&row]() {
            setenv("VEQ_MACOS_VERSION", row.version, 1);
            veqtest::TempDir root;
            setenv("VEQ_ROOT", root.Path().c_str(), 1);
            if (row.preference) {
                const std::string config = root.Path() + "/Library/Application Support/Veqora";
                for (const std::string& part : {root.Path() + "/Library", root.Path() + "/Library/Application Support", config})
                    ::mkdir(part.c_str(), 0755);
                veqtest::WriteFile(config + "/VEQPreferences.json",
                                   std::string("{\"ShouldShowPrivacyFolderWarningMessage\": \"") + row.preference + "\"}");
            }
            veqfake::EnsureWxApp();
            auto* dialog = new DropwellDialog(DropwellManager::GetInstance(), Mailbox(), "", nullptr, 1002, "Veqora");
            const int height = dialog->GetSize().y;
            dialog->Destroy();
            return height == 450 ? 45 : height == 390 ? 39 : 1;
        });
        EXPECT_TRUE(child.exited) << row.version << child.output;
        EXPECT_EQ(child.status * 10, row.height) << row.version << " " << (row.preference ? row.preference : "none")
                                                 << child.output;
    }
}

}  // namespace

// The library as the main user interface meets it: entry points looked up by
// their unmangled names, mapping with and without the dialog.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/stat.h>

#include <wx/checkbox.h>
#include <wx/frame.h>

#include "DropwellTypes.h"
#include "DropwellUIEntryPoints.h"
#include "FolderChooser.h"
#include "TestSupport.h"
#include "VeqRoot.h"
#include "WxTestApp.h"

namespace {

std::string MappingFile() {
    return veqplatform::UnderRoot("/Library/Application Support/Veqora/Dropwell/VEQ_Dropwell.xml");
}
std::string SignalFile() {
    return veqplatform::UnderRoot("/Library/Application Support/Veqora/Dropwell/VEQFMWATCH_100804659.txt");
}

stMailBoxInfo Mailbox(const wxString& id = "Accounting") {
    return stMailBoxInfo{"127.0.0.1", "Front Office", id, id, "1234"};
}

TEST(EntryPoints, AreExportedWithUnmangledNames) {
    void* library = dlopen((veqtest::BuildDir() + "/lib/libDropwellUI.so").c_str(), RTLD_NOW);
    ASSERT_NE(library, nullptr) << dlerror();
    for (const char* name : {"DoDropwellUI", "GetDropwellStatus", "DoDropwell", "ShowVEQAboutScreen"}) {
        EXPECT_NE(dlsym(library, name), nullptr) << name;
    }
}

TEST(EntryPoints, DoDropwellMapsWithAFolderAndUnmapsWithout) {
    veqtest::TempDir folders;
    const std::string scans = folders / "scans";
    ::mkdir(scans.c_str(), 0755);
    struct Row {
        const char* id;
        std::string folder;
        int mapped;
        const char* storedStatus;  // the mailbox status in the file, nullptr when not stored
    } rows[] = {
        {"Accounting", scans, 1, "Status=\"1\""},
        {"Sales", folders / "missing", 1, "Status=\"2\""},
        {"Accounting", "", 0, nullptr},
    };
    for (const Row& row : rows) {
        wxString folder = wxString::FromUTF8(row.folder);
        stMailBoxInfo mailbox = Mailbox(row.id);
        EXPECT_EQ(DoDropwell(&mailbox, folder), row.mapped) << row.id;
        wxString found = "untouched";
        EXPECT_EQ(GetDropwellStatus(&mailbox, &found), row.mapped) << row.id;
        if (row.mapped) {
            EXPECT_EQ(found, folder);
            const std::string file = veqtest::ReadFile(MappingFile());
            const std::string element = "Mailbox=\"" + std::string(row.id) + "\"";
            const size_t at = file.find(element);
            ASSERT_NE(at, std::string::npos) << file;
            EXPECT_NE(file.find(row.storedStatus, at), std::string::npos) << file;
        } else {
            EXPECT_EQ(found, "untouched");
        }
    }
    EXPECT_FALSE(veqtest::FileExists(SignalFile()));
}

TEST(EntryPoints, StatusOfAnUnmappedMailboxIsZero) {
    stMailBoxInfo mailbox = Mailbox("Nobody");
    wxString folder = "as it was";
    EXPECT_EQ(GetDropwellStatus(&mailbox, &folder), 0);
    EXPECT_EQ(folder, "as it was");
}

// Presses the mapping dialog's controls once it runs.
void DriveDialog(const std::function<void(wxWindow&)>& step) {
    wxTheApp->CallAfter([step]() {
        wxWindow* dialog = wxWindow::FindWindowByName("VEQ_Dropwell_Dialog");
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->GetId(), 1002);
        EXPECT_EQ(dialog->GetLabel(), "Veqora");
        step(*dialog);
    });
}

void Press(wxWindow& dialog, int id) {
    wxCommandEvent click(wxEVT_BUTTON, id);
    wxWindow* target = wxWindow::FindWindowById(id, &dialog);
    click.SetEventObject(target);
    target->GetEventHandler()->ProcessEvent(click);
}

TEST(EntryPoints, DialogMapsThroughTheChosenFolder) {
    veqfake::EnsureWxApp();
    veqtest::TempDir folders;
    const std::string scans = folders / "scans";
    ::mkdir(scans.c_str(), 0755);
    SetFolderChooser([scans](wxWindow*, wxString& folder) {
        folder = wxString::FromUTF8(scans);
        return true;
    });
    stMailBoxInfo mailbox = Mailbox();
    wxString text = "caller's text";
    DriveDialog([](wxWindow& dialog) {
        auto* box = wxDynamicCast(wxWindow::FindWindowById(4000, &dialog), wxCheckBox);
        box->SetValue(true);
        wxCommandEvent tick(wxEVT_CHECKBOX, 4000);
        tick.SetInt(1);
        box->GetEventHandler()->ProcessEvent(tick);
        Press(dialog, 4002);
        Press(dialog, wxID_OK);
    });
    EXPECT_EQ(DoDropwellUI(&mailbox, &text, nullptr), 1);
    wxString folder;
    EXPECT_EQ(GetDropwellStatus(&mailbox, &folder), 1);
    EXPECT_EQ(folder, wxString::FromUTF8(scans));
    EXPECT_TRUE(veqtest::FileExists(SignalFile()));
    SetFolderChooser(nullptr);
}

TEST(EntryPoints, AMalformedPreferenceCountsAsTheDefault) {
    const std::string config = veqplatform::UnderRoot("/Library/Application Support/Veqora");
    for (const std::string& part : {veqplatform::UnderRoot("/Library"), veqplatform::UnderRoot("/Library/Application Support"), config})
        ::mkdir(part.c_str(), 0755);
    veqtest::WriteFile(config + "/VEQPreferences.json", "{\"ShouldShowPrivacyFolderWarningMessage\": \"sometimes\"}");
    veqfake::EnsureWxApp();
    stMailBoxInfo mailbox = Mailbox();
    wxString text;
    int height = 0;
    DriveDialog([&height](wxWindow& dialog) {
        height = dialog.GetSize().y;
        Press(dialog, wxID_CANCEL);
    });
    EXPECT_NO_THROW(EXPECT_EQ(DoDropwellUI(&mailbox, &text, nullptr), 0));
    EXPECT_EQ(height, 450);
}

TEST(EntryPoints, AboutScreenOpensWithoutBlocking) {
    veqfake::EnsureWxApp();
    wxFrame parent(nullptr, wxID_ANY, "Veqora");
    parent.Show();
    ShowVEQAboutScreen(&parent);
    wxWindow* about = nullptr;
    for (wxWindow* window : wxTopLevelWindows) {
        if (window != &parent && window->IsShown()) about = window;
    }
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->GetSize(), wxSize(502, 460));
    about->Destroy();
}

}  // namespace

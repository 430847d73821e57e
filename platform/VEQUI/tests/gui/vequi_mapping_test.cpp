// In the main application the panel maps an open mailbox to a folder through
// the mapping dialog, also unattended (VEQUI_AUTORUN=map:...).
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <wx/frame.h>
#include <wx/sizer.h>

#include "DropwellTypes.h"
#include "DropwellUIEntryPoints.h"
#include "FakePlugin.h"
#include "TestSupport.h"
#include "VEQConfig.h"
#include "VEQDataSource.h"
#include "VEQUI.h"
#include "WxTestApp.h"

namespace {

using veqfake::FakePlugin;

class MappingFromThePanel : public testing::Test {
protected:
    void SetUp() override {
        veqfake::EnsureWxApp();
        m_plugin = std::make_shared<FakePlugin>();
        m_plugin->m_pluginMode = false;  // the main application's panel
        m_plugin->ScanAPI()->AddMailbox("Accounting", "1234")->AddJob(7, "Invoice", 2);
        VEQDataSource::Get().GetConfig()->SetCurrentServer({"127.0.0.1", "Fake Controller", "Fake C1"});
        m_frame = new wxFrame(nullptr, wxID_ANY, "Veqora", wxDefaultPosition, wxSize(450, 610));
        m_folder = m_folders / "scans";
        ::mkdir(m_folder.c_str(), 0755);
    }
    void TearDown() override { m_frame->Destroy(); }

    void ShowPanel() {
        auto* sizer = new wxBoxSizer(wxVERTICAL);
        sizer->Add(new VEQUI(m_frame, m_plugin, nullptr), 1, wxEXPAND);
        m_frame->SetSizer(sizer);
        m_frame->Show();
    }
    int MappedFolder(wxString& folder) {
        stMailBoxInfo mailbox{"127.0.0.1", "", "Accounting", "Accounting", "1234"};
        return GetDropwellStatus(&mailbox, &folder);
    }

    std::shared_ptr<FakePlugin> m_plugin;
    wxFrame* m_frame = nullptr;
    veqtest::TempDir m_folders;
    std::string m_folder;
};

TEST_F(MappingFromThePanel, UnattendedRunMapsTheMailboxToTheFolder) {
    veqtest::ScopedEnv autorun("VEQUI_AUTORUN", ("map:Accounting:1234:" + m_folder).c_str());
    ShowPanel();
    wxString folder;
    EXPECT_TRUE(veqfake::PumpUntil([&]() { return MappedFolder(folder) == 1; }, std::chrono::seconds(20)));
    EXPECT_EQ(folder, wxString::FromUTF8(m_folder));
    // The dialog is gone and the panel says where the mailbox is mapped.
    EXPECT_TRUE(veqfake::PumpUntil([]() {
        wxTheApp->ProcessIdle();  // where closed windows are deleted
        return wxWindow::FindWindowByName("VEQ_Dropwell_Dialog") == nullptr;
    }));
    wxWindow* progress = wxWindow::FindWindowByName("ProgressText", m_frame);
    ASSERT_NE(progress, nullptr);
    EXPECT_TRUE(progress->GetLabel().Contains(wxString::FromUTF8(m_folder))) << progress->GetLabel();
}

TEST_F(MappingFromThePanel, MessageAndButtonsStayInsideTheWindow) {
    // A long folder path: the message is cut with an ellipsis inside the window.
    const std::string folder = m_folders / "Office archive with a rather long name for the scans of 2026";
    ::mkdir(folder.c_str(), 0755);
    veqtest::ScopedEnv autorun("VEQUI_AUTORUN", ("map:Accounting:1234:" + folder).c_str());
    ShowPanel();
    wxString mapped;
    EXPECT_TRUE(veqfake::PumpUntil([&]() { return MappedFolder(mapped) == 1; }, std::chrono::seconds(20)));
    wxWindow* progress = wxWindow::FindWindowByName("ProgressText", m_frame);
    ASSERT_NE(progress, nullptr);
    EXPECT_TRUE(veqfake::PumpUntil([&]() { return progress->GetLabel().Contains("scans of 2026"); }));
    veqfake::PumpUntil([]() { return false; }, std::chrono::milliseconds(500));  // the relayout
    EXPECT_LE(progress->GetRect().GetRight(), progress->GetParent()->GetClientSize().x - 12)
        << progress->GetRect().GetRight() << " " << progress->GetParent()->GetClientSize().x;
    // The map button keeps a gap to the button beside it.
    wxWindow* map = wxWindow::FindWindowByName("MapToFolder", m_frame);
    wxWindow* remove = wxWindow::FindWindowByName("DeleteJob", m_frame);
    ASSERT_NE(map, nullptr);
    ASSERT_NE(remove, nullptr);
    EXPECT_GE(remove->GetRect().GetLeft() - map->GetRect().GetRight(), 8)
        << "map ends at " << map->GetRect().GetRight() << ", delete starts at " << remove->GetRect().GetLeft();
}

TEST_F(MappingFromThePanel, MapButtonIsOfferedForAnOpenMailboxOnly) {
    veqtest::ScopedEnv autorun("VEQUI_AUTORUN", "mailbox:Accounting:1234");
    ShowPanel();
    wxWindow* map = wxWindow::FindWindowByName("MapToFolder", m_frame);
    ASSERT_NE(map, nullptr);
    EXPECT_TRUE(map->IsShown());
    EXPECT_FALSE(map->IsEnabled());
    EXPECT_TRUE(veqfake::PumpUntil([map]() { return map->IsEnabled(); }, std::chrono::seconds(20)));
    // Pressing it opens the mapping dialog for that mailbox; Cancel leaves it unmapped.
    wxString shownMailbox;
    wxTheApp->CallAfter([&shownMailbox]() {
        wxWindow* dialog = wxWindow::FindWindowByName("VEQ_Dropwell_Dialog");
        ASSERT_NE(dialog, nullptr);
        shownMailbox = "opened";
        wxCommandEvent cancel(wxEVT_BUTTON, wxID_CANCEL);
        wxWindow::FindWindowById(wxID_CANCEL, dialog)->GetEventHandler()->ProcessEvent(cancel);
    });
    wxCommandEvent click(wxEVT_BUTTON, map->GetId());
    click.SetEventObject(map);
    map->GetEventHandler()->ProcessEvent(click);
    EXPECT_EQ(shownMailbox, "opened");
    wxString folder;
    EXPECT_EQ(MappedFolder(folder), 0);
}

TEST(MappingFromThePluginPanel, OffersNoMapButton) {
    veqfake::EnsureWxApp();
    auto plugin = std::make_shared<FakePlugin>();
    wxFrame* frame = new wxFrame(nullptr, wxID_ANY, "Veqora");
    new VEQUI(frame, plugin, nullptr);
    wxWindow* map = wxWindow::FindWindowByName("MapToFolder", frame);
    ASSERT_NE(map, nullptr);
    EXPECT_FALSE(map->IsShown());
    frame->Destroy();
}

}  // namespace

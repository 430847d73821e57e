// The mapping dialog under a real toolkit application: what OK and Cancel
// return and store, the signal file, the folder icons and the stored password.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <wx/checkbox.h>

#include "DropwellDialog.h"
#include "MailboxToFolderPanel.h"
#include "MappingTestSupport.h"

namespace {

using namespace mappingtest;

class MappingDialog : public MappingTest {
protected:
    DropwellDialog* Open(const stMailBoxInfo& mailbox = Mailbox()) {
        return new DropwellDialog(DropwellManager::GetInstance(), mailbox, "text", nullptr, 1002, "Veqora");
    }
    int Run(DropwellDialog* dialog, const std::function<void()>& step) {
        const int result = RunModal(*dialog, step);
        dialog->Destroy();
        return result;
    }
};

TEST_F(MappingDialog, CancelReturnsTheMappedFlagAsLoaded) {
    const std::string folder = Folder("scans");
    DropwellManager::GetInstance()->DoDropwell(Mailbox("Mapped"), wxString::FromUTF8(folder), Mapped());
    for (const char* id : {"Mapped", "Unmapped"}) {
        DropwellDialog* dialog = Open(Mailbox(id));
        // Ticking the box first changes nothing of what Cancel returns.
        const int result = Run(dialog, [dialog]() {
            auto* box = wxDynamicCast(wxWindow::FindWindowById(MailboxToFolderPanel::ID_ENABLE_MAPPING, dialog), wxCheckBox);
            box->SetValue(!box->GetValue());
            wxCommandEvent tick(wxEVT_CHECKBOX, MailboxToFolderPanel::ID_ENABLE_MAPPING);
            tick.SetInt(box->GetValue());
            box->GetEventHandler()->ProcessEvent(tick);
            Press(*dialog, wxID_CANCEL);
        });
        EXPECT_EQ(result, std::string(id) == "Mapped" ? 1 : 0) << id;
    }
    EXPECT_FALSE(veqtest::FileExists(SignalFile()));
}

TEST_F(MappingDialog, OkEvenUnchangedRewritesTheMappingAndLeavesAnEmptySignalFile) {
    const std::string folder = Folder("scans");
    DropwellManager::GetInstance()->DoDropwell(Mailbox(), wxString::FromUTF8(folder), Mapped());
    ASSERT_TRUE(veqtest::FileExists(MappingFile()));
    std::remove(MappingFile().c_str());
    veqtest::WriteFile(SignalFile(), "stale");
    VEQNSUtils::FolderSetIcon(wxString::FromUTF8(folder), "/System/Library/CoreServices/CoreTypes.bundle/Contents/Resources/GenericFolderIcon.icns");
    DropwellDialog* dialog = Open();
    EXPECT_EQ(Run(dialog, [dialog]() { Press(*dialog, wxID_OK); }), 1);
    ASSERT_TRUE(veqtest::FileExists(MappingFile()));
    EXPECT_NE(veqtest::ReadFile(MappingFile()).find("Folder=\"" + folder + "\""), std::string::npos);
    ASSERT_TRUE(veqtest::FileExists(SignalFile()));
    EXPECT_EQ(veqtest::ReadFile(SignalFile()), "");
    EXPECT_EQ(IconOf(folder), OkIcon());
}

TEST_F(MappingDialog, OkReplacesALinkPlantedAtTheSignalFileWithoutWritingThroughIt) {
    const std::string folder = Folder("scans");
    DropwellManager::GetInstance()->DoDropwell(Mailbox(), wxString::FromUTF8(folder), Mapped());
    const std::string victim = Folder("victim") + "/notes.txt";
    veqtest::WriteFile(victim, "the user's own text");
    const std::string neverMade = Folder("victim") + "/never made";
    for (const std::string& target : {victim, neverMade}) {
        SCOPED_TRACE(target);
        std::remove(SignalFile().c_str());
        ASSERT_EQ(::symlink(target.c_str(), SignalFile().c_str()), 0);
        DropwellDialog* dialog = Open();
        EXPECT_EQ(Run(dialog, [dialog]() { Press(*dialog, wxID_OK); }), 1);
        struct stat info;
        ASSERT_EQ(::lstat(SignalFile().c_str(), &info), 0);
        EXPECT_TRUE(S_ISREG(info.st_mode));
        EXPECT_EQ(info.st_size, 0);
        EXPECT_EQ(veqtest::ReadFile(victim), "the user's own text");
        EXPECT_FALSE(veqtest::FileExists(neverMade));
    }
}

TEST_F(MappingDialog, MappingANewMailboxStoresItWithTheServerMapped) {
    const std::string folder = Folder("inbox");
    ChooserAnswers(folder);
    DropwellDialog* dialog = Open();
    const int result = Run(dialog, [dialog]() {
        auto* box = wxDynamicCast(wxWindow::FindWindowById(MailboxToFolderPanel::ID_ENABLE_MAPPING, dialog), wxCheckBox);
        box->SetValue(true);
        wxCommandEvent tick(wxEVT_CHECKBOX, MailboxToFolderPanel::ID_ENABLE_MAPPING);
        tick.SetInt(1);
        box->GetEventHandler()->ProcessEvent(tick);
        Press(*dialog->GetPanel(), MailboxToFolderPanel::ID_BROWSE);
        EXPECT_TRUE(wxWindow::FindWindowById(wxID_OK, dialog)->IsEnabled());
        Press(*dialog, wxID_OK);
    });
    EXPECT_EQ(result, 1);
    wxString stored;
    DROPWELL::stFolderMapStatus status{};
    DropwellManager::ReloadForTesting();
    DropwellManager::GetInstance()->GetDropwellInfo(Mailbox(), stored, status);
    EXPECT_EQ(status.mapped, 1);
    EXPECT_EQ(Utf8(stored), folder);
    EXPECT_EQ(status.mailboxStatus, 1);
    EXPECT_EQ(status.serverStatus, 1);
    EXPECT_EQ(IconOf(folder), OkIcon());
    EXPECT_TRUE(veqtest::FileExists(SignalFile()));
}

TEST_F(MappingDialog, MovingAMappingGivesTheNewFolderTheOkIconAndTheOldOneTheGeneric) {
    const std::string a = Folder("A"), b = Folder("B");
    DropwellManager::GetInstance()->DoDropwell(Mailbox(), wxString::FromUTF8(a), Mapped());
    VEQHelper::ChangeFolderIcon(wxString::FromUTF8(a), false);
    ChooserAnswers(b);
    DropwellDialog* dialog = Open();
    const int result = Run(dialog, [dialog]() {
        Press(*dialog->GetPanel(), MailboxToFolderPanel::ID_BROWSE);
        Press(*dialog, wxID_OK);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(IconOf(b), OkIcon());
    EXPECT_EQ(IconOf(a), "");
    EXPECT_NE(veqtest::ReadFile(MappingFile()).find("Folder=\"" + b + "\""), std::string::npos);
}

TEST_F(MappingDialog, AFolderAnotherMailboxStillMapsKeepsItsIcon) {
    const std::string shared = Folder("shared"), other = Folder("other");
    DropwellManager::GetInstance()->DoDropwell(Mailbox("Accounting"), wxString::FromUTF8(shared), Mapped());
    DropwellManager::GetInstance()->DoDropwell(Mailbox("Sales"), wxString::FromUTF8(shared), Mapped());
    VEQHelper::ChangeFolderIcon(wxString::FromUTF8(shared), false);
    // Moving one mailbox away, then unmapping the other's neighbour.
    ChooserAnswers(other);
    DropwellDialog* move = Open(Mailbox("Accounting"));
    EXPECT_EQ(Run(move, [move]() {
                  Press(*move->GetPanel(), MailboxToFolderPanel::ID_BROWSE);
                  Press(*move, wxID_OK);
              }),
              1);
    EXPECT_EQ(IconOf(shared), OkIcon());
    EXPECT_EQ(IconOf(other), OkIcon());
    DropwellDialog* unmap = Open(Mailbox("Accounting"));
    EXPECT_EQ(Run(unmap, [unmap]() {
                  auto* box = wxDynamicCast(wxWindow::FindWindowById(MailboxToFolderPanel::ID_ENABLE_MAPPING, unmap), wxCheckBox);
                  box->SetValue(false);
                  wxCommandEvent tick(wxEVT_CHECKBOX, MailboxToFolderPanel::ID_ENABLE_MAPPING);
                  box->GetEventHandler()->ProcessEvent(tick);
                  Press(*unmap, wxID_OK);
              }),
              0);
    EXPECT_EQ(IconOf(other), "");  // no mapping uses it any more
    EXPECT_EQ(IconOf(shared), OkIcon());
}

TEST_F(MappingDialog, UnmappingAFolderAnotherMailboxMapsLeavesItsIcon) {
    const std::string shared = Folder("shared");
    DropwellManager::GetInstance()->DoDropwell(Mailbox("Accounting"), wxString::FromUTF8(shared), Mapped());
    DropwellManager::GetInstance()->DoDropwell(Mailbox("Sales"), wxString::FromUTF8(shared), Mapped());
    VEQHelper::ChangeFolderIcon(wxString::FromUTF8(shared), false);
    DropwellDialog* unmap = Open(Mailbox("Sales"));
    EXPECT_EQ(Run(unmap, [unmap]() {
                  auto* box = wxDynamicCast(wxWindow::FindWindowById(MailboxToFolderPanel::ID_ENABLE_MAPPING, unmap), wxCheckBox);
                  box->SetValue(false);
                  wxCommandEvent tick(wxEVT_CHECKBOX, MailboxToFolderPanel::ID_ENABLE_MAPPING);
                  box->GetEventHandler()->ProcessEvent(tick);
                  Press(*unmap, wxID_OK);
              }),
              0);
    EXPECT_EQ(IconOf(shared), OkIcon());
    wxString folder;
    DROPWELL::stFolderMapStatus status{};
    DropwellManager::GetInstance()->GetDropwellInfo(Mailbox("Sales"), folder, status);
    EXPECT_EQ(status.mapped, 0);
}

TEST_F(MappingDialog, TheCloseBoxCountsAsCancel) {
    const std::string folder = Folder("scans");
    DropwellManager::GetInstance()->DoDropwell(Mailbox(), wxString::FromUTF8(folder), Mapped());
    std::remove(MappingFile().c_str());
    DropwellDialog* dialog = Open();
    EXPECT_EQ(Run(dialog, [dialog]() { dialog->Close(); }), 1);
    EXPECT_FALSE(veqtest::FileExists(MappingFile()));  // nothing saved
    EXPECT_FALSE(veqtest::FileExists(SignalFile()));
}

TEST_F(MappingDialog, AFolderNamedAgainInOtherCaseKeepsItsIcon) {
    const std::string folder = Folder("Scans");
    DropwellManager::GetInstance()->DoDropwell(Mailbox(), wxString::FromUTF8(folder), Mapped());
    VEQHelper::ChangeFolderIcon(wxString::FromUTF8(folder), false);
    ChooserAnswers(m_folders / "SCANS");
    DropwellDialog* dialog = Open();
    EXPECT_EQ(Run(dialog, [dialog]() {
                  Press(*dialog->GetPanel(), MailboxToFolderPanel::ID_BROWSE);
                  Press(*dialog, wxID_OK);
              }),
              1);
    EXPECT_EQ(IconOf(folder), OkIcon());
}

TEST_F(MappingDialog, OpeningWithAChangedPasswordStoresItEvenWhenCancelled) {
    const std::string folder = Folder("scans");
    DropwellManager::GetInstance()->DoDropwell(Mailbox("Accounting", "old"), wxString::FromUTF8(folder), Mapped());
    DropwellDialog* dialog = Open(Mailbox("Accounting", "new"));
    EXPECT_EQ(Run(dialog, [dialog]() { Press(*dialog, wxID_CANCEL); }), 1);
    DropwellManager::ReloadForTesting();
    wxString stored;
    DROPWELL::stFolderMapStatus status{};
    DropwellManager::GetInstance()->GetDropwellInfo(Mailbox("Accounting", "new"), stored, status);
    EXPECT_EQ(status.mapped, 1);
    EXPECT_EQ(status.serverStatus, 1);  // 4 would mean the passwords still differ
}

}  // namespace

// The save chooser's file-type filters and the rules for the chosen path.
#include <gtest/gtest.h>

#include <wx/msgdlg.h>

#include "AnsweredDialogs.h"
#include "ChooserPrompts.h"
#include "TestSupport.h"
#include "VEQConfig.h"
#include "VEQDataSource.h"
#include "VEQUIUtil.h"
#include "WxTestApp.h"

namespace {

using Formats = std::vector<VEQTypes::FileFormat>;

const wxString kAccessMessage = "Please check this folder can be accessed and that you have read/write access.";

TEST(ScanSaveDirChooserFilters, OfferedRowsFollowTheCallersFormats) {
    const struct {
        const char* name;
        Formats formats;
        VEQTypes::FileFormat defaultFormat;
        const char* filter;
        int defaultIndex;
        VEQTypes::FileFormat filterType;
    } cases[] = {
        {"all eight",
         {VEQTypes::PDF, VEQTypes::TIFF, VEQTypes::JPEG, VEQTypes::XPS, VEQTypes::RAW, VEQTypes::BMP,
          VEQTypes::COMPACT_PDF, VEQTypes::COMPACT_XPS},
         VEQTypes::COMPACT_XPS,
         "PDF|*.pdf|TIFF|*.tif;*.tiff|JPEG|*.jpg;*.jpeg|XPS|*.xps|RAW|*.raw|BMP|*.bmp|"
         "COMPACT_PDF|*.pdf|COMPACT_XPS|*.xps",
         7, VEQTypes::PDF},
        {"caller's order", {VEQTypes::JPEG, VEQTypes::PDF}, VEQTypes::PDF, "JPEG|*.jpg;*.jpeg|PDF|*.pdf", 1,
         VEQTypes::JPEG},
        {"default not offered", {VEQTypes::TIFF, VEQTypes::PDF}, VEQTypes::JPEG, "TIFF|*.tif;*.tiff|PDF|*.pdf", 0,
         VEQTypes::TIFF},
        {"format without a row", {static_cast<VEQTypes::FileFormat>(9), VEQTypes::XPS}, VEQTypes::XPS,
         "XPS|*.xps", 0, VEQTypes::XPS},
        {"nothing offered", {}, VEQTypes::PDF, "", 0, VEQTypes::PDF},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScanSaveDirChooser chooser(c.formats, c.defaultFormat);
        EXPECT_EQ(chooser.GetFilterString(), c.filter);
        EXPECT_EQ(chooser.GetDefaultIndex(), c.defaultIndex);
        EXPECT_EQ(chooser.GetFilterType(), c.filterType);
    }
}

class ScanSaveDirChooserLaunch : public testing::Test {
protected:
    std::shared_ptr<VEQConfig> Config() { return VEQDataSource::Get().GetConfig(); }
    // A path of exactly bytes UTF-8 bytes in the writable test folder, made of letter.
    wxString PathOfBytes(size_t bytes, const std::string& letter = "a") {
        std::string path = m_folder.Path() + "/";
        while (path.size() + letter.size() <= bytes - 4) {
            path += letter;
        }
        while (path.size() < bytes - 4) {
            path += "b";
        }
        return wxString::FromUTF8(path + ".pdf");
    }

    veqtest::TempDir m_folder;
};

TEST_F(ScanSaveDirChooserLaunch, ACancelledDialogChoosesNothing) {
    ScriptedPrompts prompts({{false, "", 0}});
    ScanSaveDirChooser chooser({VEQTypes::PDF, VEQTypes::TIFF}, VEQTypes::TIFF);
    EXPECT_FALSE(chooser.Launch(""));
    ASSERT_EQ(prompts.m_asked.size(), 1u);
    EXPECT_EQ(prompts.m_asked[0].folder, "");
    EXPECT_EQ(prompts.m_asked[0].name, "Untitled");
    EXPECT_EQ(prompts.m_asked[0].wildcard, "PDF|*.pdf|TIFF|*.tif;*.tiff");
    EXPECT_EQ(prompts.m_asked[0].filterIndex, 1);
    EXPECT_TRUE(Config()->GetLastSaveJobPath().empty());
}

TEST_F(ScanSaveDirChooserLaunch, AnAcceptedPathBecomesTheLastSaveFolder) {
    const wxString path = m_folder.Path() + "/Scan.pdf";
    ScriptedPrompts prompts({{true, path, 2}});
    ScanSaveDirChooser chooser({VEQTypes::PDF, VEQTypes::TIFF, VEQTypes::COMPACT_PDF}, VEQTypes::PDF);
    ASSERT_TRUE(chooser.Launch("Job 7"));
    EXPECT_EQ(prompts.m_asked[0].name, "Job 7");
    EXPECT_EQ(chooser.GetDir(), path);
    // The compact row shares the PDF pattern but keeps its own format.
    EXPECT_EQ(chooser.GetFilterType(), VEQTypes::COMPACT_PDF);
    EXPECT_EQ(Config()->GetLastSaveJobPath(), wxString(m_folder.Path()));
    EXPECT_TRUE(prompts.m_messages.empty());

    // The next chooser opens there; a folder that has gone opens none.
    ScriptedPrompts again({{false, "", 0}});
    ScanSaveDirChooser({VEQTypes::PDF}, VEQTypes::PDF).Launch("");
    EXPECT_EQ(again.m_asked[0].folder, wxString(m_folder.Path()));
    Config()->SetLastSaveJobPath(m_folder.Path() + "/gone");
    ScriptedPrompts gone({{false, "", 0}});
    ScanSaveDirChooser({VEQTypes::PDF}, VEQTypes::PDF).Launch("");
    EXPECT_EQ(gone.m_asked[0].folder, "");
}

TEST_F(ScanSaveDirChooserLaunch, PathsOf256BytesOrMoreAreRefused) {
    const struct {
        const char* name;
        wxString path;
        size_t bytes;
        bool accepted;
    } cases[] = {
        {"255 bytes", PathOfBytes(255), 255, true},
        {"256 bytes", PathOfBytes(256), 256, false},
        {"fewer letters than bytes", PathOfBytes(300, "\xC3\xA9"), 300, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(c.path.utf8_str().length(), c.bytes);
        if (c.bytes == 300) {
            ASSERT_LT(c.path.length(), 256u) << "counted in letters it would pass";
        }
        const wxString fallback = m_folder.Path() + "/short.pdf";
        ScriptedPrompts prompts({{true, c.path, 0}, {true, fallback, 0}});
        ScanSaveDirChooser chooser({VEQTypes::PDF}, VEQTypes::PDF);
        ASSERT_TRUE(chooser.Launch("Job"));
        EXPECT_EQ(chooser.GetDir(), c.accepted ? c.path : fallback);
        if (c.accepted) {
            EXPECT_TRUE(prompts.m_messages.empty());
            continue;
        }
        ASSERT_EQ(prompts.m_messages.size(), 1u);
        EXPECT_EQ(prompts.m_messages[0].text, "Invalid file");
        EXPECT_EQ(prompts.m_messages[0].caption, "Veqora");
        EXPECT_EQ(prompts.m_messages[0].style, wxOK | wxICON_ERROR);
        ASSERT_EQ(prompts.m_asked.size(), 2u);
        EXPECT_EQ(prompts.m_asked[1].folder, prompts.m_asked[0].folder);
        EXPECT_EQ(prompts.m_asked[1].name, "Job");
    }
}

TEST_F(ScanSaveDirChooserLaunch, AFolderWithoutAccessIsRefusedAndOfferedAgain) {
    const wxString closed = m_folder.Path() + "/missing/folder";
    const wxString fallback = m_folder.Path() + "/Scan.tiff";
    for (const char* fileName : {"", "Job 7"}) {
        SCOPED_TRACE(fileName);
        ScriptedPrompts prompts({{true, closed + "/Chosen.pdf", 0}, {true, fallback, 0}});
        ScanSaveDirChooser chooser({VEQTypes::PDF}, VEQTypes::PDF);
        ASSERT_TRUE(chooser.Launch(fileName));
        EXPECT_EQ(chooser.GetDir(), fallback);
        ASSERT_EQ(prompts.m_messages.size(), 1u);
        EXPECT_EQ(prompts.m_messages[0].text, kAccessMessage);
        EXPECT_EQ(prompts.m_messages[0].style, wxOK | wxICON_WARNING);
        ASSERT_EQ(prompts.m_asked.size(), 2u);
        EXPECT_EQ(prompts.m_asked[1].folder, closed);
        // Without a name of the caller's, the name the user typed comes back.
        EXPECT_EQ(prompts.m_asked[1].name, *fileName ? "Job 7" : "Chosen.pdf");
    }
    EXPECT_EQ(Config()->GetLastSaveJobPath(), wxString(m_folder.Path()));
}

// The dialogs themselves, answered without a user: the save dialog and the
// message boxes about the chosen path carry a title.
TEST(ScanSaveDirChooserDialogs, TheSaveDialogAndItsMessagesHaveTitles) {
    veqfake::EnsureWxApp();
    veqfake::AnsweredDialogs dialogs(wxID_CANCEL);
    ScanSaveDirChooser chooser({VEQTypes::PDF}, VEQTypes::PDF);
    EXPECT_FALSE(chooser.Launch("Invoice"));
    const ScanSaveDirChooser::Prompts prompts = ScanSaveDirChooser::DialogPrompts();
    prompts.m_showMessage("Invalid file", VEQUIUtil::GetAppName(), wxOK | wxICON_ERROR);
    prompts.m_showMessage(kAccessMessage, VEQUIUtil::GetAppName(), wxOK | wxICON_WARNING);
    ASSERT_EQ(dialogs.shown.size(), 3u);
    EXPECT_EQ(dialogs.shown[0].title, "Save Scan");
    for (size_t i = 1; i < dialogs.shown.size(); ++i) {
        EXPECT_EQ(dialogs.shown[i].title, "Veqora") << dialogs.shown[i].text;
    }
}

}  // namespace

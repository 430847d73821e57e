// The scan plug-in's session folders and the images made from them.
#include <gtest/gtest.h>

#include <regex>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <wx/dir.h>
#include <wx/filename.h>

#include "FakeDataSource.h"
#include "TestSupport.h"
#include "VEQPluginUtil.h"
#include "VEQUIPlugin.h"

namespace {

using veq::VEQScannedImage;
using veq::VEQUIPlugin;
using veqfake::FakeMailBox;

std::string FolderOf(const wxString& path) {
    return wxFileName(path).GetPath().ToStdString();
}

std::string NameOf(const std::shared_ptr<VEQScannedImage>& image) {
    auto file = std::dynamic_pointer_cast<veq::VEQScannedImageWithFileBuffer>(image);
    return file ? wxFileName(file->GetPath()).GetFullName().ToStdString() : std::string();
}

// A mailbox whose saves write the named files into the session folder at once.
std::shared_ptr<FakeMailBox> MailboxWriting(const std::vector<std::string>& names) {
    auto mailbox = std::make_shared<FakeMailBox>("Box");
    mailbox->m_onSave = [names](const wxString& path, const VEQTypes::ScanRetriveAttribute&) {
        const std::string folder = FolderOf(path);
        for (const std::string& name : names) {
            if (!name.empty() && name.back() == '/') {
                mkdir((folder + "/" + name).c_str(), 0777);
            } else {
                veqtest::WriteFile(folder + "/" + name, "page " + name);
            }
        }
    };
    return mailbox;
}

VEQTypes::VEQScannedJob Job(int id) {
    VEQTypes::VEQScannedJob job;
    job.m_id = id;
    return job;
}

TEST(ScanSession, RetrievalSavesPageByPageIntoAFreshSessionFolder) {
    VEQUIPlugin plugin(veq::types::jpeg);
    auto mailbox = MailboxWriting({});
    ASSERT_EQ(plugin.InitMailBoxRetrive(mailbox, Job(7)), 0);
    ASSERT_EQ(mailbox->Saves().size(), 1u);
    const veqfake::SaveRequest save = mailbox->Saves()[0];
    EXPECT_TRUE(save.m_asynchronous);
    EXPECT_EQ(save.m_policy, MailBox::SAVE_PAGE_PER_FILE);
    EXPECT_EQ(save.m_attributes.m_format, VEQTypes::JPEG);
    EXPECT_EQ(save.m_attributes.m_pageIndex, 0);
    EXPECT_EQ(save.m_attributes.m_jobId, 7);
    const wxFileName file(save.m_path);
    EXPECT_EQ(file.GetFullName(), "image.cache");
    const wxString session = file.GetDirs().Last();
    EXPECT_TRUE(std::regex_match(session.ToStdString(),
                                 std::regex("[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}")))
        << session;
    EXPECT_EQ(file.GetPath(wxPATH_GET_VOLUME | wxPATH_GET_SEPARATOR),
              veq::VEQPluginUtil::GetCacheDirectory() + session + "/");
    EXPECT_TRUE(wxDirExists(file.GetPath()));

    ASSERT_EQ(plugin.InitMailBoxRetrive(mailbox, Job(7)), 0);
    EXPECT_NE(mailbox->Saves()[1].m_path, save.m_path) << "every retrieval gets its own session";
}

TEST(ScanSession, ImagesComeInPageOrder) {
    VEQUIPlugin plugin(veq::types::pdf);
    auto mailbox = MailboxWriting({"image10.cache", "image2.cache", "image9.cache", "image1.cache",
                                   "image3.cache", "IMAGE2.CACHE", "notes.txt", ".image5.cache",
                                   "image4.cache/"});
    ASSERT_EQ(plugin.InitMailBoxRetrive(mailbox, Job(3)), 0);
    ASSERT_TRUE(plugin.OnDownloadCompleted());
    std::vector<std::string> names;
    for (const auto& image : plugin.GetScannedImages()) {
        names.push_back(NameOf(image));
        EXPECT_EQ(image->GetImageSourceType(), veq::VEQScannedImageSourceMailbox);
        EXPECT_EQ(image->GetType(), veq::types::pdf);
    }
    // IMAGE2 has no page number (the test is case-sensitive) and goes by name.
    EXPECT_EQ(names, (std::vector<std::string>{"IMAGE2.CACHE", "image1.cache", "image2.cache", "image3.cache",
                                               "image9.cache", "image10.cache"}));
}

TEST(ScanSession, AJobSavedAsOneFileGivesOneImage) {
    VEQUIPlugin plugin(veq::types::tiff);
    auto mailbox = MailboxWriting({"image.cache"});
    ASSERT_EQ(plugin.InitMailBoxRetrive(mailbox, Job(3)), 0);
    plugin.OnDownloadCompleted();
    const auto images = plugin.GetScannedImages();
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(NameOf(images[0]), "image.cache");
    EXPECT_EQ(std::string(images[0]->GetImageData()->begin(), images[0]->GetImageData()->end()),
              "page image.cache");
}

TEST(ScanSession, ReleasedImagesTakeTheirFilesAndSessionFolderAlong) {
    VEQUIPlugin plugin(veq::types::pdf);
    auto mailbox = MailboxWriting({"image1.cache", "image2.cache"});
    ASSERT_EQ(plugin.InitMailBoxRetrive(mailbox, Job(3)), 0);
    const std::string session = FolderOf(mailbox->Saves()[0].m_path);
    plugin.OnDownloadCompleted();
    {
        auto held = plugin.GetScannedImages();
        ASSERT_EQ(held.size(), 2u);
        plugin.OnDownloadCompleted();  // the plug-in lets go; the test still holds them
        EXPECT_TRUE(veqtest::FileExists(session + "/image1.cache"));
        EXPECT_EQ(plugin.GetScannedImages().size(), 2u) << "held files are still there";
        plugin.OnDownloadCompleted();
    }
    plugin.OnDownloadCompleted();
    EXPECT_TRUE(plugin.GetScannedImages().empty());
    EXPECT_FALSE(wxDirExists(session));
    EXPECT_TRUE(wxDirExists(veq::VEQPluginUtil::GetCacheDirectory()));
}

TEST(ScanSession, RefusedOrImpossibleRetrievalsAnswerOne) {
    VEQUIPlugin plugin(veq::types::pdf);
    EXPECT_EQ(plugin.InitMailBoxRetrive(nullptr, Job(3)), 1);
    EXPECT_FALSE(wxDirExists(veq::VEQPluginUtil::GetCacheDirectory()));
    auto mailbox = MailboxWriting({});
    mailbox->m_acceptSaves = false;
    EXPECT_EQ(plugin.InitMailBoxRetrive(mailbox, Job(3)), 1);
    plugin.OnDownloadCompleted();
    EXPECT_TRUE(plugin.GetScannedImages().empty());
}

TEST(ScanSession, WithoutAServerNothingStarts) {
    VEQUIPlugin plugin(veq::types::pdf);
    EXPECT_TRUE(plugin.IsPluginMode());
    EXPECT_TRUE(plugin.IsDriverMode());
    EXPECT_FALSE(plugin.GetServer());
    EXPECT_EQ(plugin.InitScan(VEQTypes::ScanInitiateAttributes()), 1);
    EXPECT_EQ(plugin.OnScanCompleted(), 0);
    EXPECT_TRUE(plugin.OnDownloadCompleted());
    EXPECT_TRUE(plugin.GetScannedImages().empty());
}

TEST(ScanSession, PluginFormatsMapToTheDataSourceFormats) {
    EXPECT_EQ(VEQUIPlugin::PluginToVEQFormat(veq::types::pdf), VEQTypes::PDF);
    EXPECT_EQ(VEQUIPlugin::PluginToVEQFormat(veq::types::tiff), VEQTypes::TIFF);
    EXPECT_EQ(VEQUIPlugin::PluginToVEQFormat(veq::types::jpeg), VEQTypes::JPEG);
    EXPECT_EQ(VEQUIPlugin::PluginToVEQFormat(static_cast<veq::types::FileFormat>(5)), VEQTypes::JPEG);
}

// Session folders of processes that ended mid-download go at the first
// session of the next process; folders a live process holds, folders not
// named as sessions and whatever a link points at stay.
TEST(ScanSession, FoldersOfEndedSessionsGoAtTheNextProcesssFirstSession) {
    const std::string cache(veq::VEQPluginUtil::GetCacheDirectory().utf8_str());
    const std::string stale = cache + "0b6f2a3c-1d4e-4f5a-8b9c-0d1e2f3a4b5c";
    const std::string held = cache + "1c7a3b4d-2e5f-4a6b-9c0d-1e2f3a4b5c6d";
    const std::string linked = cache + "2d8b4c5e-3f6a-4b7c-8d1e-2f3a4b5c6d7e";
    ASSERT_TRUE(wxFileName::Mkdir(stale, 0777, wxPATH_MKDIR_FULL));
    ASSERT_TRUE(wxFileName::Mkdir(held, 0777, wxPATH_MKDIR_FULL));
    ASSERT_TRUE(wxFileName::Mkdir(cache + "notes", 0777, wxPATH_MKDIR_FULL));
    veqtest::WriteFile(stale + "/image1.cache", std::string(100000, 'x'));
    veqtest::WriteFile(stale + "/.hidden", "");
    veqtest::WriteFile(held + "/image1.cache", "in use");
    veqtest::TempDir elsewhere;
    veqtest::WriteFile(elsewhere / "precious", "precious");
    ASSERT_EQ(symlink(elsewhere.Path().c_str(), linked.c_str()), 0);

    int ready[2];
    int release[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(release), 0);
    const pid_t owner = fork();
    ASSERT_GE(owner, 0);
    if (owner == 0) {
        // Another process whose session is still going on.
        const int fd = open(held.c_str(), O_RDONLY | O_DIRECTORY);
        if (fd < 0 || flock(fd, LOCK_SH) != 0) _exit(2);
        char byte = 1;
        if (write(ready[1], &byte, 1) != 1 || read(release[0], &byte, 1) != 1) _exit(3);
        _exit(0);
    }
    char byte;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);

    const wxString session = veq::VEQPluginUtil::GetNewScanSessionFilePath().first;
    EXPECT_TRUE(wxDirExists(FolderOf(session)));
    EXPECT_FALSE(wxDirExists(stale));
    EXPECT_EQ(veqtest::ReadFile(held + "/image1.cache"), "in use");
    EXPECT_TRUE(wxDirExists(cache + "notes"));
    EXPECT_EQ(veqtest::ReadFile(elsewhere / "precious"), "precious");

    ASSERT_EQ(write(release[1], &byte, 1), 1);
    waitpid(owner, nullptr, 0);
}

class ImageFileTest : public testing::Test {
protected:
    void SetUp() override {
        m_session = veq::VEQPluginUtil::GetNewScanSessionFilePath().first;
        m_folder = FolderOf(m_session);
    }
    std::shared_ptr<veq::VEQScannedImageWithFileBuffer> Image(const std::string& name) {
        return std::make_shared<veq::VEQScannedImageWithFileBuffer>(veq::types::pdf,
                                                                    veq::VEQScannedImageSourceScan,
                                                                    m_folder + "/" + name);
    }
    wxString m_session;
    std::string m_folder;
};

TEST_F(ImageFileTest, DataIsReadOnceAndWholeAcrossChunks) {
    std::string content(2 * 1048576 + 12345, '\0');
    for (size_t i = 0; i < content.size(); ++i) {
        content[i] = static_cast<char>(i * 31 % 251);
    }
    veqtest::WriteFile(m_folder + "/image1.cache", content);
    auto image = Image("image1.cache");
    auto data = image->GetImageData();
    ASSERT_TRUE(data);
    EXPECT_EQ(std::string(data->begin(), data->end()), content);
    veqtest::WriteFile(m_folder + "/image1.cache", "changed");
    EXPECT_EQ(image->GetImageData(), data) << "read only once";
}

TEST_F(ImageFileTest, MissingOrEmptyFilesGiveNoData) {
    auto missing = Image("image1.cache");
    EXPECT_FALSE(missing->GetImageData());
    veqtest::WriteFile(m_folder + "/image2.cache", "");
    auto empty = Image("image2.cache");
    EXPECT_FALSE(empty->GetImageData());
    // Nothing was kept from the empty read: content that comes later is read.
    veqtest::WriteFile(m_folder + "/image2.cache", "late");
    ASSERT_TRUE(empty->GetImageData());
    EXPECT_EQ(empty->GetImageData()->size(), 4u);
}

TEST_F(ImageFileTest, TheLastImageRemovesItsFileAndTheEmptySessionFolder) {
    veqtest::WriteFile(m_folder + "/image1.cache", "1");
    veqtest::WriteFile(m_folder + "/image2.cache", "2");
    auto first = Image("image1.cache");
    auto second = Image("image2.cache");
    first.reset();
    EXPECT_FALSE(veqtest::FileExists(m_folder + "/image1.cache"));
    EXPECT_TRUE(wxDirExists(m_folder));
    second.reset();
    EXPECT_FALSE(wxDirExists(m_folder));
    EXPECT_TRUE(wxDirExists(veq::VEQPluginUtil::GetCacheDirectory()));
}

TEST_F(ImageFileTest, AFolderWithHiddenFilesOrTheCacheFolderItselfStays) {
    veqtest::WriteFile(m_folder + "/image1.cache", "1");
    veqtest::WriteFile(m_folder + "/.keep", "");
    Image("image1.cache").reset();
    EXPECT_TRUE(wxDirExists(m_folder));

    const std::string cache = veq::VEQPluginUtil::GetCacheDirectory().ToStdString();
    veqtest::WriteFile(cache + "stray.cache", "x");
    std::make_shared<veq::VEQScannedImageWithFileBuffer>(veq::types::pdf, veq::VEQScannedImageSourceScan,
                                                        cache + "stray.cache")
        .reset();
    EXPECT_FALSE(veqtest::FileExists(cache + "stray.cache"));
    EXPECT_TRUE(wxDirExists(cache));
}

}  // namespace

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <wx/init.h>

#include "MappedFolders.h"
#include "TestSupport.h"
#include "TrayTestSupport.h"

using traytest::MappingXml;

namespace {

class MappedFolders : public testing::Test {
protected:
    std::vector<stMappedFoldersDetail> Load(const std::string& content) {
        veqtest::WriteFile(m_path, content);
        return Load();
    }
    std::vector<stMappedFoldersDetail> Load() {
        std::vector<stMappedFoldersDetail> list(1);  // replaced, never appended to
        LoadMappedFolders(wxString::FromUTF8(m_path), list);
        return list;
    }
    static std::vector<std::string> Folders(const std::vector<stMappedFoldersDetail>& list) {
        std::vector<std::string> folders;
        for (const stMappedFoldersDetail& entry : list) {
            folders.push_back(entry.Folder.utf8_string());
        }
        return folders;
    }

    wxInitializer m_toolkit;
    veqtest::TempDir m_folder;
    std::string m_path = m_folder / "VEQ_Dropwell.xml";
};

TEST_F(MappedFolders, OneEntryPerDistinctFolderInFileOrder) {
    const struct {
        const char* what;
        std::vector<traytest::Server> servers;
        std::vector<std::string> folders;
    } cases[] = {
        {"two mailboxes of one server to one folder",
         {{"Office", {{"Accounting", "/x/Scans"}, {"Sales", "/x/Scans"}}}},
         {"/x/Scans"}},
        {"two servers to one folder",
         {{"Office", {{"Accounting", "/x/Scans"}}}, {"Annex", {{"Sales", "/x/Other"}, {"Legal", "/x/Scans"}}}},
         {"/x/Scans", "/x/Other"}},
        {"folders differing in case", {{"Office", {{"A", "/x/Scans"}, {"B", "/x/scans"}}}}, {"/x/Scans", "/x/scans"}},
        {"same last component", {{"Office", {{"A", "/a/Scans"}, {"B", "/b/Scans"}}}}, {"/a/Scans", "/b/Scans"}},
        {"an empty folder", {{"Office", {{"A", ""}, {"B", "/x/B"}}}}, {"/x/B"}},
        {"a server without mappings", {{"Office", {}}, {"Annex", {{"A", "/x/A"}}}}, {"/x/A"}},
        {"no servers", {}, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Folders(Load(MappingXml(c.servers))), c.folders) << c.what;
    }
}

TEST_F(MappedFolders, KeepsTheServerAndMailboxOfTheFirstMappingOfAFolder) {
    const auto list = Load(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<Dropwell>\n"
        "  <!-- a comment -->\n"
        "  <Other DisplayName=\"Not a server\"><MappedFolder Folder=\"/x/Skipped\"/></Other>\n"
        "  <Zelto NameIP=\"127.0.0.1\" DisplayName=\"Office &amp; Annex\" Status=\"12abc\">\n"
        "    <MappedFolder Mailbox=\"7\" MailboxName=\"Sales\" Folder=\"/x/Caf\xC3\xA9\" Status=\"2\"/>\n"
        "    <Note Folder=\"/x/AlsoSkipped\"/>\n"
        "    <MappedFolder Mailbox=\"8\" MailboxName=\"Legal\" Folder=\"/x/Caf\xC3\xA9\" Status=\"1\"/>\n"
        "    <MappedFolder Mailbox=\"9\" Folder=\"/x/Bare\"/>\n"
        "  </Zelto>\n"
        "</Dropwell>\n");
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].ServerDisplayName, "Office & Annex");
    EXPECT_EQ(list[0].ServerStatus, 12);
    EXPECT_EQ(list[0].MailboxName, "Sales");
    EXPECT_EQ(list[0].Folder, wxString::FromUTF8("/x/Caf\xC3\xA9"));
    EXPECT_EQ(list[0].MailboxStatus, 2);
    EXPECT_EQ(list[1].MailboxName, "");
    EXPECT_EQ(list[1].Folder, "/x/Bare");
    EXPECT_EQ(list[1].MailboxStatus, 0);
}

TEST_F(MappedFolders, AFileThatIsNotAMappingFileListsNothing) {
    const struct {
        const char* what;
        const char* content;
    } cases[] = {
        {"another root", "<?xml version=\"1.0\"?><Other><Zelto><MappedFolder Folder=\"/x/A\"/></Zelto></Other>"},
        {"unparsable", "<?xml version=\"1.0\"?><Dropwell><Zelto><MappedFolder Folder=\"/x/A\"/>"},
        {"empty", ""},
        {"not XML", "Folder=/x/A\n"},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(Load(c.content).empty()) << c.what;
    }
}

TEST_F(MappedFolders, OnlyARegularFileAtThePathIsRead) {
    const std::string valid = MappingXml({{"Office", {{"A", "/x/A"}}}});
    EXPECT_TRUE(Load().empty()) << "missing";

    const std::string elsewhere = m_folder / "elsewhere.xml";
    veqtest::WriteFile(elsewhere, valid);
    ASSERT_EQ(symlink(elsewhere.c_str(), m_path.c_str()), 0);
    EXPECT_TRUE(Load().empty()) << "a link";
    unlink(m_path.c_str());

    ASSERT_EQ(mkdir(m_path.c_str(), 0755), 0);
    EXPECT_TRUE(Load().empty()) << "a folder";
    rmdir(m_path.c_str());

    veqtest::WriteFile(m_path, valid);
    ASSERT_EQ(truncate(m_path.c_str(), 17 * 1024 * 1024), 0);
    EXPECT_TRUE(Load().empty()) << "oversized";

    EXPECT_EQ(Folders(Load(valid)), std::vector<std::string>{"/x/A"}) << "the file itself";
}

TEST(MappedFolderTitle, IsTheLastComponentWithoutItsExtension) {
    const struct {
        const char* folder;
        const char* title;
    } cases[] = {
        {"/x/Scans.2024", "Scans"},
        {"/x/Scans", "Scans"},
        {"/x/archive.tar.gz", "archive.tar"},
        {"/x/Exit", "Exit"},
        {"/x/Open Veqora", "Open Veqora"},
        {"/x/Scans/", "/x/Scans/"},
        {"/", "/"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MappedFolderTitle(c.folder), c.title) << c.folder;
    }
}

}  // namespace

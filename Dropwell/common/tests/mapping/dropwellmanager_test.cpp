// The mapping manager's operation sequences, with the mapping file checked
// after each step, its queries and its first load.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "../StoreTestSupport.h"
#include "DropwellManager.h"
#include "XMLReadWrite.h"

using namespace storetest;

namespace {

stMailBoxInfo Mailbox(const char* nameIP, const char* displayName, const char* id, const char* name,
                      const char* password) {
    return stMailBoxInfo{nameIP, displayName, id, name, password};
}

DROPWELL::stFolderMapStatus Status(int mapped, int mailboxStatus, int serverStatus) {
    DROPWELL::stFolderMapStatus status;
    status.mapped = mapped;
    status.mailboxStatus = mailboxStatus;
    status.serverStatus = serverStatus;
    return status;
}

// The mapping file as "NameIP|DisplayName|Status [id|name|folder|status|password]..." per server.
std::vector<std::string> FileSummary() {
    DROPWELL::ServerMappings records;
    XMLReadWrite(wxString::FromUTF8(MappingFile())).Read(records);
    std::vector<std::string> lines;
    for (const auto& server : records) {
        wxString line = server.NameIP + "|" + server.DisplayName + "|" + wxString::Format("%ld", server.Status);
        for (const auto& entry : server.MappedFolders)
            line += wxString::Format(" [%s|%s|%s|%ld|%s]", entry.first, entry.second.MailboxName,
                                     entry.second.Folder, entry.second.Status, entry.second.Password);
        lines.push_back(std::string(line.utf8_str()));
    }
    return lines;
}

class DropwellManagerTest : public ::testing::Test {
protected:
    SemaphoreCleanup m_cleanup;
};

TEST_F(DropwellManagerTest, OperationSequences) {
    struct Step {
        const char* what;
        stMailBoxInfo mailbox;
        const char* folder;
        DROPWELL::stFolderMapStatus status;
        std::vector<std::string> file;
    } steps[] = {
        {"map a first mailbox", Mailbox("host", "Host", "A1", "Box A1", "p1"), "/f/a1", Status(1, 1, 1),
         {"host|Host|1 [A1|Box A1|/f/a1|1|p1]"}},
        {"map a second mailbox: the server's name and status stay",
         Mailbox("host", "Other name", "A2", "Box A2", "p2"), "/f/a2", Status(1, 2, 7),
         {"host|Host|1 [A1|Box A1|/f/a1|1|p1] [A2|Box A2|/f/a2|2|p2]"}},
        {"map again: all four fields replaced", Mailbox("host", "Host", "A1", "Renamed", "p1b"), "/f/new",
         Status(1, 2, 1), {"host|Host|1 [A1|Renamed|/f/new|2|p1b] [A2|Box A2|/f/a2|2|p2]"}},
        {"HOST is another server", Mailbox("HOST", "Upper", "B1", "Box B1", "pb"), "/f/b1", Status(1, 1, 0),
         {"host|Host|1 [A1|Renamed|/f/new|2|p1b] [A2|Box A2|/f/a2|2|p2]", "HOST|Upper|0 [B1|Box B1|/f/b1|1|pb]"}},
        {"unmap one of two", Mailbox("host", "Host", "A2", "", ""), "", Status(0, 0, 0),
         {"host|Host|1 [A1|Renamed|/f/new|2|p1b]", "HOST|Upper|0 [B1|Box B1|/f/b1|1|pb]"}},
        {"unmap on an unknown server", Mailbox("nobody", "", "A1", "", ""), "", Status(0, 0, 0),
         {"host|Host|1 [A1|Renamed|/f/new|2|p1b]", "HOST|Upper|0 [B1|Box B1|/f/b1|1|pb]"}},
        {"unmap a mailbox that is not mapped", Mailbox("host", "", "A9", "", ""), "", Status(2, 0, 0),
         {"host|Host|1 [A1|Renamed|/f/new|2|p1b]", "HOST|Upper|0 [B1|Box B1|/f/b1|1|pb]"}},
        {"unmap the last of a server", Mailbox("host", "Host", "A1", "", ""), "", Status(0, 0, 0),
         {"HOST|Upper|0 [B1|Box B1|/f/b1|1|pb]"}},
        {"unmap the very last", Mailbox("HOST", "Upper", "B1", "", ""), "", Status(0, 0, 0), {}},
    };
    DropwellManager* manager = DropwellManager::GetInstance();
    for (const Step& step : steps) {
        EXPECT_EQ(manager->DoDropwell(step.mailbox, step.folder, step.status), 0) << step.what;
        EXPECT_EQ(FileSummary(), step.file) << step.what;
        DropwellManager::ReloadForTesting();
        EXPECT_EQ(FileSummary(), step.file) << step.what << ", read back";
    }
    EXPECT_EQ(veqtest::ReadFile(MappingFile()), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Dropwell/>\n");
}

TEST_F(DropwellManagerTest, Queries) {
    DropwellManager* manager = DropwellManager::GetInstance();
    ASSERT_EQ(manager->DoDropwell(Mailbox("host", "Host", "A1", "Box", "right"), "/f/a1", Status(1, 2, 1)), 0);
    ASSERT_EQ(manager->DoDropwell(Mailbox("zero", "Zero", "Z1", "Box", "right"), "/f/z1", Status(1, 1, 0)), 0);

    struct Case {
        const char* what;
        stMailBoxInfo mailbox;
        DROPWELL::stFolderMapStatus expected;
        const char* folder;
    } cases[] = {
        {"mapped, same password", Mailbox("host", "", "A1", "", "right"), Status(1, 2, 1), "/f/a1"},
        {"password mismatch, server status 1", Mailbox("host", "", "A1", "", "wrong"), Status(1, 2, 4), "/f/a1"},
        {"password mismatch, server status 0", Mailbox("zero", "", "Z1", "", "wrong"), Status(1, 1, 0), "/f/z1"},
        {"passwords differ in case", Mailbox("host", "", "A1", "", "Right"), Status(1, 2, 4), "/f/a1"},
        {"unmapped mailbox", Mailbox("host", "", "A2", "", "right"), Status(0, 55, 66), "untouched"},
        {"unknown server", Mailbox("HOST", "", "A1", "", "right"), Status(0, 55, 66), "untouched"},
    };
    for (const Case& c : cases) {
        wxString folder = "untouched";
        DROPWELL::stFolderMapStatus status = Status(9, 55, 66);
        manager->GetDropwellInfo(c.mailbox, folder, status);
        EXPECT_EQ(status.mapped, c.expected.mapped) << c.what;
        EXPECT_EQ(status.mailboxStatus, c.expected.mailboxStatus) << c.what;
        EXPECT_EQ(status.serverStatus, c.expected.serverStatus) << c.what;
        EXPECT_EQ(folder, c.folder) << c.what;
    }
    // The stored password is not changed by a mismatch.
    EXPECT_EQ(FileSummary()[0], "host|Host|1 [A1|Box|/f/a1|2|right]");
    EXPECT_TRUE(Logged("host Mail box not accessible due to password mismatch"));
    EXPECT_FALSE(Logged("zero Mail box not accessible"));

    EXPECT_TRUE(manager->IsFolderMapped("/f/a1"));
    EXPECT_TRUE(manager->IsFolderMapped("/f/z1"));
    EXPECT_FALSE(manager->IsFolderMapped("/F/A1"));
    EXPECT_FALSE(manager->IsFolderMapped("/f/a1/"));
    EXPECT_FALSE(manager->IsFolderMapped(""));
}

TEST_F(DropwellManagerTest, FirstUseReadsTheFileAndMissingFileGivesNoMappings) {
    DROPWELL::stServerFolderMapDetails server = Server("h", "H", 1);
    server.MappedFolders["m"] = Mapping("M", "pw", "/f/m", 1);
    const veqtest::ChildResult first = veqtest::RunInChild([] {
        return DropwellManager::GetInstance()->IsFolderMapped("/f/m") ? 1 : 0;
    });
    ASSERT_TRUE(first.exited);
    EXPECT_EQ(first.status, 0);
    EXPECT_TRUE(Logged("File " + MappingFile() + " does not exist"));

    ASSERT_EQ(XMLReadWrite(wxString::FromUTF8(MappingFile())).Write({server}), 0);
    DropwellManager* manager = DropwellManager::GetInstance();
    EXPECT_TRUE(manager->IsFolderMapped("/f/m"));
    wxString folder;
    DROPWELL::stFolderMapStatus status;
    manager->GetDropwellInfo(Mailbox("h", "", "m", "", "pw"), folder, status);
    EXPECT_EQ(status.serverStatus, 1) << "the password was read from its file";
}

TEST_F(DropwellManagerTest, FailedSaveKeepsWhatTheManagerHeld) {
    DropwellManager* manager = DropwellManager::GetInstance();
    ASSERT_EQ(manager->DoDropwell(Mailbox("h", "H", "m", "M", "p"), "/f/m", Status(1, 1, 1)), 0);
    // A folder where the mapping file should be: the rename over it fails.
    ASSERT_EQ(unlink(MappingFile().c_str()), 0);
    ASSERT_EQ(mkdir(MappingFile().c_str(), 0700), 0);
    EXPECT_NE(manager->DoDropwell(Mailbox("h", "H", "n", "N", "p"), "/f/n", Status(1, 1, 1)), 0);
    EXPECT_FALSE(manager->IsFolderMapped("/f/n"));
    EXPECT_TRUE(manager->IsFolderMapped("/f/m"));
}

}  // namespace

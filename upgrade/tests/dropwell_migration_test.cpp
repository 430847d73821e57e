// The older version's folder-mapping folder copied into the configuration
// folder by a run of VEQUpgrade, its mapping pointed at the copied passwords.
#include <gtest/gtest.h>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include <wx/init.h>
#include <wx/log.h>
#include <wx/xml/xml.h>

#include "UpgradeFixtures.h"

namespace {

using upgradetest::MakeFolder;
using upgradetest::NewDropwellFolder;
using upgradetest::ReadPasswordFile;
using upgradetest::RunUpgrade;

const char kSignalFile[] = "VEQFMWATCH_100804659.txt";

struct Mapping {
    std::string nameIP;
    std::string mailboxId;
    std::string mailboxName;
    std::string folder;
    std::string password;
};

const std::vector<Mapping> kMappings = {
    {"127.0.0.2", "box1", "Scans", "/home/staff/Scans", "s3cret"},
    {"127.0.0.2", "box2", "Invoices", "/home/staff/Invoices", "pässwörd"},
    {"127.0.0.3", "team", "Team", "/home/staff/Team", ""},
};

std::set<std::string> Entries(const std::string& folder) {
    std::set<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") names.insert(name);
        }
        ::closedir(dir);
    }
    return names;
}

// The mapping folder as the older version left it: the mapping file naming
// password files in that folder, the service's status file, a hidden file, the
// signal file, a sub-folder and a link planted among them.
void WriteOldMappingFolder(const std::string& folder) {
    MakeFolder(folder);
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Dropwell>\n";
    std::string server;
    for (const Mapping& m : kMappings) {
        if (m.nameIP != server) {
            if (!server.empty()) xml += "  </Zelto>\n";
            xml += "  <Zelto NameIP=\"" + m.nameIP + "\" DisplayName=\"Zelto " + m.nameIP + "\" Status=\"1\">\n";
            server = m.nameIP;
        }
        const std::string passwordFile = folder + "/VEQ_" + m.nameIP + "_" + m.mailboxId + ".dwp";
        upgradetest::WritePasswordFile(passwordFile, m.password);
        xml += "    <MappedFolder Mailbox=\"" + m.mailboxId + "\" MailboxName=\"" + m.mailboxName +
               "\" PwdFileName=\"" + passwordFile + "\" Folder=\"" + m.folder + "\" Status=\"1\"/>\n";
    }
    xml += "  </Zelto>\n</Dropwell>\n";
    veqtest::WriteFile(folder + "/VEQ_Dropwell.xml", xml);
    veqtest::WriteFile(folder + "/ServiceStatus.xml", "<ServiceStatus Status=\"1\"/>");
    veqtest::WriteFile(folder + "/.hidden", "hidden");
    veqtest::WriteFile(folder + "/" + kSignalFile, "");
    MakeFolder(folder + "/Logs");
    veqtest::WriteFile(folder + "/Logs/service.log", "log");
    veqtest::WriteFile(folder + "/../secret", "not to be copied");
    ASSERT_EQ(::symlink((folder + "/../secret").c_str(), (folder + "/linked.dwp").c_str()), 0);
}

void RemoveTree(const std::string& folder) {
    wxLogNull quiet;
    wxFileName::Rmdir(wxString::FromUTF8(folder), wxPATH_RMDIR_RECURSIVE);
    ASSERT_FALSE(veqtest::FileExists(folder)) << folder;
}

struct StoredMapping {
    std::string mailboxName;
    std::string passwordFile;
    std::string folder;
};

// The "MappedFolder" elements of the current mapping file by server and id.
std::map<std::string, StoredMapping> CurrentMapping() {
    std::map<std::string, StoredMapping> mapping;
    wxXmlDocument document;
    if (!document.Load(wxString::FromUTF8(NewDropwellFolder() + "/VEQ_Dropwell.xml"))) return mapping;
    for (wxXmlNode* server = document.GetRoot()->GetChildren(); server; server = server->GetNext()) {
        for (wxXmlNode* box = server->GetChildren(); box; box = box->GetNext()) {
            mapping[(server->GetAttribute("NameIP") + "/" + box->GetAttribute("Mailbox")).utf8_string()] = {
                box->GetAttribute("MailboxName").utf8_string(), box->GetAttribute("PwdFileName").utf8_string(),
                box->GetAttribute("Folder").utf8_string()};
        }
    }
    return mapping;
}

class DropwellMigrationTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(wxInitialize()); }
    void TearDown() override { wxUninitialize(); }
};

TEST_F(DropwellMigrationTest, TheFolderIsCopiedWithoutTheSignalFile) {
    const std::string old = upgradetest::OldDropwellFolder();
    WriteOldMappingFolder(old);
    const std::set<std::string> oldEntries = Entries(old);

    RunUpgrade();

    const std::set<std::string> copied = Entries(NewDropwellFolder());
    for (const char* name : {"VEQ_Dropwell.xml", "ServiceStatus.xml", ".hidden"}) {
        EXPECT_EQ(copied.count(name), 1u) << name;
    }
    for (const char* name : {kSignalFile, "Logs", "linked.dwp"}) {
        EXPECT_EQ(copied.count(name), 0u) << name;
    }
    EXPECT_EQ(veqtest::ReadFile(NewDropwellFolder() + "/ServiceStatus.xml"), "<ServiceStatus Status=\"1\"/>");
    EXPECT_EQ(veqtest::ReadFile(NewDropwellFolder() + "/.hidden"), "hidden");
    EXPECT_EQ(Entries(old), oldEntries) << "the old folder is left as it was";
}

TEST_F(DropwellMigrationTest, TheMappingKeepsItsPasswordsInTheNewFolder) {
    const std::string old = upgradetest::OldDropwellFolder();
    WriteOldMappingFolder(old);

    RunUpgrade();
    // Once the older version is gone, nothing may depend on its folder.
    RemoveTree(old);

    const std::map<std::string, StoredMapping> mapping = CurrentMapping();
    ASSERT_EQ(mapping.size(), kMappings.size());
    for (const Mapping& m : kMappings) {
        SCOPED_TRACE(m.mailboxId);
        const auto stored = mapping.find(m.nameIP + "/" + m.mailboxId);
        ASSERT_NE(stored, mapping.end());
        EXPECT_EQ(stored->second.mailboxName, m.mailboxName);
        EXPECT_EQ(stored->second.folder, m.folder);
        EXPECT_EQ(stored->second.passwordFile.rfind(NewDropwellFolder() + "/", 0), 0u) << stored->second.passwordFile;
        EXPECT_EQ(ReadPasswordFile(stored->second.passwordFile), m.password);
    }
}

TEST_F(DropwellMigrationTest, TheOlderInstallationFolderServesWhenQmvHasNone) {
    struct Case {
        const char* what;
        bool qmvFolder;          // ".../QMV/Veqora/" exists
        bool qmvDropwell;        // and holds a "Dropwell" folder
        bool installationDropwell;
        const char* expectedFrom;  // the ".hidden" text copied, empty for none
    };
    const Case cases[] = {
        {"both", true, true, true, "qmv"},
        {"QMV only", true, true, false, "qmv"},
        {"QMV without a mapping folder", true, false, true, "installation"},
        {"installation only", false, false, true, "installation"},
        {"neither", false, false, false, ""},
    };
    const std::string qmv = veqplatform::UnderRoot("/Library/Application Support/QMV");
    const std::string installation = veqplatform::UnderRoot("/Applications/Zelto/Veqora");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const std::string& folder : {qmv, installation, NewDropwellFolder()}) RemoveTree(folder);
        if (c.qmvFolder) MakeFolder(qmv + "/Veqora");
        if (c.qmvDropwell) {
            MakeFolder(qmv + "/Veqora/Dropwell");
            veqtest::WriteFile(qmv + "/Veqora/Dropwell/.hidden", "qmv");
        }
        if (c.installationDropwell) {
            MakeFolder(installation + "/Dropwell");
            veqtest::WriteFile(installation + "/Dropwell/.hidden", "installation");
        }

        RunUpgrade();

        const std::string copied = NewDropwellFolder() + "/.hidden";
        EXPECT_EQ(veqtest::FileExists(copied) ? veqtest::ReadFile(copied) : "", c.expectedFrom);
    }
}

TEST_F(DropwellMigrationTest, FilesTheCurrentVersionHasAreKept) {
    WriteOldMappingFolder(upgradetest::OldDropwellFolder());
    MakeFolder(NewDropwellFolder());
    const std::string current = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Dropwell/>\n";
    veqtest::WriteFile(NewDropwellFolder() + "/VEQ_Dropwell.xml", current);
    veqtest::WriteFile(NewDropwellFolder() + "/ServiceStatus.xml", "current status");

    RunUpgrade();
    RunUpgrade();

    EXPECT_EQ(veqtest::ReadFile(NewDropwellFolder() + "/VEQ_Dropwell.xml"), current);
    EXPECT_EQ(veqtest::ReadFile(NewDropwellFolder() + "/ServiceStatus.xml"), "current status");
    EXPECT_EQ(veqtest::ReadFile(NewDropwellFolder() + "/.hidden"), "hidden");
}

TEST_F(DropwellMigrationTest, WithoutAConfigurationFolderNothingIsCopied) {
    const std::string installation = upgradetest::OldInstallationDropwellFolder();
    MakeFolder(installation);
    veqtest::WriteFile(installation + "/.hidden", "hidden");
    // A file where the configuration folder's parent would be: it cannot be made.
    const std::string library = veqplatform::UnderRoot("/Library");
    MakeFolder(library);
    veqtest::WriteFile(library + "/Application Support", "in the way");

    RunUpgrade();

    EXPECT_EQ(veqtest::ReadFile(library + "/Application Support"), "in the way");
    EXPECT_EQ(Entries(installation), std::set<std::string>{".hidden"});
}

}  // namespace

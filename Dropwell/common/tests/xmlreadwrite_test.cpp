// The mapping file against the records: the exact text written, reading files
// written by hand, and what happens when the file is missing or cannot be saved.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "StoreTestSupport.h"
#include "VEQHelper.h"
#include "XMLReadWrite.h"

using DROPWELL::ServerMappings;
using namespace storetest;

namespace {

class MappingFileTest : public ::testing::Test {
protected:
    void SetUp() override { VEQHelper::GetPasswordFilePath(m_dropwell, true); }

    std::string Path() const { return MappingFile(); }
    std::string Dw(const std::string& name) const { return std::string(m_dropwell.utf8_str()) + "/" + name; }

    ServerMappings ReadText(const std::string& text) {
        veqtest::WriteFile(Path(), text);
        ServerMappings records;
        EXPECT_EQ(XMLReadWrite(wxString::FromUTF8(Path())).Read(records), 0);
        return records;
    }

    wxString m_dropwell;
};

TEST_F(MappingFileTest, WritesTheExampleByteForByte) {
    ServerMappings records;
    DROPWELL::stServerFolderMapDetails front = Server("10.0.0.5", "Front \"A&B\" <desk>", 1);
    front.MappedFolders["b2"] = Mapping("Scans", "pw1", "/home/u/Scans", 1);
    front.MappedFolders["a1"] = Mapping("\xC3\x84rger & Co", "", "/home/u/\xC3\x84", 2);
    front.MappedFolders["B3"] = Mapping("Upper", "x", "/home/u/Upper", 0);
    records.push_back(front);
    records.push_back(Server("printer", "Nothing mapped", 1));
    DROPWELL::stServerFolderMapDetails back = Server("host.local", "Back", -7);
    back.MappedFolders["x/c"] = Mapping("Box", "secret", "/srv/box", 0);
    records.push_back(back);

    ASSERT_EQ(XMLReadWrite(wxString::FromUTF8(Path())).Write(records), 0);
    const std::string expected =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<Dropwell>\n"
        "  <Zelto NameIP=\"10.0.0.5\" DisplayName=\"Front &quot;A&amp;B&quot; &lt;desk&gt;\" Status=\"1\">\n"
        "    <MappedFolder Mailbox=\"B3\" MailboxName=\"Upper\" PwdFileName=\"" + Dw("VEQ_10.0.0.5_B3.dwp") +
        "\" Folder=\"/home/u/Upper\" Status=\"0\"/>\n"
        "    <MappedFolder Mailbox=\"a1\" MailboxName=\"\xC3\x84rger &amp; Co\" PwdFileName=\"" +
        Dw("VEQ_10.0.0.5_a1.dwp") + "\" Folder=\"/home/u/\xC3\x84\" Status=\"2\"/>\n"
        "    <MappedFolder Mailbox=\"b2\" MailboxName=\"Scans\" PwdFileName=\"" + Dw("VEQ_10.0.0.5_b2.dwp") +
        "\" Folder=\"/home/u/Scans\" Status=\"1\"/>\n"
        "  </Zelto>\n"
        "  <Zelto NameIP=\"host.local\" DisplayName=\"Back\" Status=\"-7\">\n"
        "    <MappedFolder Mailbox=\"x/c\" MailboxName=\"Box\" PwdFileName=\"" + Dw("VEQ_host.local_c.dwp") +
        "\" Folder=\"/srv/box\" Status=\"0\"/>\n"
        "  </Zelto>\n"
        "</Dropwell>\n";
    const std::string written = veqtest::ReadFile(Path());
    EXPECT_EQ(written, expected);
    EXPECT_EQ(written.find("secret"), std::string::npos);
    EXPECT_EQ(written.find("pw1"), std::string::npos);
}

TEST_F(MappingFileTest, EmptyMappingIsAnEmptyRoot) {
    for (const ServerMappings& records : {ServerMappings{}, ServerMappings{Server("a", "A", 1)}}) {
        ASSERT_EQ(XMLReadWrite(wxString::FromUTF8(Path())).Write(records), 0);
        EXPECT_EQ(veqtest::ReadFile(Path()), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Dropwell/>\n");
    }
}

TEST_F(MappingFileTest, WrittenRecordsReadBackWithTheirPasswords) {
    ServerMappings records;
    DROPWELL::stServerFolderMapDetails server = Server("10.0.0.5", "Front & back", 1);
    server.MappedFolders["a/b/c"] = Mapping("Box c", " secret ", "/f/c", 1);
    server.MappedFolders["x/c"] = Mapping("Other c", "other", "/f/x", 2);
    server.MappedFolders["m"] = Mapping("\xE6\x97\xA5\xE6\x9C\xAC", "p\xC3\xA4ss", "/f/\xE6\x97\xA5", 1);
    records.push_back(server);
    DROPWELL::stServerFolderMapDetails slash = Server("a/b", "Slash", 1);
    slash.MappedFolders["c"] = Mapping("C", "slashed", "/f/s", 1);
    records.push_back(slash);
    ASSERT_EQ(XMLReadWrite(wxString::FromUTF8(Path())).Write(records), 0);

    ServerMappings back;
    XMLReadWrite(wxString::FromUTF8(Path())).Read(back);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0].DisplayName, "Front & back");
    ASSERT_EQ(back[0].MappedFolders.size(), 3u);
    EXPECT_EQ(back[0].MappedFolders["a/b/c"].Password, "secret");
    EXPECT_EQ(back[0].MappedFolders["x/c"].Password, "other");
    EXPECT_EQ(back[0].MappedFolders["m"].Password, wxString::FromUTF8("p\xC3\xA4ss"));
    EXPECT_EQ(back[0].MappedFolders["m"].MailboxName, wxString::FromUTF8("\xE6\x97\xA5\xE6\x9C\xAC"));
    EXPECT_EQ(back[0].MappedFolders["x/c"].Folder, "/f/x");
    EXPECT_EQ(back[0].MappedFolders["x/c"].Status, 2);
    EXPECT_EQ(back[1].NameIP, "a/b");
    EXPECT_EQ(back[1].MappedFolders["c"].Password, "slashed");
}

TEST_F(MappingFileTest, PasswordFileNamesAreUniqueAndStayInTheFolder) {
    ServerMappings records;
    DROPWELL::stServerFolderMapDetails server = Server("10.0.0.5", "S", 1);
    server.MappedFolders["a/b/c"] = Mapping("c1", "one", "/f/1", 1);
    server.MappedFolders["x/c"] = Mapping("c2", "two", "/f/2", 1);
    server.MappedFolders["d"] = Mapping("d", "three", "/f/3", 1);
    records.push_back(server);
    DROPWELL::stServerFolderMapDetails slash = Server("../x", "Up", 1);
    slash.MappedFolders["e"] = Mapping("e", "four", "/f/4", 1);
    records.push_back(slash);
    ASSERT_EQ(XMLReadWrite(wxString::FromUTF8(Path())).Write(records), 0);

    const std::vector<std::string> names = veqtest::FolderEntries(std::string(m_dropwell.utf8_str()));
    std::vector<std::string> passwordFiles;
    for (const std::string& name : names)
        if (name.size() > 4 && name.substr(name.size() - 4) == ".dwp") passwordFiles.push_back(name);
    ASSERT_EQ(passwordFiles.size(), 4u);
    // A unique name is kept; the two mailboxes named "c" on one server get a suffix each.
    EXPECT_TRUE(veqtest::FileExists(Dw("VEQ_10.0.0.5_d.dwp")));
    EXPECT_TRUE(veqtest::FileExists(Dw("VEQ_.._x_e.dwp")));
    EXPECT_FALSE(veqtest::FileExists(Dw("VEQ_10.0.0.5_c.dwp")));
    EXPECT_EQ(veqtest::ReadFile(Dw("VEQ_10.0.0.5_d.dwp")).size(), 16u);
}

TEST_F(MappingFileTest, UnmappedPasswordFilesAndLegacyFilesAreRemoved) {
    wxString legacy;
    VEQHelper::GetPasswordFilePath(legacy, false);
    veqtest::WriteFile(std::string(legacy.utf8_str()) + "/old.dwp", "x");
    veqtest::WriteFile(std::string(legacy.utf8_str()) + "/keep.txt", "x");
    veqtest::WriteFile(Dw("notes.dwp.txt"), "x");

    ServerMappings records;
    DROPWELL::stServerFolderMapDetails server = Server("h", "H", 1);
    server.MappedFolders["one"] = Mapping("1", "p1", "/f/1", 1);
    server.MappedFolders["two"] = Mapping("2", "p2", "/f/2", 1);
    records.push_back(server);
    XMLReadWrite file(wxString::FromUTF8(Path()));
    ASSERT_EQ(file.Write(records), 0);
    ASSERT_TRUE(veqtest::FileExists(Dw("VEQ_h_two.dwp")));

    records[0].MappedFolders.erase("two");
    ASSERT_EQ(file.Write(records), 0);
    EXPECT_FALSE(veqtest::FileExists(Dw("VEQ_h_two.dwp")));
    EXPECT_TRUE(veqtest::FileExists(Dw("VEQ_h_one.dwp")));
    EXPECT_TRUE(veqtest::FileExists(Dw("notes.dwp.txt")));
    EXPECT_FALSE(veqtest::FileExists(std::string(legacy.utf8_str()) + "/old.dwp"));
    EXPECT_TRUE(veqtest::FileExists(std::string(legacy.utf8_str()) + "/keep.txt"));

    // A mapping file elsewhere does not tell which of the store's files are in use.
    ASSERT_EQ(XMLReadWrite(wxString::FromUTF8(veqtest::SandboxDir() + "/other.xml")).Write({}), 0);
    EXPECT_TRUE(veqtest::FileExists(Dw("VEQ_h_one.dwp")));
}

TEST_F(MappingFileTest, ReadsFilesWrittenByHand) {
    const std::string head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    struct Case {
        const char* what;
        std::string text;
        // Expected: "NameIP|DisplayName|Status" per server, then "id|name|folder|status" per mapping.
        std::vector<std::string> servers;
    } cases[] = {
        {"two servers, any spacing",
         head + "<Dropwell><Zelto NameIP=\"h1\" DisplayName=\"One &amp; only\" Status=\"1\">"
                "<MappedFolder Mailbox=\"2\" MailboxName=\"Two\" Folder=\"/t\" Status=\"1\"/>"
                "<MappedFolder Mailbox=\"1\" MailboxName=\"One\" Folder=\"/o\" Status=\"2\"/></Zelto>\n"
                "<Zelto NameIP=\"h2\" Status=\"3\"><MappedFolder Mailbox=\"z\"/></Zelto></Dropwell>",
         {"h1|One & only|1 [1|One|/o|2][2|Two|/t|1]", "h2||3 [z|||0]"}},
        {"duplicate mailbox id keeps the first",
         head + "<Dropwell><Zelto NameIP=\"h\" Status=\"1\"><MappedFolder Mailbox=\"m\" Folder=\"/first\" "
                "Status=\"1\"/><MappedFolder Mailbox=\"m\" Folder=\"/second\" Status=\"2\"/></Zelto></Dropwell>",
         {"h||1 [m||/first|1]"}},
        {"status with trailing garbage",
         head + "<Dropwell><Zelto NameIP=\"h\" Status=\"12abc\"><MappedFolder Mailbox=\"m\" Status=\"-3x\"/>"
                "<MappedFolder Mailbox=\"n\" Status=\"abc\"/></Zelto></Dropwell>",
         {"h||12 [m|||-3][n|||0]"}},
        {"server without mappings and other elements",
         head + "<Dropwell><Other/><Zelto NameIP=\"h\" Status=\"1\"><Note/></Zelto>text</Dropwell>",
         {"h||1"}},
        {"another root name", head + "<Dropwel><Zelto NameIP=\"h\" Status=\"1\"/></Dropwel>", {}},
    };
    for (const Case& c : cases) {
        const ServerMappings records = ReadText(c.text);
        std::vector<std::string> got;
        for (const auto& server : records) {
            std::string line = std::string((server.NameIP + "|" + server.DisplayName + "|").utf8_str()) +
                               std::to_string(server.Status);
            if (!server.MappedFolders.empty()) line += " ";
            for (const auto& entry : server.MappedFolders)
                line += std::string(("[" + entry.first + "|" + entry.second.MailboxName + "|" +
                                     entry.second.Folder + "|").utf8_str()) +
                        std::to_string(entry.second.Status) + "]";
            got.push_back(line);
        }
        EXPECT_EQ(got, c.servers) << c.what;
    }
    EXPECT_FALSE(Logged("does not exist"));
}

// A file that cannot be taken whole counts as unreadable: the caller keeps the
// mappings it had rather than losing them all.
TEST_F(MappingFileTest, UnreadableOrRefusedFilesAreLoggedAndAddNothing) {
    const std::string sound = "<Dropwell><Zelto NameIP=\"h\" Status=\"1\"><MappedFolder Mailbox=\"m\"/></Zelto>";
    struct Case {
        const char* what;
        std::string text;
    } cases[] = {
        {"not XML", "<Dropwell><Zelto"},
        {"empty file", ""},
        {"nested 100,000 deep", sound + Repeated("<a>", 100000) + Repeated("</a>", 100000) + "</Dropwell>"},
        {"a tag of 100 kB", sound + "<Zelto NameIP=\"" + std::string(100 << 10, 'x') + "\"/></Dropwell>"},
        {"a document type", "<!DOCTYPE Dropwell [<!ENTITY e \"x\">]>" + sound + "</Dropwell>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        veqtest::WriteFile(Path(), c.text);
        ServerMappings records{Server("kept", "K", 1)};
        EXPECT_EQ(XMLReadWrite(wxString::FromUTF8(Path())).Read(records), 1);
        ASSERT_EQ(records.size(), 1u);
        EXPECT_EQ(records[0].NameIP, "kept");
    }
    EXPECT_EQ(LoggedCount("The mapping file " + Path() + " is not read: "), 5);
}

// The writer never leaves a file its readers would refuse.
TEST_F(MappingFileTest, MappingsTooLargeForAReadableFileAreNotSaved) {
    DROPWELL::stServerFolderMapDetails small = Server("h", "H", 1);
    small.MappedFolders["m"] = Mapping("M", "p", "/f", 1);
    ASSERT_EQ(XMLReadWrite(wxString::FromUTF8(Path())).Write({small}), 0);
    const std::string before = veqtest::ReadFile(Path());

    DROPWELL::stServerFolderMapDetails huge = Server("h", "H", 1);
    huge.MappedFolders["m"] = Mapping("M", "p", ("/" + std::string(70 << 10, 'f')).c_str(), 1);
    EXPECT_EQ(XMLReadWrite(wxString::FromUTF8(Path())).Write({huge}), 1);
    EXPECT_EQ(veqtest::ReadFile(Path()), before);
    EXPECT_TRUE(Logged("The mapping is too large for the mapping file"));
}

// A mapping file names its password files; only those of the store's own
// folder are read, never through a link, so that a planted mapping cannot have
// another file of the user's sent to a server as a password.
TEST_F(MappingFileTest, PasswordsAreReadOnlyFromTheStoresFolder) {
    const std::string outside = veqtest::SandboxDir() + "/outside";
    ASSERT_EQ(::mkdir(outside.c_str(), 0755), 0);
    ASSERT_TRUE(VEQHelper::WritePassword("outside secret", wxString::FromUTF8(outside + "/VEQ_elsewhere.dwp")));
    ASSERT_TRUE(VEQHelper::WritePassword("outside secret", wxString::FromUTF8(outside + "/id_rsa")));
    ASSERT_TRUE(VEQHelper::WritePassword("store secret", m_dropwell + "/VEQ_moved.dwp"));
    ASSERT_EQ(::symlink((outside + "/VEQ_elsewhere.dwp").c_str(), Dw("VEQ_linked.dwp").c_str()), 0);
    struct Case {
        const char* what;
        std::string recorded;
        const char* password;
    } cases[] = {
        {"in the store", Dw("VEQ_moved.dwp"), "store secret"},
        {"named in an older folder, now in the store", "/old/version/Dropwell/VEQ_moved.dwp", "store secret"},
        {"outside the store, not in it", outside + "/VEQ_elsewhere.dwp", ""},
        {"not a password file's name", outside + "/id_rsa", ""},
        {"a link in the store", Dw("VEQ_linked.dwp"), ""},
        {"the store's folder itself", m_dropwell.utf8_string(), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ServerMappings records = ReadText(
            "<Dropwell><Zelto NameIP=\"h\" Status=\"1\"><MappedFolder Mailbox=\"m\" PwdFileName=\"" +
            c.recorded + "\"/></Zelto></Dropwell>");
        ASSERT_EQ(records.size(), 1u);
        EXPECT_EQ(records[0].MappedFolders.at("m").Password, wxString::FromUTF8(c.password));
    }
}

TEST_F(MappingFileTest, ReadingAppendsToRecordsAlreadyThere) {
    ServerMappings records{Server("first", "F", 1)};
    veqtest::WriteFile(Path(), "<Dropwell><Zelto NameIP=\"first\" Status=\"2\"/></Dropwell>");
    XMLReadWrite(wxString::FromUTF8(Path())).Read(records);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].Status, 1);
    EXPECT_EQ(records[1].Status, 2);
}

TEST_F(MappingFileTest, MissingFileIsLoggedAndLeavesRecords) {
    const veqtest::ChildResult child = veqtest::RunInChild([this] {
        ServerMappings records{Server("kept", "K", 1)};
        XMLReadWrite(wxString::FromUTF8(Path())).Read(records);
        return records.size() == 1 && records[0].NameIP == "kept" ? 0 : 1;
    });
    ASSERT_TRUE(child.exited);
    EXPECT_EQ(child.status, 0);
    EXPECT_TRUE(Logged("<Error> "));
    EXPECT_TRUE(Logged("File " + Path() + " does not exist"));
}

TEST_F(MappingFileTest, LinkPlantedAsTheMappingFileIsNeitherReadNorFollowed) {
    const std::string target = veqtest::SandboxDir() + "/elsewhere.xml";
    const std::string original = "<Dropwell><Zelto NameIP=\"planted\" Status=\"1\"/></Dropwell>";
    veqtest::WriteFile(target, original);
    ASSERT_EQ(symlink(target.c_str(), Path().c_str()), 0);
    ServerMappings records;
    XMLReadWrite file(wxString::FromUTF8(Path()));
    file.Read(records);
    EXPECT_TRUE(records.empty());

    DROPWELL::stServerFolderMapDetails server = Server("h", "H", 1);
    server.MappedFolders["m"] = Mapping("M", "p", "/f", 1);
    ASSERT_EQ(file.Write({server}), 0);
    EXPECT_EQ(veqtest::ReadFile(target), original);
    struct stat info;
    ASSERT_EQ(lstat(Path().c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
}

TEST_F(MappingFileTest, FailedSaveReportsItAndKeepsTheOldFile) {
    DROPWELL::stServerFolderMapDetails small = Server("h", "H", 1);
    small.MappedFolders["m"] = Mapping("M", "p", "/f", 1);
    ASSERT_EQ(XMLReadWrite(wxString::FromUTF8(Path())).Write({small}), 0);
    const std::string before = veqtest::ReadFile(Path());

    // A file-size limit below the new file's size stands in for a full disk.
    const veqtest::ChildResult child = veqtest::RunInChild([this, before] {
        DROPWELL::stServerFolderMapDetails big = Server("h", "H", 1);
        big.MappedFolders["m"] = Mapping("M", "p", std::string(8192, 'f').c_str(), 1);
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        return XMLReadWrite(wxString::FromUTF8(Path())).Write({big}) != 0 ? 0 : 1;
    });
    ASSERT_TRUE(child.exited) << child.output;
    EXPECT_EQ(child.status, 0) << "the failed save was reported as success";
    EXPECT_EQ(veqtest::ReadFile(Path()), before);
    for (const std::string& name : veqtest::FolderEntries(std::string(m_dropwell.utf8_str())))
        EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
}

}  // namespace

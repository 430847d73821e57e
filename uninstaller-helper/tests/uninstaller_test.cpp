// VEQUninstallerHelper run as the uninstaller runs it, on mapping files and
// folders the tests make themselves under their own VEQ_ROOT.
#include <gtest/gtest.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <set>
#include <string>
#include <vector>

#include <wx/filename.h>

#include "TestSupport.h"
#include "VEQNSUtils.h"
#include "VeqRoot.h"

namespace {

const char kMetadataFile[] = ".DS_store";

std::string MappingFile() {
    return veqplatform::UnderRoot("/Library/Application Support/Veqora/Dropwell/VEQ_Dropwell.xml");
}

// A mapping file with one server holding one "MappedFolder" per element text.
std::string MappingDocument(const std::vector<std::string>& mappedFolders) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Dropwell>\n"
                      "  <Zelto NameIP=\"127.0.0.1\" DisplayName=\"Office\" Status=\"1\">\n";
    int id = 0;
    for (const std::string& element : mappedFolders) {
        xml += "    <MappedFolder Mailbox=\"box" + std::to_string(id++) +
               "\" MailboxName=\"Box\" PwdFileName=\"\" " + element + " Status=\"1\"/>\n";
    }
    return xml + "  </Zelto>\n</Dropwell>\n";
}

std::string FolderAttribute(const std::string& path) {
    return "Folder=\"" + path + "\"";
}

bool IsLink(const std::string& path) {
    struct stat status;
    return ::lstat(path.c_str(), &status) == 0 && S_ISLNK(status.st_mode);
}

// Every path below VEQ_ROOT, to show that a run makes nothing there.
std::set<std::string> RootTree() {
    static std::set<std::string>* paths;
    std::set<std::string> found;
    paths = &found;
    ::nftw(veqplatform::RootPrefix().c_str(),
           [](const char* path, const struct stat*, int, struct FTW*) {
               paths->insert(path);
               return 0;
           },
           16, FTW_PHYS);
    return found;
}

bool Exists(const std::string& path) {
    struct stat status;
    return ::lstat(path.c_str(), &status) == 0;
}

class UninstallerTest : public ::testing::Test {
protected:
    veqtest::TempDir place;  // mapped folders and anything outside them
    std::string icon = place / "veq_ok.icns";

    void SetUp() override {
        veqtest::WriteFile(icon, "ok icon");
        ASSERT_TRUE(wxFileName::Mkdir(wxFileName(MappingFile()).GetPath(), 0755, wxPATH_MKDIR_FULL));
    }

    // A folder with the ok icon, and with the metadata file when asked.
    std::string MappedFolder(const std::string& name, bool withMetadata) {
        const std::string folder = place / name;
        EXPECT_EQ(::mkdir(folder.c_str(), 0755), 0) << folder;
        EXPECT_TRUE(VEQNSUtils::FolderSetIcon(folder, icon));
        if (withMetadata) veqtest::WriteFile(folder + "/" + kMetadataFile, "finder data");
        return folder;
    }

    void WriteMapping(const std::string& text) { veqtest::WriteFile(MappingFile(), text); }

    // Runs the program and checks that it made nothing under VEQ_ROOT.
    void RunUninstaller() {
        const std::set<std::string> before = RootTree();
        const veqtest::ChildResult result =
            veqtest::RunProgram({veqtest::BuildDir() + "/bin/VEQUninstallerHelper"});
        EXPECT_TRUE(result.exited) << result.output;
        EXPECT_EQ(result.status, 0) << result.output;
        EXPECT_EQ(RootTree(), before);
    }

    bool HasIcon(const std::string& path) { return !VEQNSUtils::GetFolderIcon(path).empty(); }
};

TEST_F(UninstallerTest, MappedFoldersLoseTheirIconAndMetadataFile) {
    const std::string first = MappedFolder("first", true);
    const std::string second = MappedFolder("second", true);
    const std::string withoutMetadata = MappedFolder("without metadata", false);
    const std::string unmapped = MappedFolder("unmapped", true);
    veqtest::WriteFile(first + "/scan.pdf", "job");
    // The first folder is mapped twice, as two mailboxes can share a folder.
    WriteMapping(MappingDocument({FolderAttribute(first), FolderAttribute(second),
                                  FolderAttribute(withoutMetadata), FolderAttribute(first)}));

    RunUninstaller();

    for (const std::string& folder : {first, second, withoutMetadata}) {
        EXPECT_FALSE(HasIcon(folder)) << folder;
        EXPECT_FALSE(Exists(folder + "/" + kMetadataFile)) << folder;
    }
    EXPECT_EQ(veqtest::ReadFile(first + "/scan.pdf"), "job");
    EXPECT_TRUE(HasIcon(unmapped));
    EXPECT_TRUE(Exists(unmapped + "/" + kMetadataFile));
}

TEST_F(UninstallerTest, NothingChangesWithoutAUsableMappingFile) {
    const std::string folder = MappedFolder("mapped", true);
    const std::string elsewhere = place / "elsewhere.xml";
    veqtest::WriteFile(elsewhere, MappingDocument({FolderAttribute(folder)}));
    struct Case {
        const char* what;
        std::string mappingFile;  // empty: no mapping file at all
        bool asLink;
    };
    const Case cases[] = {
        {"no mapping file", "", false},
        {"another root", "<?xml version=\"1.0\"?><Zelto><MappedFolder " + FolderAttribute(folder) +
                             "/></Zelto>", false},
        {"servers not directly under the root", "<?xml version=\"1.0\"?><Dropwell><Group><Zelto>"
                                                "<MappedFolder " + FolderAttribute(folder) +
                                                "/></Zelto></Group></Dropwell>", false},
        {"not XML", "Folder=\"" + folder + "\"", false},
        {"a link to a mapping file elsewhere", "", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ::unlink(MappingFile().c_str());
        if (c.asLink) {
            ASSERT_EQ(::symlink(elsewhere.c_str(), MappingFile().c_str()), 0);
        } else if (!c.mappingFile.empty()) {
            WriteMapping(c.mappingFile);
        }

        RunUninstaller();

        EXPECT_TRUE(HasIcon(folder));
        EXPECT_TRUE(Exists(folder + "/" + kMetadataFile));
    }
}

TEST_F(UninstallerTest, PathsThatAreNotRealFoldersAreLeftAlone) {
    const std::string file = place / "report.txt";
    veqtest::WriteFile(file, "not a folder");
    ASSERT_TRUE(VEQNSUtils::FolderSetIcon(file, icon));
    const std::string linkTarget = MappedFolder("link target", true);
    const std::string link = place / "link to a folder";
    ASSERT_EQ(::symlink(linkTarget.c_str(), link.c_str()), 0);
    // A parent named through "..": only the folder named plainly is acted on.
    const std::string parent = MappedFolder("parent", true);
    ASSERT_EQ(::mkdir((parent + "/child").c_str(), 0755), 0);
    const std::string real = MappedFolder("real", true);
    WriteMapping(MappingDocument({FolderAttribute(""), "", FolderAttribute(file), FolderAttribute(link),
                                  FolderAttribute(link + "/"), FolderAttribute(link + "/."),
                                  FolderAttribute(parent + "/child/.."), FolderAttribute(place / "gone"),
                                  FolderAttribute("relative"), FolderAttribute("/"), FolderAttribute("//"),
                                  FolderAttribute(real + "/")}));

    RunUninstaller();

    EXPECT_EQ(veqtest::ReadFile(file), "not a folder");
    EXPECT_TRUE(HasIcon(file));
    EXPECT_TRUE(HasIcon(linkTarget));
    EXPECT_TRUE(Exists(linkTarget + "/" + kMetadataFile));
    EXPECT_TRUE(HasIcon(parent));
    EXPECT_TRUE(Exists(parent + "/" + kMetadataFile));
    EXPECT_FALSE(Exists(place / "gone"));
    // The run goes on past them.
    EXPECT_FALSE(HasIcon(real));
    EXPECT_FALSE(Exists(real + "/" + kMetadataFile));
}

TEST_F(UninstallerTest, WhatStandsInPlaceOfTheMetadataFileIsLeftAlone) {
    const std::string precious = place / "precious";
    veqtest::WriteFile(precious, "keep me");
    const std::string missingTarget = place / "never made";

    const std::string linkToFile = MappedFolder("link to a file", false);
    ASSERT_EQ(::symlink(precious.c_str(), (linkToFile + "/" + kMetadataFile).c_str()), 0);
    const std::string danglingLink = MappedFolder("dangling link", false);
    ASSERT_EQ(::symlink(missingTarget.c_str(), (danglingLink + "/" + kMetadataFile).c_str()), 0);
    const std::string folderInPlace = MappedFolder("folder in place", false);
    ASSERT_EQ(::mkdir((folderInPlace + "/" + kMetadataFile).c_str(), 0755), 0);
    WriteMapping(MappingDocument({FolderAttribute(linkToFile), FolderAttribute(danglingLink),
                                  FolderAttribute(folderInPlace)}));

    RunUninstaller();

    EXPECT_TRUE(IsLink(linkToFile + "/" + kMetadataFile));
    EXPECT_EQ(veqtest::ReadFile(precious), "keep me");
    EXPECT_TRUE(IsLink(danglingLink + "/" + kMetadataFile));
    EXPECT_FALSE(Exists(missingTarget)) << "no file is created through a link";
    EXPECT_TRUE(Exists(folderInPlace + "/" + kMetadataFile));
    for (const std::string& folder : {linkToFile, danglingLink, folderInPlace}) {
        EXPECT_FALSE(HasIcon(folder)) << folder;
    }
}

}  // namespace

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <wx/filename.h>

#include "SaveFolder.h"
#include "TestSupport.h"

namespace {

TEST(SaveFolder, IsCheckedWithoutMakingAnythingAndMadeOnlyWhenAsked) {
    veqtest::TempDir folder;
    veqtest::WriteFile(folder / "file", "x");
    ASSERT_EQ(symlink((folder / "absent").c_str(), (folder / "dangling").c_str()), 0);
    const struct {
        const char* name;
        std::string path;
        bool usable;
    } cases[] = {
        {"empty", "", false},
        {"existing", folder.Path(), true},
        {"missing with missing parents", folder / "a/b/c", true},
        {"a file", folder / "file", false},
        {"below a file", folder / "file/sub", false},
        {"below a dangling link", folder / "dangling/sub", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        wxString checked;
        EXPECT_EQ(CheckSaveFolder(wxString::FromUTF8(c.path), checked), c.usable);
        EXPECT_EQ(veqtest::FolderEntries(folder.Path()), (std::vector<std::string>{"dangling", "file"}));
        if (c.usable) {
            EXPECT_TRUE(checked.EndsWith("/"));
            EXPECT_TRUE(wxFileName(checked).IsAbsolute());
            EXPECT_TRUE(MakeSaveFolder(checked));
            EXPECT_TRUE(wxDirExists(checked));
            ASSERT_EQ(system(("rm -rf '" + folder.Path() + "/a'").c_str()), 0);
        }
    }
}

TEST(SaveFolder, AFolderOfAReadOnlyParentIsRefused) {
    if (geteuid() == 0) GTEST_SKIP() << "permission bits do not bind the super-user";
    veqtest::TempDir folder;
    ASSERT_EQ(mkdir((folder / "locked").c_str(), 0555), 0);
    wxString checked;
    EXPECT_FALSE(CheckSaveFolder(wxString::FromUTF8(folder / "locked/out"), checked));
    chmod((folder / "locked").c_str(), 0755);
}

TEST(SaveFolder, ARelativePathIsMadeAbsolute) {
    veqtest::TempDir folder;
    ASSERT_TRUE(wxSetWorkingDirectory(folder.Path()));
    wxString checked;
    ASSERT_TRUE(CheckSaveFolder("out", checked));
    EXPECT_EQ(checked, wxString(folder.Path() + "/out/"));
    EXPECT_FALSE(veqtest::FileExists(folder / "out"));
}

}  // namespace

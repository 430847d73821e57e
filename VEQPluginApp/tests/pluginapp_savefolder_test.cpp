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

// Run as an ordinary user (the super-user writes whatever the permission bits
// say): the parent the folder would be made in decides, by its write bit alone.
TEST(SaveFolder, AFolderOfAReadOnlyParentIsRefused) {
    veqtest::TempDir folder;
    ASSERT_EQ(mkdir((folder / "locked").c_str(), 0755), 0);
    ASSERT_EQ(mkdir((folder / "open").c_str(), 0755), 0);
    veqtest::GiveToUnprivilegedUser(folder.Path());
    ASSERT_EQ(chmod((folder / "locked").c_str(), 0555), 0);
    const struct {
        const char* parent;
        bool usable;
    } cases[] = {{"locked", false}, {"open", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.parent);
        const std::string path = folder / (std::string(c.parent) + "/out");
        const veqtest::ChildResult child = veqtest::RunAsUnprivileged([&path] {
            wxString checked;
            return CheckSaveFolder(wxString::FromUTF8(path), checked) ? 1 : 0;
        });
        ASSERT_TRUE(child.exited) << child.output;
        EXPECT_EQ(child.status, c.usable ? 1 : 0) << child.output;
    }
    EXPECT_TRUE(veqtest::FolderEntries(folder / "locked").empty());
    EXPECT_TRUE(veqtest::FolderEntries(folder / "open").empty());
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

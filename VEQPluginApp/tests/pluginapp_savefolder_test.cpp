#include <gtest/gtest.h>

#include <wx/filename.h>

#include "SaveFolder.h"
#include "TestSupport.h"

namespace {

TEST(SaveFolder, IsMadeWhenMissingAndMustBeAFolder) {
    veqtest::TempDir folder;
    veqtest::WriteFile(folder / "file", "x");
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
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        wxString prepared;
        EXPECT_EQ(PrepareSaveFolder(wxString::FromUTF8(c.path), prepared), c.usable);
        if (c.usable) {
            EXPECT_TRUE(wxDirExists(prepared));
            EXPECT_TRUE(prepared.EndsWith("/"));
            EXPECT_TRUE(wxFileName(prepared).IsAbsolute());
        }
    }
}

TEST(SaveFolder, ARelativePathIsMadeAbsolute) {
    veqtest::TempDir folder;
    ASSERT_TRUE(wxSetWorkingDirectory(folder.Path()));
    wxString prepared;
    ASSERT_TRUE(PrepareSaveFolder("out", prepared));
    EXPECT_EQ(prepared, wxString(folder.Path() + "/out/"));
}

}  // namespace

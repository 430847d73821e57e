// Which mapped folder paths the uninstaller helper acts on. It runs with rights
// over the whole disk, so the root itself (however it is spelled or reached)
// and anything but a plain absolute path of a real folder are passed over.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "TestSupport.h"
#include "VEQIconChanger.h"

namespace {

TEST(FolderToRestore, OnlyPlainAbsolutePathsOfRealFoldersOtherThanTheRoot) {
    veqtest::TempDir place;
    const std::string folder = place / "Scans";
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    ASSERT_EQ(::mkdir((folder + "/sub").c_str(), 0755), 0);
    veqtest::WriteFile(place / "file", "text");
    ASSERT_EQ(::symlink(folder.c_str(), (place / "link").c_str()), 0);
    ASSERT_EQ(::symlink("/", (place / "root link").c_str()), 0);
    struct Case {
        std::string path;
        std::string acted;  // empty: passed over
    } cases[] = {
        {folder, folder},
        {folder + "/", folder},
        {folder + "//", folder},
        {"/", ""},
        {"//", ""},
        {"/.", ""},
        {"/..", ""},
        {folder + "/..", ""},
        {folder + "/sub/..", ""},
        {folder + "/./sub", ""},
        {place / "root link", ""},
        {place / "root link/", ""},
        {place / "root link/.", ""},
        {place / "link", ""},
        {place / "link/", ""},
        {place / "file", ""},
        {place / "missing", ""},
        {"", ""},
        {"Scans", ""},
        {"./Scans", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(VEQIconChanger::FolderToRestore(c.path), c.acted) << "\"" << c.path << "\"";
    }
}

}  // namespace

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "TestSupport.h"
#include "XdgUserDirs.h"

using veqplatform::xdg::HomeDir;
using veqplatform::xdg::UserDir;
using veqplatform::xdg::UserDirPath;

namespace {

// A home folder and a config folder of the test's own, with an optional user-dirs.dirs.
class XdgFixture : public ::testing::Test {
protected:
    veqtest::TempDir home;
    veqtest::TempDir config;
    veqtest::ScopedEnv homeEnv{"HOME", home.Path().c_str()};
    veqtest::ScopedEnv configEnv{"XDG_CONFIG_HOME", config.Path().c_str()};

    void WriteUserDirs(const std::string& content) { veqtest::WriteFile(config / "user-dirs.dirs", content); }
};

TEST_F(XdgFixture, WithoutUserDirsFileFoldersLieInHome) {
    EXPECT_EQ(HomeDir(), home.Path());
    EXPECT_EQ(UserDirPath(UserDir::Desktop), home / "Desktop");
    EXPECT_EQ(UserDirPath(UserDir::Documents), home / "Documents");
    EXPECT_EQ(UserDirPath(UserDir::Downloads), home / "Downloads");
    EXPECT_EQ(UserDirPath(UserDir::PublicShare), home / "Public");
}

TEST_F(XdgFixture, UserDirsFileNamesTheFolders) {
    WriteUserDirs(
        "# written by xdg-user-dirs-update\n"
        "XDG_DESKTOP_DIR=\"$HOME/Bureau\"\n"
        "  XDG_DOCUMENTS_DIR=\"/srv/docs/\"\n"
        "XDG_DOWNLOAD_DIR=\"$HOME/T\\\"l\\\\charg\"\n");
    EXPECT_EQ(UserDirPath(UserDir::Desktop), home / "Bureau");
    EXPECT_EQ(UserDirPath(UserDir::Documents), "/srv/docs");
    EXPECT_EQ(UserDirPath(UserDir::Downloads), home / "T\"l\\charg");
    EXPECT_EQ(UserDirPath(UserDir::Pictures), home / "Pictures");  // not in the file
}

TEST_F(XdgFixture, UnusableLinesFallBackToTheDefault) {
    WriteUserDirs(
        "XDG_DESKTOP_DIR=\"relative/Desk\"\n"       // relative paths are not allowed
        "XDG_DOCUMENTS_DIR=\"$HOME/Docs\n"          // no closing quote
        "#XDG_DOWNLOAD_DIR=\"$HOME/Commented\"\n"
        "XDG_DOWNLOAD_DIR2=\"$HOME/Other\"\n");
    EXPECT_EQ(UserDirPath(UserDir::Desktop), home / "Desktop");
    EXPECT_EQ(UserDirPath(UserDir::Documents), home / "Documents");
    EXPECT_EQ(UserDirPath(UserDir::Downloads), home / "Downloads");
}

TEST_F(XdgFixture, DisabledFolderIsTheHomeFolderAndLaterLinesWin) {
    WriteUserDirs("XDG_DESKTOP_DIR=\"$HOME/\"\nXDG_DOCUMENTS_DIR=\"$HOME/A\"\nXDG_DOCUMENTS_DIR=\"$HOME/B\"\n");
    EXPECT_EQ(UserDirPath(UserDir::Desktop), home.Path());
    EXPECT_EQ(UserDirPath(UserDir::Documents), home / "B");
}

TEST_F(XdgFixture, ConfigHomeDefaultsToDotConfig) {
    veqtest::ScopedEnv unset("XDG_CONFIG_HOME", nullptr);
    ASSERT_EQ(0, mkdir((home / ".config").c_str(), 0700));
    veqtest::WriteFile(home / ".config/user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/D2\"\n");
    EXPECT_EQ(UserDirPath(UserDir::Desktop), home / "D2");
}

TEST_F(XdgFixture, TrailingSeparatorsOfHomeAreDropped) {
    veqtest::ScopedEnv slashed("HOME", (home.Path() + "//").c_str());
    EXPECT_EQ(HomeDir(), home.Path());
    EXPECT_EQ(UserDirPath(UserDir::Desktop), home / "Desktop");
}

}  // namespace

// Pruning of a log folder: order by the start time and counter in the names,
// count and size limits, whole runs, stray files, and the current run.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "LogRetention.h"
#include "LogTestSupport.h"

using logtest::FileNames;

namespace {

constexpr std::uint64_t MiB = 1024 * 1024;
const LogRetentionPolicy kDefaults{10, 100 * MiB, wxString()};

class RetentionTest : public ::testing::Test {
protected:
    veqtest::TempDir folder;

    std::string Path(const std::string& name) const { return folder / name; }

    // A file of the given apparent size (sparse, so big sizes cost no disk).
    void Make(const std::string& name, std::uint64_t size = 10) const {
        const std::string path = Path(name);
        logtest::LogRoot::MakeDirs(path.substr(0, path.rfind('/')));
        veqtest::WriteFile(path, "");
        ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(size)), 0) << path;
    }

    void Prune(const LogRetentionPolicy& policy) const {
        CheckAndDeletePreviousLogFiles(wxString::FromUTF8(folder.Path().c_str()) + "/", policy);
    }

    static std::string Run(int second, int counter = 0, const std::string& base = "VEQLog") {
        char name[64];
        std::snprintf(name, sizeof name, "%s_2026_12_09_08_20_%02d_%05d.log", base.c_str(), second, counter);
        return name;
    }
};

TEST_F(RetentionTest, DefaultCountKeepsElevenRuns) {
    for (int second = 0; second < 12; ++second) Make(Run(second));
    Prune(kDefaults);
    const auto names = FileNames(folder.Path());
    ASSERT_EQ(names.size(), 11u);
    EXPECT_EQ(names.front(), Run(1)) << "only the oldest run goes";
}

TEST_F(RetentionTest, SizeLimitKeepsTheFileThatReachesIt) {
    // Running totals 30, 60, 90, 120 MiB: the fourth file reaches the limit and stays.
    for (int second = 1; second <= 5; ++second) Make(Run(second), 30 * MiB);
    Prune(kDefaults);
    EXPECT_EQ(FileNames(folder.Path()), (std::vector<std::string>{Run(2), Run(3), Run(4), Run(5)}));
}

TEST_F(RetentionTest, TotalExactlyAtTheLimitStopsAtThatFile) {
    for (int second = 1; second <= 4; ++second) Make(Run(second), 25 * MiB);
    Prune(LogRetentionPolicy{10, 50 * MiB, wxString()});
    EXPECT_EQ(FileNames(folder.Path()), (std::vector<std::string>{Run(3), Run(4)}));
}

TEST_F(RetentionTest, NothingIsDeletedBelowBothLimits) {
    for (int second = 0; second < 5; ++second) Make(Run(second));
    Make("notes.txt");
    Make(".DS_Store");
    Prune(kDefaults);
    EXPECT_EQ(FileNames(folder.Path()).size(), 7u);
}

TEST_F(RetentionTest, ARunAtTheStopPositionStaysWhole) {
    Make(Run(9));
    Make(Run(8, 0));
    Make(Run(8, 1));
    Make(Run(8, 2));
    Make(Run(7));
    Prune(LogRetentionPolicy{2, 100 * MiB, wxString()});  // the stop falls inside the run of second 8
    EXPECT_EQ(FileNames(folder.Path()), (std::vector<std::string>{Run(8, 0), Run(8, 1), Run(8, 2), Run(9)}));
}

TEST_F(RetentionTest, CountLimitZeroKeepsTheNewestRunWhole) {
    Make(Run(5, 0));
    Make(Run(5, 1));
    Make(Run(4, 7));
    Prune(LogRetentionPolicy{0, 100 * MiB, wxString()});
    EXPECT_EQ(FileNames(folder.Path()), (std::vector<std::string>{Run(5, 0), Run(5, 1)}));
}

TEST_F(RetentionTest, FilesNotNamedAsLogFilesAreNeitherCountedNorDeleted) {
    Make(Run(1));
    Make(Run(2));
    Make("notes.txt");
    Make(".DS_Store");
    Make("VEQLog_broken_00003.log");
    Make("VEQLog_2026_12_09_08_20_00_00000.txt");
    Prune(LogRetentionPolicy{0, 100 * MiB, wxString()});
    EXPECT_EQ(FileNames(folder.Path()),
              (std::vector<std::string>{".DS_Store", "VEQLog_2026_12_09_08_20_00_00000.txt", Run(2),
                                        "VEQLog_broken_00003.log", "notes.txt"}));
}

// Links in the folder, to files or to folders, are neither followed nor deleted.
TEST_F(RetentionTest, LinksAreNeverFollowed) {
    veqtest::TempDir elsewhere;
    veqtest::WriteFile(elsewhere / "victim", "precious");
    veqtest::WriteFile(elsewhere / Run(0), "another user's log");
    Make(Run(3));
    ASSERT_EQ(::symlink((elsewhere / "victim").c_str(), Path(Run(1)).c_str()), 0);
    ASSERT_EQ(::symlink(elsewhere.Path().c_str(), Path("linked").c_str()), 0);
    Prune(LogRetentionPolicy{0, 100 * MiB, wxString()});
    EXPECT_EQ(veqtest::ReadFile(elsewhere / "victim"), "precious");
    EXPECT_EQ(veqtest::ReadFile(elsewhere / Run(0)), "another user's log");
    struct stat info;
    EXPECT_EQ(::lstat(Path(Run(1)).c_str(), &info), 0);
    EXPECT_TRUE(veqtest::FileExists(Path(Run(3))));
}

// A process holds a lock on each log file it still writes.
TEST_F(RetentionTest, AFileLockedByItsWriterStays) {
    Make(Run(1));
    Make(Run(2));
    Make(Run(3));
    const int fd = ::open(Path(Run(1)).c_str(), O_WRONLY | O_APPEND);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_SH), 0);
    Prune(LogRetentionPolicy{0, 100 * MiB, wxString()});
    ::close(fd);
    EXPECT_EQ(FileNames(folder.Path()), (std::vector<std::string>{Run(1), Run(3)}));
}

TEST_F(RetentionTest, FilesInSubfoldersAreCountedAndDeletedLikeTheOthers) {
    Make("old/" + Run(1));
    Make(Run(2));
    Make("newer/" + Run(3));
    Prune(LogRetentionPolicy{1, 100 * MiB, wxString()});
    EXPECT_FALSE(veqtest::FileExists(Path("old/" + Run(1))));
    EXPECT_TRUE(veqtest::FileExists(Path(Run(2))));
    EXPECT_TRUE(veqtest::FileExists(Path("newer/" + Run(3))));
}

// Start time and counter are read from the end of the name, so a base name
// holding '_' sorts by time like any other, not by counter alone.
TEST_F(RetentionTest, BaseNameWithUnderscoresSortsByStartTime) {
    Make(Run(1, 9, "VEQ_Log_x"));
    Make(Run(2, 5, "VEQ_Log_x"));
    Make(Run(3, 0, "VEQ_Log_x"));
    Prune(LogRetentionPolicy{1, 100 * MiB, wxString()});
    EXPECT_EQ(FileNames(folder.Path()), (std::vector<std::string>{Run(2, 5, "VEQ_Log_x"), Run(3, 0, "VEQ_Log_x")}));
}

TEST_F(RetentionTest, RunsOfDifferentBaseNamesAreOrderedTogether) {
    Make(Run(1, 0, "Tray"));
    Make(Run(2, 0, "VEQLog"));
    Make(Run(3, 0, "Tray"));
    Make("_2026_12_09_08_20_04_00000.log");  // empty base name
    Prune(LogRetentionPolicy{1, 100 * MiB, wxString()});
    EXPECT_EQ(FileNames(folder.Path()), (std::vector<std::string>{Run(3, 0, "Tray"), "_2026_12_09_08_20_04_00000.log"}));
}

TEST_F(RetentionTest, FilesOfTheCurrentRunAreNeverDeleted) {
    // An earlier run looks newer than this one (the clock went back an hour).
    Make("VEQLog_2026_12_09_09_00_00_00000.log");
    Make(Run(1, 0));
    Make(Run(1, 1));
    Make(Run(0));
    const wxString current = wxString::FromUTF8(Path("VEQLog_2026_12_09_08_20_01").c_str());
    Prune(LogRetentionPolicy{0, 100 * MiB, current});
    EXPECT_EQ(FileNames(folder.Path()),
              (std::vector<std::string>{Run(1, 0), Run(1, 1), "VEQLog_2026_12_09_09_00_00_00000.log"}));
}

TEST_F(RetentionTest, MissingFolderIsNoError) {
    CheckAndDeletePreviousLogFiles(wxString::FromUTF8((folder / "absent/").c_str()), kDefaults);
    SUCCEED();
}

}  // namespace

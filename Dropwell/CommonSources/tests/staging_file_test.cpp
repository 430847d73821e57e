#include "StagingFile.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using veqtest::FileExists;
using veqtest::ReadFile;
using veqtest::TempDir;
using veqtest::WriteFile;

std::string Bytes(size_t count) {
    std::string data(count, '\0');
    for (size_t i = 0; i < count; ++i) data[i] = static_cast<char>(i * 31 + 7);
    return data;
}

bool Stage(const std::string& path, const std::string& data) {
    StagingFile file;
    if (!file.Create(path)) return false;
    for (size_t at = 0; at < data.size(); at += 4096) {
        if (!file.Write(data.data() + at, std::min<size_t>(4096, data.size() - at))) return false;
    }
    if (!file.Close()) return false;
    file.Detach();
    return true;
}

TEST(StagingFile, WholeFileIsPlacedAndStagedCopyIsGone) {
    TempDir staging, target;
    const std::string data = Bytes(100000);
    ASSERT_TRUE(Stage(staging / "Scan.PDF", data));
    WriteFile(target / "Scan.PDF", "old");
    wxString error;
    ASSERT_TRUE(PlaceStagedFile(staging / "Scan.PDF", target.Path(), "Scan.PDF", error)) << error;
    EXPECT_EQ(ReadFile(target / "Scan.PDF"), data);
    EXPECT_TRUE(veqtest::FolderEntries(staging.Path()).empty());
}

TEST(StagingFile, UnfinishedFileIsRemoved) {
    TempDir staging;
    {
        StagingFile file;
        ASSERT_TRUE(file.Create(staging / "Scan.PDF"));
        ASSERT_TRUE(file.Write("abc", 3));
    }
    EXPECT_FALSE(FileExists(staging / "Scan.PDF"));
}

TEST(StagingFile, PlantedLinkIsReplacedNotFollowed) {
    TempDir staging, elsewhere;
    WriteFile(elsewhere / "victim", "keep");
    ASSERT_EQ(::symlink((elsewhere / "victim").c_str(), (staging / "Scan.PDF").c_str()), 0);
    ASSERT_TRUE(Stage(staging / "Scan.PDF", "new data"));
    EXPECT_EQ(ReadFile(elsewhere / "victim"), "keep");
    struct stat st;
    ASSERT_EQ(::lstat((staging / "Scan.PDF").c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
}

TEST(StagingFile, FullDiskFailsTheWriteOrTheClose) {
    veqtest::SmallDisk disk(64 * 1024);
    if (!disk.Mounted()) GTEST_SKIP() << "no right to mount a tmpfs";
    StagingFile file;
    ASSERT_TRUE(file.Create(disk.Path() + "/Scan.PDF"));
    const std::string data = Bytes(1 << 20);
    const bool written = file.Write(data.data(), data.size());
    const bool closed = file.Close();
    EXPECT_FALSE(written && closed);
    file.Discard();
    EXPECT_TRUE(veqtest::FolderEntries(disk.Path()).empty());
}

TEST(PlaceStagedFile, AcrossFileSystemsTheTargetNameOnlyEverHoldsAWholeFile) {
    TempDir staging;
    veqtest::SmallDisk disk(256 * 1024);
    if (!disk.Mounted()) GTEST_SKIP() << "no right to mount a tmpfs";
    const std::string small = Bytes(100000);
    ASSERT_TRUE(Stage(staging / "Small.PDF", small));
    wxString error;
    ASSERT_TRUE(PlaceStagedFile(staging / "Small.PDF", disk.Path(), "Small.PDF", error)) << error;
    EXPECT_EQ(ReadFile(disk.Path() + "/Small.PDF"), small);

    // Too big for what is left: nothing under the name, no part file, no staged copy.
    ASSERT_TRUE(Stage(staging / "Big.PDF", Bytes(400000)));
    EXPECT_FALSE(PlaceStagedFile(staging / "Big.PDF", disk.Path(), "Big.PDF", error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(veqtest::FolderEntries(disk.Path()), std::vector<std::string>{"Small.PDF"});
    EXPECT_TRUE(veqtest::FolderEntries(staging.Path()).empty());
}

TEST(PlaceStagedFile, MissingTargetFolderFails) {
    TempDir staging;
    ASSERT_TRUE(Stage(staging / "Scan.PDF", "data"));
    wxString error;
    EXPECT_FALSE(PlaceStagedFile(staging / "Scan.PDF", staging / "missing", "Scan.PDF", error));
    EXPECT_FALSE(FileExists(staging / "Scan.PDF"));
}

TEST(PlaceStagedFileAsNew, NeverReplacesAFileOfThatNameOnOneOrAcrossFileSystems) {
    TempDir staging, box;
    veqtest::SmallDisk disk(1024 * 1024);
    std::vector<std::string> folders{box.Path()};
    if (disk.Mounted()) folders.push_back(disk.Path());
    for (const std::string& folder : folders) {
        SCOPED_TRACE(folder);
        WriteFile(folder + "/Scan.PDF", "user's own");
        ASSERT_TRUE(Stage(staging / "Scan.PDF", "job"));
        wxString error;
        bool taken = false;
        EXPECT_FALSE(PlaceStagedFileAsNew(staging / "Scan.PDF", folder, "Scan.PDF", taken, error));
        EXPECT_TRUE(taken);
        EXPECT_EQ(ReadFile(folder + "/Scan.PDF"), "user's own");
        // The staged file stays for the next name, and no part file is left.
        ASSERT_TRUE(FileExists(staging / "Scan.PDF"));
        EXPECT_TRUE(PlaceStagedFileAsNew(staging / "Scan.PDF", folder, "Scan (2).PDF", taken, error)) << error;
        EXPECT_FALSE(taken);
        EXPECT_EQ(ReadFile(folder + "/Scan (2).PDF"), "job");
        EXPECT_FALSE(FileExists(staging / "Scan.PDF"));
        std::vector<std::string> names = veqtest::FolderEntries(folder);
        std::sort(names.begin(), names.end());
        EXPECT_TRUE(std::find(names.begin(), names.end(), ".Scan.PDF.veqpart") == names.end());
    }
}

TEST(SameFileContents, ComparesBytesOfPlainFilesOnly) {
    TempDir box;
    WriteFile(box / "a", "same bytes");
    WriteFile(box / "b", "same bytes");
    WriteFile(box / "c", "same bytez");
    WriteFile(box / "d", "same");
    ASSERT_EQ(::symlink((box / "a").c_str(), (box / "link").c_str()), 0);
    const struct {
        const char* other;
        bool same;
    } cases[] = {{"b", true}, {"c", false}, {"d", false}, {"link", false}, {"missing", false}};
    for (const auto& c : cases) {
        EXPECT_EQ(SameFileContents(box / "a", box / c.other), c.same) << c.other;
    }
    const std::string big = Bytes(300000);
    WriteFile(box / "big1", big);
    WriteFile(box / "big2", big.substr(0, 299999) + "!");
    EXPECT_FALSE(SameFileContents(box / "big1", box / "big2"));
    EXPECT_TRUE(SameFileContents(box / "big1", box / "big1"));
}

TEST(ClearStagingFolder, RemovesFilesAndLinksButNotWhatLinksPointTo) {
    TempDir staging, elsewhere;
    WriteFile(staging / "left.PDF", "partial");
    WriteFile(elsewhere / "victim", "keep");
    ASSERT_EQ(::symlink((elsewhere / "victim").c_str(), (staging / "link").c_str()), 0);
    ASSERT_EQ(::mkdir((staging / "sub").c_str(), 0755), 0);
    ClearStagingFolder(staging.Path());
    EXPECT_EQ(veqtest::FolderEntries(staging.Path()), std::vector<std::string>{"sub"});
    EXPECT_EQ(ReadFile(elsewhere / "victim"), "keep");
}

}  // namespace

// The empty signal file of the store's shared folder, made again without
// writing through whatever another user planted under its name.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "StoreFile.h"
#include "TestSupport.h"

namespace {

TEST(StoreFile, AnEmptyFileReplacesWhatWasPlantedUnderItsName) {
    veqtest::TempDir dir;
    const std::string name = dir / "VEQFMWATCH_100804659.txt";
    const std::string victim = dir / "notes.txt";
    const std::string neverMade = dir / "never made";
    struct Case {
        const char* what;
        std::function<void()> plant;
    } cases[] = {
        {"nothing", [] {}},
        {"a stale file", [&] { veqtest::WriteFile(name, "stale"); }},
        {"a link to a user's file", [&] { ASSERT_EQ(::symlink(victim.c_str(), name.c_str()), 0); }},
        {"a link to a path not yet made", [&] { ASSERT_EQ(::symlink(neverMade.c_str(), name.c_str()), 0); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        veqtest::WriteFile(victim, "the user's own text");
        ::unlink(name.c_str());
        c.plant();

        EXPECT_TRUE(DROPWELL::RecreateEmptyStoreFile(name));

        struct stat info;
        ASSERT_EQ(::lstat(name.c_str(), &info), 0);
        EXPECT_TRUE(S_ISREG(info.st_mode));
        EXPECT_EQ(info.st_size, 0);
        EXPECT_EQ(veqtest::ReadFile(victim), "the user's own text");
        EXPECT_FALSE(veqtest::FileExists(neverMade));
    }
}

TEST(StoreFile, AFolderInPlaceOfTheFileIsReportedAndKept) {
    veqtest::TempDir dir;
    const std::string name = dir / "VEQFMWATCH_100804659.txt";
    ASSERT_EQ(::mkdir(name.c_str(), 0755), 0);
    EXPECT_FALSE(DROPWELL::RecreateEmptyStoreFile(name));
    struct stat info;
    ASSERT_EQ(::lstat(name.c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
}

}  // namespace

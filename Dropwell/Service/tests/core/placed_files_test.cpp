// The record of placed files: what counts as the service's own file after the
// user or another program has been at the folder, across a restart, and a
// record on disk that is hostile.
#include "PlacedFiles.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <iostream>
#include <thread>

namespace {

using Owner = PlacedFiles::Owner;

wxString W(const std::string& path) { return wxString::FromUTF8(path); }

class PlacedFilesTest : public ::testing::Test {
protected:
    veqtest::TempDir box;
    std::string folder = box.Path();
    std::string record = box / "PlacedFiles.txt";
};

TEST_F(PlacedFilesTest, OnlyTheVeryFilePlacedCountsAsTheServices) {
    const struct {
        const char* what;
        std::function<void(const std::string&)> change;
        Owner expected;
    } cases[] = {
        {"untouched", [](const std::string&) {}, Owner::Placed},
        {"rewritten with other bytes", [](const std::string& p) { veqtest::WriteFile(p, "the user's edit"); },
         Owner::Changed},
        {"touched", [](const std::string& p) {
             const timespec times[2] = {{0, UTIME_NOW}, {12345, 0}};
             ::utimensat(AT_FDCWD, p.c_str(), times, 0);
         }, Owner::Changed},
        {"replaced by another file of the same bytes", [](const std::string& p) {
             veqtest::WriteFile(p + ".new", "scan");
             ::rename((p + ".new").c_str(), p.c_str());
         }, Owner::Changed},
        {"deleted", [](const std::string& p) { ::unlink(p.c_str()); }, Owner::Gone},
        {"replaced by a link to the same bytes", [](const std::string& p) {
             veqtest::WriteFile(p + ".target", "scan");
             ::unlink(p.c_str());
             ::symlink((p + ".target").c_str(), p.c_str());
         }, Owner::Gone},
    };
    PlacedFiles placed(W(record));
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = folder + "/Scan" + std::to_string(n++) + ".PDF";
        veqtest::WriteFile(path, "scan");
        placed.Note(W(path));
        c.change(path);
        EXPECT_EQ(placed.Check(W(path)), c.expected);
        // The same after a restart: the record on disk says as much.
        placed.Flush();
        PlacedFiles again(W(record));
        again.Load();
        EXPECT_EQ(again.Check(W(path)), c.expected);
    }
    EXPECT_EQ(placed.Check(W(folder + "/Never.PDF")), Owner::Unknown);
    veqtest::WriteFile(folder + "/Users.PDF", "scan");
    EXPECT_EQ(placed.Check(W(folder + "/Users.PDF")), Owner::Unknown);
}

TEST_F(PlacedFilesTest, AFileDeletedTheMomentItWasPlacedIsThePlacedFileGone) {
    // Its deletion is the user's deletion of the job's file; nothing that comes
    // at its path later is taken for it.
    PlacedFiles placed(W(record));
    const std::string path = folder + "/Scan.PDF";
    placed.Note(W(path));
    EXPECT_EQ(placed.Check(W(path)), Owner::Gone);
    placed.Flush();
    PlacedFiles again(W(record));
    again.Load();
    EXPECT_EQ(again.Check(W(path)), Owner::Gone);
    veqtest::WriteFile(path, "the user's own");
    EXPECT_EQ(placed.Check(W(path)), Owner::Changed);
}

TEST_F(PlacedFilesTest, APageFolderIsKnownByItselfWhateverIsPlacedInIt) {
    PlacedFiles placed(W(record));
    const std::string pages = folder + "/Photos";
    ASSERT_EQ(::mkdir(pages.c_str(), 0755), 0);
    placed.Note(W(pages));
    veqtest::WriteFile(pages + "/Photos_1.JPEG", "page");
    EXPECT_EQ(placed.Check(W(pages)), Owner::Placed);
    // A new folder at its path is another folder.
    ASSERT_EQ(::rename(pages.c_str(), (folder + "/Away").c_str()), 0);
    ASSERT_EQ(::mkdir(pages.c_str(), 0755), 0);
    EXPECT_EQ(placed.Check(W(pages)), Owner::Changed);
}

TEST_F(PlacedFilesTest, ForgettingStaleEntriesKeepsWhatIsStillPlaced) {
    PlacedFiles placed(W(record));
    const std::string kept = folder + "/Kept.PDF", changed = folder + "/Changed.PDF", deeper = folder + "/a/b/Deep.PDF";
    ::mkdir((folder + "/a").c_str(), 0755);
    ::mkdir((folder + "/a/b").c_str(), 0755);
    for (const std::string& path : {kept, changed, deeper}) {
        veqtest::WriteFile(path, "scan");
        placed.Note(W(path));
    }
    veqtest::WriteFile(changed, "edited by the user");
    veqtest::WriteFile(deeper, "edited too, but not in the folder reconciled");
    placed.ForgetStaleIn(W(folder));
    EXPECT_EQ(placed.Check(W(kept)), Owner::Placed);
    EXPECT_EQ(placed.Check(W(changed)), Owner::Unknown);
    EXPECT_EQ(placed.Check(W(deeper)), Owner::Changed);
}

TEST_F(PlacedFilesTest, AChangeReachesTheRecordSoonAndEveryChangeByTheEnd) {
    const auto onDisk = [&](const std::string& path) {
        PlacedFiles reader(W(record));
        reader.Load();
        return reader.Check(W(path)) == Owner::Placed;
    };
    const std::string first = folder + "/First.PDF";
    veqtest::WriteFile(first, "scan");
    {
        PlacedFiles placed(W(record));
        placed.Note(W(first));
        // Written by the record's own thread, without a flush.
        EXPECT_TRUE(veqtest::WaitFor([&] { return onDisk(first); }, std::chrono::seconds(10)));
        // A burst of changes: the last ones are written by the end at the latest.
        for (int i = 0; i < 300; ++i) {
            const std::string path = folder + "/Scan" + std::to_string(i) + ".PDF";
            veqtest::WriteFile(path, "scan");
            placed.Note(W(path));
        }
        placed.Forget(W(first));
    }
    EXPECT_FALSE(onDisk(first));
    for (int i = 0; i < 300; ++i) EXPECT_TRUE(onDisk(folder + "/Scan" + std::to_string(i) + ".PDF")) << i;
}

TEST_F(PlacedFilesTest, TheRecordIsWrittenWholeAndNeverThroughALink) {
    const std::string victim = box / "victim.txt";
    veqtest::WriteFile(victim, "someone else's");
    ASSERT_EQ(::symlink(victim.c_str(), record.c_str()), 0);
    PlacedFiles placed(W(record));
    veqtest::WriteFile(folder + "/Scan.PDF", "scan");
    placed.Note(W(folder + "/Scan.PDF"));
    placed.Flush();
    EXPECT_EQ(veqtest::ReadFile(victim), "someone else's");
    struct stat st;
    ASSERT_EQ(::lstat(record.c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    // Nothing but the record itself is left beside it.
    EXPECT_EQ(veqtest::FolderEntries(folder), (std::vector<std::string>{"PlacedFiles.txt", "Scan.PDF", "victim.txt"}));
}

TEST_F(PlacedFilesTest, ARecordThatIsNoPlainFileIsNotRead) {
    veqtest::WriteFile(folder + "/Scan.PDF", "scan");
    const std::string real = box / "real.txt";
    {
        PlacedFiles placed(W(real));
        placed.Note(W(folder + "/Scan.PDF"));
    }
    const struct {
        const char* what;
        std::function<bool()> plant;  // false: cannot be planted by this user
    } cases[] = {
        {"a link to a good record", [&] { return ::symlink(real.c_str(), record.c_str()) == 0; }},
        {"a pipe nobody writes", [&] { return ::mkfifo(record.c_str(), 0666) == 0; }},
        {"a folder", [&] { return ::mkdir(record.c_str(), 0755) == 0; }},
        {"a good record of another user's",
         [&] {
             veqtest::WriteFile(record, veqtest::ReadFile(real));
             return ::geteuid() == 0 && ::chown(record.c_str(), veqtest::kUnprivilegedId, 0) == 0;
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (!c.plant()) {
            std::cout << "case left out: " << c.what << " cannot be planted by this user\n";
            ::unlink(record.c_str());
            continue;
        }
        PlacedFiles placed(W(record));
        placed.Load();  // must not block on the pipe
        EXPECT_EQ(placed.Check(W(folder + "/Scan.PDF")), Owner::Unknown);
        ::unlink(record.c_str());
        ::rmdir(record.c_str());
    }
}

TEST(PlacedFilesRecord, HostileTextGivesOnlyTheLinesThatParse) {
    const std::string header = "VEQPlacedFiles 1\n";
    const struct {
        const char* what;
        std::string text;
        std::vector<std::string> paths;
    } cases[] = {
        {"good lines", header + "f 1 2 3 4 /a/Scan.PDF\nd 1 5 0 0 /a/Photos\n", {"/a/Photos", "/a/Scan.PDF"}},
        {"no header", "f 1 2 3 4 /a/Scan.PDF\n", {}},
        {"another version", "VEQPlacedFiles 2\nf 1 2 3 4 /a/Scan.PDF\n", {}},
        {"a cut last line", header + "f 1 2 3 4 /a/One.PDF\nf 1 2 3 4 /a/Tw", {"/a/One.PDF"}},
        {"unknown kind", header + "x 1 2 3 4 /a/Scan.PDF\n", {}},
        {"not a number", header + "f 1 2a 3 4 /a/Scan.PDF\n", {}},
        {"a number too big", header + "f 1 99999999999999999999 3 4 /a/Scan.PDF\n", {}},
        {"a negative time", header + "f 1 2 3 -4 /a/Scan.PDF\n", {}},
        {"missing fields", header + "f 1 2 /a/Scan.PDF\n", {}},
        {"a relative path", header + "f 1 2 3 4 a/Scan.PDF\n", {}},
        {"an empty path", header + "f 1 2 3 4 \n", {}},
        {"a bad escape", header + "f 1 2 3 4 /a/%G0.PDF\nf 1 2 3 4 /a/%4\n", {}},
        {"an escaped line break", header + "f 1 2 3 4 /a/two%0Alines%25.PDF\n", {"/a/two\nlines%.PDF"}},
        {"an escaped NUL", header + "f 1 2 3 4 /a/%00.PDF\n", {}},
        {"an overlong line", header + "f 1 2 3 4 /" + std::string(PlacedFiles::kMaxLineBytes, 'a') + "\n", {}},
        {"blank and CR lines", header + "\n\r\nf 1 2 3 4 /a/Scan.PDF\n", {"/a/Scan.PDF"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> paths;
        for (const auto& [path, id] : PlacedFiles::Parse(c.text)) paths.push_back(path.utf8_string());
        EXPECT_EQ(paths, c.paths);
    }
}

TEST(PlacedFilesRecord, WhatIsWrittenIsReadBackAndTheEntriesAreBounded) {
    std::map<wxString, FileIdentity> entries;
    FileIdentity file{1, 2, 3, 4, false}, folder{5, 6, 0, 0, true};
    entries["/a/b c/%odd\nname.PDF"] = file;
    entries[wxString::FromUTF8("/a/Ünïcode")] = folder;
    const auto back = PlacedFiles::Parse(PlacedFiles::Format(entries));
    ASSERT_EQ(back.size(), 2u);
    for (const auto& [path, id] : entries) {
        ASSERT_TRUE(back.count(path)) << path;
        EXPECT_TRUE(back.at(path).Matches(id));
    }

    std::string many = "VEQPlacedFiles 1\n";
    for (size_t i = 0; i <= PlacedFiles::kMaxEntries; ++i) many += "f 1 2 3 4 /a/" + std::to_string(i) + "\n";
    EXPECT_EQ(PlacedFiles::Parse(many).size(), PlacedFiles::kMaxEntries);
}

}  // namespace

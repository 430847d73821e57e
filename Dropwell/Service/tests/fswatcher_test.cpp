// The kqueue watcher on real folders: which records each change gives, in which
// order, and how watches begin and end.
#include "KqueueFileSystemWatcher.h"

#include "WatchTestSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>

#include <chrono>
#include <functional>
#include <future>
#include <thread>

namespace {

using dwfs::wxFileSystemWatcherEvent;

struct Seen {
    int type;
    std::string path;
    bool isDir;
    bool operator==(const Seen& o) const { return type == o.type && path == o.path && isDir == o.isDir; }
};
std::ostream& operator<<(std::ostream& out, const Seen& s) {
    return out << "{" << s.type << ", " << s.path << (s.isDir ? " (dir)" : "") << "}";
}

class RecordingWatcher : public dwfs::wxKqueueFileSystemWatcher {
public:
    std::vector<wxFileSystemWatcherEvent> records;
    std::function<void(const wxFileSystemWatcherEvent&)> onRecord;

    void OnFileSystemEvent(const wxFileSystemWatcherEvent& e) override {
        records.push_back(e);
        if (onRecord) onRecord(e);
    }

    std::vector<Seen> Seen_() const {
        std::vector<Seen> out;
        for (const auto& r : records)
            out.push_back({r.changeType, std::string(r.path.GetFullPath().utf8_str()), r.path.IsDir()});
        return out;
    }
    // Turns of the read loop until one finds nothing within timeoutMs.
    void ReadAll(int timeoutMs = 300) {
        while (ReadEventsOnce(timeoutMs) > 0) {
        }
    }
};

bool AddDir(RecordingWatcher& w, const std::string& path) { return w.Add(wxFileName::DirName(path)); }

class FSWatcher : public ::testing::Test {
protected:
    veqtest::TempDir dir;
    RecordingWatcher watcher;
    std::string Path(const std::string& name) const { return dir / name; }
};

TEST_F(FSWatcher, ChangesBetweenTwoReadsComeInNameOrderWithFullPaths) {
    const struct {
        const char* what;
        std::vector<std::string> before;
        std::function<void(const veqtest::TempDir&)> change;
        std::vector<std::pair<int, std::string>> expected;
    } cases[] = {
        {"deleted sorts first", {"a.pdf"},
         [](const veqtest::TempDir& d) { watchtest::Remove(d / "a.pdf"); veqtest::WriteFile(d / "b.pdf", "x"); },
         {{dwfs::wxFSW_EVENT_DELETE, "a.pdf"}, {dwfs::wxFSW_EVENT_CREATE, "b.pdf"}}},
        {"created sorts first", {"b.pdf"},
         [](const veqtest::TempDir& d) { watchtest::Remove(d / "b.pdf"); veqtest::WriteFile(d / "a.pdf", "x"); },
         {{dwfs::wxFSW_EVENT_CREATE, "a.pdf"}, {dwfs::wxFSW_EVENT_DELETE, "b.pdf"}}},
        {"hidden and renamed", {"Scan.pdf"},
         [](const veqtest::TempDir& d) {
             veqtest::WriteFile(d / ".part", "x");
             rename((d / "Scan.pdf").c_str(), (d / "Scan 2.pdf").c_str());
         },
         {{dwfs::wxFSW_EVENT_CREATE, ".part"}, {dwfs::wxFSW_EVENT_CREATE, "Scan 2.pdf"},
          {dwfs::wxFSW_EVENT_DELETE, "Scan.pdf"}}},
        {"unchanged listing", {"same.pdf"},
         [](const veqtest::TempDir& d) { veqtest::WriteFile(d / "same.pdf", "rewritten"); }, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        veqtest::TempDir folder;
        for (const auto& name : c.before) veqtest::WriteFile(folder / name, "x");
        RecordingWatcher w;
        ASSERT_TRUE(AddDir(w, folder.Path()));
        c.change(folder);
        w.ReadAll();
        std::vector<Seen> expected;
        for (const auto& [type, name] : c.expected) expected.push_back({type, folder / name, false});
        EXPECT_EQ(w.Seen_(), expected);
    }
}

TEST_F(FSWatcher, AFolderMadeInAWatchedFolderIsCreatedWithAFolderPath) {
    ASSERT_TRUE(AddDir(watcher, dir.Path()));
    watchtest::MakeDir(Path("sub"));
    watcher.ReadAll();
    EXPECT_EQ(watcher.Seen_(), (std::vector<Seen>{{dwfs::wxFSW_EVENT_CREATE, Path("sub") + "/", true}}));
}

TEST_F(FSWatcher, AWatchedFolderThatIsDeletedGivesItsDeleteAndItsWatchEnds) {
    const std::string sub = Path("sub");
    watchtest::MakeDir(sub);
    ASSERT_TRUE(AddDir(watcher, sub));
    ASSERT_EQ(rmdir(sub.c_str()), 0);
    watcher.ReadAll();
    EXPECT_EQ(watcher.Seen_(), (std::vector<Seen>{{dwfs::wxFSW_EVENT_DELETE, sub + "/", true}}));
    EXPECT_EQ(watcher.GetWatchedPathsCount(), 0);

    // A folder made again at that path is a new watch whose deletions are seen.
    watchtest::MakeDir(sub);
    veqtest::WriteFile(sub + "/Scan.pdf", "x");
    ASSERT_TRUE(AddDir(watcher, sub));
    watchtest::Remove(sub + "/Scan.pdf");
    watcher.records.clear();
    watcher.ReadAll();
    EXPECT_EQ(watcher.Seen_(), (std::vector<Seen>{{dwfs::wxFSW_EVENT_DELETE, sub + "/Scan.pdf", false}}));
}

TEST_F(FSWatcher, AFileNotedAsComingIsReportedDeletedOnceWhateverTheOrderOfReads) {
    // A file made and removed between two reads of its folder is seen by no
    // listing. One noted as coming before it was made is reported deleted
    // exactly once: by a read, or by the end of its placement when no read
    // found it. Steps: n note coming, w write the file, x remove it, r read
    // the folder, e end the placement.
    const struct {
        const char* steps;
        std::vector<Seen> expected;  // what the reads report
        bool endReports;             // the end reports the deletion itself
    } cases[] = {
        {"nwxre", {}, true},
        {"nwxer", {}, true},
        {"nwexr", {{dwfs::wxFSW_EVENT_DELETE, "Scan.pdf", false}}, false},
        {"nwrxer", {{dwfs::wxFSW_EVENT_DELETE, "Scan.pdf", false}}, false},
        {"nwrxre", {{dwfs::wxFSW_EVENT_DELETE, "Scan.pdf", false}}, false},
        {"nwer", {}, false},   // kept: its creation is not reported
        {"nrer", {}, true},    // never made: the caller knows it placed nothing
        {"wxr", {}, false},    // not noted: unseen
        {"wr", {{dwfs::wxFSW_EVENT_CREATE, "Scan.pdf", false}}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.steps);
        const veqtest::TempDir folder;
        RecordingWatcher w;
        ASSERT_TRUE(AddDir(w, folder.Path()));
        const wxFileName watched = wxFileName::DirName(folder.Path());
        bool endReports = false;
        for (const char* step = c.steps; *step; ++step) {
            switch (*step) {
                case 'n': EXPECT_TRUE(w.NoteComing(watched, "Scan.pdf")); break;
                case 'w': veqtest::WriteFile(folder / "Scan.pdf", "x"); break;
                case 'x': watchtest::Remove(folder / "Scan.pdf"); break;
                case 'r': w.ReadAll(); break;
                case 'e': endReports = w.NoteComingEnded(watched, "Scan.pdf"); break;
            }
        }
        std::vector<Seen> expected = c.expected;
        for (Seen& e : expected) e.path = folder / e.path;
        EXPECT_EQ(w.Seen_(), expected);
        EXPECT_EQ(endReports, c.endReports);
    }
    // Only a watched folder takes a note.
    EXPECT_FALSE(watcher.NoteComing(wxFileName::DirName(dir.Path()), "Scan.pdf"));
    EXPECT_FALSE(watcher.NoteComingEnded(wxFileName::DirName(dir.Path()), "Scan.pdf"));
}

TEST_F(FSWatcher, AWatchedFileWrittenIsModifiedAndRenamedIsRenamed) {
    const std::string file = Path("watched.txt");
    veqtest::WriteFile(file, "x");
    ASSERT_TRUE(watcher.Add(wxFileName(file)));
    veqtest::WriteFile(file, "more");
    watcher.ReadAll();
    ASSERT_EQ(watcher.records.size(), 1u);
    EXPECT_EQ(watcher.records[0].changeType, dwfs::wxFSW_EVENT_MODIFY);
    EXPECT_EQ(watcher.records[0].path.GetFullPath(), wxString(file));
    EXPECT_EQ(watcher.records[0].newPath.GetFullPath(), wxString(file));

    watcher.records.clear();
    ASSERT_EQ(rename(file.c_str(), Path("renamed.txt").c_str()), 0);
    watcher.ReadAll();
    ASSERT_EQ(watcher.records.size(), 1u);
    EXPECT_EQ(watcher.records[0].changeType, dwfs::wxFSW_EVENT_RENAME);
    EXPECT_EQ(watcher.records[0].path.GetFullPath(), wxString(file));
    EXPECT_TRUE(watcher.records[0].newPath.GetFullPath().empty());
}

TEST_F(FSWatcher, AMissingPathIsRefusedWithItsMessage) {
    EXPECT_FALSE(AddDir(watcher, Path("missing")));
    EXPECT_EQ(watcher.GetWatchedPathsCount(), 0);
    EXPECT_EQ(watchtest::Occurrences(watchtest::LogText(),
                                     "Can't monitor the folder as the path is not accessible : " + Path("missing")),
              1);
}

TEST_F(FSWatcher, ASecondWatchOfAPathIsRefusedAndTheFirstKeepsWorking) {
    ASSERT_TRUE(AddDir(watcher, dir.Path()));
    EXPECT_FALSE(AddDir(watcher, dir.Path()));
    EXPECT_EQ(watchtest::Occurrences(watchtest::LogText(), "Path is already in watch list : " + dir.Path() + "/"),
              2);
    EXPECT_EQ(watcher.GetWatchedPathsCount(), 1);
    veqtest::WriteFile(Path("a"), "x");
    watcher.ReadAll();
    EXPECT_EQ(watcher.Seen_(), (std::vector<Seen>{{dwfs::wxFSW_EVENT_CREATE, Path("a"), false}}));
}

TEST_F(FSWatcher, ARemovedWatchReportsNothingAndAnUnwatchedPathCannotBeRemoved) {
    EXPECT_FALSE(watcher.Remove(wxFileName::DirName(dir.Path())));
    ASSERT_TRUE(AddDir(watcher, dir.Path()));
    EXPECT_TRUE(watcher.Remove(wxFileName::DirName(dir.Path())));
    veqtest::WriteFile(Path("a"), "x");
    watcher.ReadAll(100);
    EXPECT_TRUE(watcher.records.empty());
    EXPECT_EQ(watcher.GetWatchedPathsCount(), 0);
}

TEST_F(FSWatcher, ATreeIsWatchedAndUnwatchedWithItsSubFolders) {
    watchtest::MakeDir(Path("a"));
    watchtest::MakeDir(Path("a/b"));
    ASSERT_TRUE(watcher.AddTree(wxFileName::DirName(dir.Path())));
    EXPECT_EQ(watcher.GetWatchedPathsCount(), 3);
    veqtest::WriteFile(Path("a/b/deep.pdf"), "x");
    watcher.ReadAll();
    EXPECT_EQ(watcher.Seen_(), (std::vector<Seen>{{dwfs::wxFSW_EVENT_CREATE, Path("a/b/deep.pdf"), false}}));
    EXPECT_TRUE(watcher.RemoveTree(wxFileName::DirName(dir.Path())));
    EXPECT_EQ(watcher.GetWatchedPathsCount(), 0);
}

TEST_F(FSWatcher, CanonicalPathsResolveDotsButKeepDollarSigns) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"/srv/scans/$USER-scans/", "/srv/scans/$USER-scans/"},
        {"/srv/scans/${HOME}x/", "/srv/scans/${HOME}x/"},
        {"/srv/scans/a/../b/./", "/srv/scans/b/"},
        {"/srv/Scans/File.PDF", "/srv/Scans/File.PDF"},
    };
    veqtest::ScopedEnv user("USER", "someone");
    for (const auto& c : cases)
        EXPECT_EQ(dwfs::wxFileSystemWatcherBase::GetCanonicalPath(wxFileName(c.in)), wxString(c.out)) << c.in;
}

TEST_F(FSWatcher, AFolderWhoseNameLooksLikeAVariableIsWatchedAtItsOwnPath) {
    veqtest::ScopedEnv user("USER", "someone");
    const std::string odd = Path("$USER-scans");
    watchtest::MakeDir(odd);
    ASSERT_TRUE(AddDir(watcher, odd));
    veqtest::WriteFile(odd + "/a.pdf", "x");
    watcher.ReadAll();
    EXPECT_EQ(watcher.Seen_(), (std::vector<Seen>{{dwfs::wxFSW_EVENT_CREATE, odd + "/a.pdf", false}}));
}

TEST_F(FSWatcher, RecordsOfAWatchRemovedWhileTheyAreHandedOverAreDropped) {
    ASSERT_TRUE(AddDir(watcher, dir.Path()));
    veqtest::WriteFile(Path("a"), "x");
    veqtest::WriteFile(Path("b"), "x");
    watcher.onRecord = [&](const wxFileSystemWatcherEvent&) { watcher.Remove(wxFileName::DirName(dir.Path())); };
    watcher.ReadAll();
    EXPECT_EQ(watcher.Seen_(), (std::vector<Seen>{{dwfs::wxFSW_EVENT_CREATE, Path("a"), false}}));
}

TEST_F(FSWatcher, TheReceiverMayChangeWatchesFromAnotherThreadWhileItRuns) {
    const std::string other = Path("other");
    watchtest::MakeDir(other);
    ASSERT_TRUE(AddDir(watcher, dir.Path()));
    veqtest::WriteFile(Path("a"), "x");
    bool addedMeanwhile = false;
    watcher.onRecord = [&](const wxFileSystemWatcherEvent&) {
        // As the service core does: another thread adds a folder while this
        // receiver waits for it (the core's own lock would sit in between).
        auto added = std::async(std::launch::async, [&] { return AddDir(watcher, other); });
        addedMeanwhile = added.wait_for(std::chrono::seconds(10)) == std::future_status::ready && added.get();
    };
    watcher.ReadAll();
    EXPECT_TRUE(addedMeanwhile);
}

TEST_F(FSWatcher, TheReadLoopEndsWithinAboutASecondOfStopWatch) {
    ASSERT_TRUE(AddDir(watcher, dir.Path()));
    std::promise<bool> ended;
    std::thread loop([&] { ended.set_value(watcher.ReadEvents()); });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    watcher.StopWatch();
    auto result = ended.get_future();
    const bool inTime = result.wait_for(std::chrono::seconds(3)) == std::future_status::ready;
    if (!inTime) watcher.StopWatch();
    loop.join();
    EXPECT_TRUE(inTime);
    EXPECT_TRUE(result.get());
    EXPECT_EQ(watcher.GetWatchedPathsCount(), 0);
}

TEST_F(FSWatcher, TenThousandFilesWrittenAtOnceAreAllReportedAlsoWhenInotifyOverflows) {
    const std::string busy = Path("busy"), quiet = Path("quiet");
    watchtest::MakeDir(busy);
    watchtest::MakeDir(quiet);
    ASSERT_TRUE(AddDir(watcher, busy));
    ASSERT_TRUE(AddDir(watcher, quiet));
    // Each file is written as the service writes: a temporary name, then renamed,
    // which is three inotify events a file and overflows inotify's queue.
    constexpr int kFiles = 10000;
    for (int i = 0; i < kFiles; ++i) {
        char name[32];
        snprintf(name, sizeof name, "/Scan_%05d", i);
        const std::string tmp = busy + "/.tmp", final = busy + name;
        const int fd = open(tmp.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0600);
        ASSERT_GE(fd, 0);
        close(fd);
        ASSERT_EQ(rename(tmp.c_str(), final.c_str()), 0);
    }
    veqtest::WriteFile(quiet + "/late.pdf", "x");  // its event may be lost in the overflow
    watcher.ReadAll();
    int created = 0;
    bool lateSeen = false;
    for (const Seen& s : watcher.Seen_()) {
        if (s.type == dwfs::wxFSW_EVENT_CREATE && s.path.compare(0, busy.size() + 6, busy + "/Scan_") == 0) ++created;
        if (s.type == dwfs::wxFSW_EVENT_CREATE && s.path == quiet + "/late.pdf") lateSeen = true;
    }
    EXPECT_EQ(created, kFiles);
    EXPECT_TRUE(lateSeen);
}

}  // namespace

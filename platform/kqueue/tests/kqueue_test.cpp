// The vnode filter over inotify, on real folders of the sandbox.
#include "veq_kqueue/event.h"

#include "TestSupport.h"

#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <thread>

namespace {

constexpr uint32_t kAllNotes = NOTE_DELETE | NOTE_WRITE | NOTE_EXTEND | NOTE_ATTRIB | NOTE_LINK |
                               NOTE_RENAME | NOTE_REVOKE;

void Touch(const std::string& path) { std::ofstream(path) << ""; }

class Kqueue : public ::testing::Test {
protected:
    void SetUp() override {
        kq = kqueue();
        ASSERT_GE(kq, 0);
    }
    void TearDown() override {
        for (int h : handles) kq_vnode_close(h);
        close(kq);
    }

    // Registers path with EV_CLEAR; returns its handle.
    int Watch(const std::string& path, uint16_t extraFlags = 0) {
        const int h = kq_vnode_open(path.c_str());
        EXPECT_GT(h, 0) << path;
        handles.push_back(h);
        struct kevent change;
        EV_SET(&change, uintptr_t(h), EVFILT_VNODE, EV_ADD | EV_ENABLE | EV_CLEAR | extraFlags, kAllNotes, 0,
               reinterpret_cast<void*>(uintptr_t(h) * 10));
        EXPECT_EQ(kevent(kq, &change, 1, nullptr, 0, nullptr), 0);
        return h;
    }

    // One read of at most one event; 0 flags when nothing came in time.
    struct kevent Read(long ms = 1000) {
        struct kevent ev {};
        timespec t{ms / 1000, (ms % 1000) * 1000000};
        const int n = kevent(kq, nullptr, 0, &ev, 1, &t);
        EXPECT_GE(n, 0);
        if (n == 0) ev = {};
        return ev;
    }

    veqtest::TempDir dir;
    int kq = -1;
    std::vector<int> handles;
};

TEST_F(Kqueue, ChangesOfAFolderAreMergedIntoOneEventUntilRead) {
    const int h = Watch(dir.Path());
    Touch(dir / "a");
    Touch(dir / "b");
    ASSERT_EQ(mkdir((dir / "sub").c_str(), 0700), 0);
    ASSERT_EQ(chmod(dir.Path().c_str(), 0750), 0);
    const struct kevent ev = Read();
    EXPECT_EQ(ev.ident, uintptr_t(h));
    EXPECT_EQ(ev.filter, EVFILT_VNODE);
    EXPECT_EQ(ev.fflags, uint32_t(NOTE_WRITE | NOTE_LINK | NOTE_ATTRIB));
    EXPECT_EQ(ev.udata, reinterpret_cast<void*>(uintptr_t(h) * 10));
    EXPECT_EQ(Read(50).fflags, 0u) << "EV_CLEAR hands the flags out once";
}

TEST_F(Kqueue, WritesIntoFilesOfAFolderDoNotChangeTheFolder) {
    Touch(dir / "a");
    Watch(dir.Path());
    std::ofstream(dir / "a") << "more";
    EXPECT_EQ(Read(100).fflags, 0u);
}

TEST_F(Kqueue, AWatchedFileReportsWriteAttributesRenameAndDelete) {
    const std::string file = dir / "f";
    Touch(file);
    Watch(file);
    const struct {
        std::function<void()> change;
        uint32_t notes;
    } cases[] = {
        {[&] { std::ofstream(file, std::ios::app) << "x"; }, NOTE_WRITE},
        {[&] { chmod(file.c_str(), 0600); }, NOTE_ATTRIB},
        {[&] { rename(file.c_str(), (dir / "g").c_str()); }, NOTE_RENAME},
        {[&] { unlink((dir / "g").c_str()); }, NOTE_DELETE | NOTE_ATTRIB},
    };
    for (const auto& c : cases) {
        c.change();
        EXPECT_EQ(Read().fflags, c.notes);
    }
}

TEST_F(Kqueue, ADeletedFolderIsReportedAtOnceSinceNoDescriptorHoldsIt) {
    const std::string sub = dir / "sub";
    ASSERT_EQ(mkdir(sub.c_str(), 0700), 0);
    Watch(sub);
    ASSERT_EQ(rmdir(sub.c_str()), 0);
    EXPECT_TRUE(Read().fflags & NOTE_DELETE);
}

TEST_F(Kqueue, HandlesOfOneFolderShareItsWatchUntilTheLastIsClosed) {
    const int first = Watch(dir.Path());
    const int second = Watch(dir.Path());
    ASSERT_EQ(kq_vnode_close(first), 0);
    Touch(dir / "a");
    const struct kevent ev = Read();
    EXPECT_EQ(ev.ident, uintptr_t(second));
    EXPECT_EQ(ev.fflags, uint32_t(NOTE_WRITE));
    ASSERT_EQ(kq_vnode_close(second), 0);
    Touch(dir / "b");
    EXPECT_EQ(Read(50).fflags, 0u);
}

TEST_F(Kqueue, EventsOfRemovedRegistrationsAreNotReported) {
    const int h = Watch(dir.Path());
    Touch(dir / "a");
    struct kevent change;
    EV_SET(&change, uintptr_t(h), EVFILT_VNODE, EV_DELETE, 0, 0, nullptr);
    ASSERT_EQ(kevent(kq, &change, 1, nullptr, 0, nullptr), 0);
    EXPECT_EQ(Read(50).fflags, 0u);
}

TEST_F(Kqueue, OneShotRegistrationsReportOnce) {
    Watch(dir.Path(), EV_ONESHOT);
    Touch(dir / "a");
    EXPECT_EQ(Read().fflags, uint32_t(NOTE_WRITE));
    Touch(dir / "b");
    EXPECT_EQ(Read(50).fflags, 0u);
}

TEST_F(Kqueue, AWaitWakesForAChangeMadeByAnotherThread) {
    Watch(dir.Path());
    std::thread writer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        Touch(dir / "late");
    });
    EXPECT_EQ(Read(5000).fflags, uint32_t(NOTE_WRITE));
    writer.join();
}

TEST_F(Kqueue, BadRequestsAreRefused) {
    errno = 0;
    EXPECT_EQ(kq_vnode_open((dir / "missing").c_str()), -1);
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(kq_vnode_close(987654), -1);
    EXPECT_EQ(errno, EBADF);

    struct kevent change, out;
    EV_SET(&change, 987654, EVFILT_VNODE, EV_ADD | EV_CLEAR, kAllNotes, 0, nullptr);
    EXPECT_EQ(kevent(kq, &change, 1, nullptr, 0, nullptr), -1) << "no room: the error is the result";
    EXPECT_EQ(errno, EBADF);
    timespec zero{0, 0};
    ASSERT_EQ(kevent(kq, &change, 1, &out, 1, &zero), 1) << "room: the error comes back as an event";
    EXPECT_EQ(out.flags, EV_ERROR);
    EXPECT_EQ(out.data, EBADF);

    EXPECT_EQ(kevent(kq + 1000, nullptr, 0, &out, 1, &zero), -1);
    EXPECT_EQ(errno, EBADF);
}

TEST_F(Kqueue, AnOverflowOfInotifyReportsEveryFolderAsWrittenAndTheGoneAsDeleted) {
    int queued = 0;
    std::ifstream("/proc/sys/fs/inotify/max_queued_events") >> queued;
    if (queued <= 0 || queued > 100000) GTEST_SKIP() << "inotify queue of " << queued << " events";
    const std::string busy = dir / "busy", quiet = dir / "quiet";
    ASSERT_EQ(mkdir(busy.c_str(), 0700), 0);
    ASSERT_EQ(mkdir(quiet.c_str(), 0700), 0);
    const int busyHandle = Watch(busy), quietHandle = Watch(quiet);
    for (int i = 0; i <= queued; ++i) {
        const int fd = open((busy + "/" + std::to_string(i)).c_str(), O_CREAT | O_WRONLY, 0600);
        ASSERT_GE(fd, 0);
        close(fd);
    }
    const std::string gone = dir / "gone";
    ASSERT_EQ(mkdir(gone.c_str(), 0700), 0);
    const int goneHandle = Watch(gone);
    ASSERT_EQ(rmdir(gone.c_str()), 0);  // its deletion is lost in the overflow
    struct kevent events[4];
    timespec t{1, 0};
    const int n = kevent(kq, nullptr, 0, events, 4, &t);
    ASSERT_EQ(n, 3);
    std::map<uintptr_t, uint32_t> seen;
    for (int i = 0; i < n; ++i) seen[events[i].ident] = events[i].fflags;
    EXPECT_EQ(seen, (std::map<uintptr_t, uint32_t>{{uintptr_t(busyHandle), NOTE_WRITE},
                                                   {uintptr_t(quietHandle), NOTE_WRITE},
                                                   {uintptr_t(goneHandle), NOTE_WRITE | NOTE_DELETE}}));
}

}  // namespace

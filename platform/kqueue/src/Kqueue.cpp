// kqueue's EVFILT_VNODE filter over inotify: one inotify instance per queue, one
// inotify watch per watched file shared by the registrations that name it, and
// NOTE_* flags collected per registration until a kevent() call hands them out.
#include "veq_kqueue/event.h"

#include <errno.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Every inotify event a vnode registration can turn into NOTE_* flags. Writes
// into the files of a directory do not change the directory, so a directory's
// watch leaves IN_MODIFY out (it would wake the reader for nothing).
constexpr uint32_t kFileMask = IN_MODIFY | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF;
constexpr uint32_t kDirMask =
    IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF;
constexpr uint32_t kNameChanges = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;

struct Knote {
    uint16_t flags = 0;    // EV_CLEAR, EV_ONESHOT as registered
    uint32_t wanted = 0;   // NOTE_* asked for
    uint32_t pending = 0;  // NOTE_* found and not yet handed out
    void* udata = nullptr;
    int wd = -1;           // -1 once the kernel has ended the watch
    bool isDir = false;
    bool enabled = true;
    dev_t dev = 0;         // the file registered, to tell whether its path still names it
    ino_t ino = 0;
};

struct Queue {
    int fd = -1;
    std::map<uintptr_t, Knote> knotes;                 // by vnode handle
    std::map<int, std::vector<uintptr_t>> handlesByWd; // inotify shares a watch per inode
};

std::mutex g_mutex;
std::map<int, std::unique_ptr<Queue>> g_queues;  // by queue descriptor
std::map<uintptr_t, std::string> g_vnodes;       // handle -> path
uintptr_t g_nextHandle = 1;

Queue* FindQueue(int kq) {
    auto it = g_queues.find(kq);
    return it == g_queues.end() ? nullptr : it->second.get();
}

// Drops the registration's share of its inotify watch; the last one removes it.
void ReleaseWatch(Queue& q, uintptr_t handle, int wd) {
    if (wd < 0) return;
    auto it = q.handlesByWd.find(wd);
    if (it == q.handlesByWd.end()) return;
    auto& handles = it->second;
    handles.erase(std::remove(handles.begin(), handles.end(), handle), handles.end());
    if (handles.empty()) {
        inotify_rm_watch(q.fd, wd);
        q.handlesByWd.erase(it);
    }
}

int AddKnote(Queue& q, const struct kevent& change) {
    auto vnode = g_vnodes.find(change.ident);
    if (vnode == g_vnodes.end()) return EBADF;
    auto existing = q.knotes.find(change.ident);
    if (existing != q.knotes.end()) {
        Knote& k = existing->second;
        k.flags = change.flags & (EV_CLEAR | EV_ONESHOT);
        k.wanted = change.fflags;
        k.udata = change.udata;
        if (change.flags & EV_DISABLE) k.enabled = false;
        if (change.flags & EV_ENABLE) k.enabled = true;
        return 0;
    }
    struct stat st;
    if (stat(vnode->second.c_str(), &st) != 0) return errno;
    const bool isDir = S_ISDIR(st.st_mode);
    const int wd = inotify_add_watch(q.fd, vnode->second.c_str(), isDir ? kDirMask : kFileMask);
    if (wd < 0) return errno;
    Knote k;
    k.flags = change.flags & (EV_CLEAR | EV_ONESHOT);
    k.wanted = change.fflags;
    k.udata = change.udata;
    k.wd = wd;
    k.isDir = isDir;
    k.dev = st.st_dev;
    k.ino = st.st_ino;
    k.enabled = !(change.flags & EV_DISABLE);
    q.knotes[change.ident] = k;
    q.handlesByWd[wd].push_back(change.ident);
    return 0;
}

int ApplyChange(Queue& q, const struct kevent& change) {
    if (change.filter != EVFILT_VNODE) return EINVAL;
    if (change.flags & EV_DELETE) {
        auto it = q.knotes.find(change.ident);
        if (it == q.knotes.end()) return ENOENT;
        ReleaseWatch(q, change.ident, it->second.wd);
        q.knotes.erase(it);
        return 0;
    }
    if (change.flags & EV_ADD) return AddKnote(q, change);
    auto it = q.knotes.find(change.ident);
    if (it == q.knotes.end()) return ENOENT;
    if (change.flags & EV_DISABLE) it->second.enabled = false;
    if (change.flags & EV_ENABLE) it->second.enabled = true;
    return 0;
}

uint32_t NotesOf(const inotify_event& e) {
    if (e.len > 0) {  // about a name inside a watched directory
        if (!(e.mask & kNameChanges)) return 0;
        return NOTE_WRITE | ((e.mask & IN_ISDIR) ? NOTE_LINK : 0);
    }
    uint32_t notes = 0;
    if (e.mask & IN_MODIFY) notes |= NOTE_WRITE;
    if (e.mask & IN_ATTRIB) notes |= NOTE_ATTRIB;
    if (e.mask & IN_DELETE_SELF) notes |= NOTE_DELETE;
    if (e.mask & IN_MOVE_SELF) notes |= NOTE_RENAME;
    if (e.mask & IN_UNMOUNT) notes |= NOTE_REVOKE;
    return notes;
}

void Apply(Queue& q, const inotify_event& e) {
    if (e.mask & IN_Q_OVERFLOW) {
        // Events were lost: everything may have changed, and what is gone is deleted.
        for (auto& [handle, k] : q.knotes) {
            k.pending |= NOTE_WRITE;
            auto vnode = g_vnodes.find(handle);
            struct stat st;
            if (vnode == g_vnodes.end() || stat(vnode->second.c_str(), &st) != 0 || st.st_dev != k.dev ||
                st.st_ino != k.ino)
                k.pending |= NOTE_DELETE;
        }
        return;
    }
    auto it = q.handlesByWd.find(e.wd);
    if (it == q.handlesByWd.end()) return;
    const uint32_t notes = NotesOf(e);
    for (uintptr_t handle : it->second) {
        auto k = q.knotes.find(handle);
        if (k != q.knotes.end()) k->second.pending |= notes;
    }
    if (e.mask & IN_IGNORED) {  // the kernel ended the watch (file gone)
        for (uintptr_t handle : it->second) {
            auto k = q.knotes.find(handle);
            if (k != q.knotes.end()) k->second.wd = -1;
        }
        q.handlesByWd.erase(it);
    }
}

// Reads whatever inotify has queued, without waiting.
void Drain(Queue& q) {
    alignas(inotify_event) char buffer[64 * 1024];
    for (;;) {
        const ssize_t n = read(q.fd, buffer, sizeof buffer);
        if (n <= 0) return;  // EAGAIN: nothing more for now
        for (ssize_t at = 0; at + ssize_t(sizeof(inotify_event)) <= n;) {
            const auto* e = reinterpret_cast<const inotify_event*>(buffer + at);
            Apply(q, *e);
            at += sizeof(inotify_event) + e->len;
        }
    }
}

int Collect(Queue& q, struct kevent* out, int room) {
    int count = 0;
    for (auto it = q.knotes.begin(); it != q.knotes.end() && count < room;) {
        Knote& k = it->second;
        const uint32_t found = k.pending & k.wanted;
        if (!k.enabled || !found) {
            ++it;
            continue;
        }
        EV_SET(&out[count], it->first, EVFILT_VNODE, k.flags, found, 0, k.udata);
        ++count;
        if (k.flags & (EV_CLEAR | EV_ONESHOT)) k.pending = 0;
        if (k.flags & EV_ONESHOT) {
            ReleaseWatch(q, it->first, k.wd);
            it = q.knotes.erase(it);
        } else {
            ++it;
        }
    }
    return count;
}

int WaitMs(Clock::time_point deadline, bool forever) {
    if (forever) return -1;
    auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? int(std::min<long long>(left, 1 << 30)) : 0;
}

}  // namespace

extern "C" {

int kqueue(void) {
    const int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0) return -1;
    std::lock_guard<std::mutex> lock(g_mutex);
    auto q = std::make_unique<Queue>();
    q->fd = fd;
    g_queues[fd] = std::move(q);  // a number that comes back was closed before
    return fd;
}

int kevent(int kq, const struct kevent* changelist, int nchanges, struct kevent* eventlist, int nevents,
           const struct timespec* timeout) {
    if (nchanges < 0 || nevents < 0 || (nchanges > 0 && !changelist) || (nevents > 0 && !eventlist)) {
        errno = EINVAL;
        return -1;
    }
    const bool forever = timeout == nullptr;
    const auto deadline = forever ? Clock::time_point::max()
                                  : Clock::now() + std::chrono::seconds(timeout->tv_sec) +
                                        std::chrono::nanoseconds(timeout->tv_nsec);
    std::unique_lock<std::mutex> lock(g_mutex);
    Queue* q = FindQueue(kq);
    if (!q) {
        errno = EBADF;
        return -1;
    }
    int count = 0;
    for (int i = 0; i < nchanges; ++i) {
        const int error = ApplyChange(*q, changelist[i]);
        if (error == 0 && !(changelist[i].flags & EV_RECEIPT)) continue;
        if (count >= nevents) {
            if (error == 0) continue;
            errno = error;
            return -1;
        }
        eventlist[count] = changelist[i];
        eventlist[count].flags = EV_ERROR;
        eventlist[count].data = error;
        ++count;
    }
    if (count > 0 || nevents == 0) return count;
    for (;;) {
        Drain(*q);
        count = Collect(*q, eventlist, nevents);
        if (count > 0) return count;
        const int waitMs = WaitMs(deadline, forever);
        if (waitMs == 0) return 0;
        const int fd = q->fd;
        lock.unlock();
        pollfd p{fd, POLLIN, 0};
        const int ready = poll(&p, 1, waitMs);
        const int pollError = errno;
        lock.lock();
        q = FindQueue(kq);
        if (!q) {
            errno = EBADF;
            return -1;
        }
        if (ready < 0) {
            errno = pollError;
            return -1;
        }
    }
}

int kq_vnode_open(const char* path) {
    struct stat st;
    if (!path || stat(path, &st) != 0) {
        if (!path) errno = EINVAL;
        return -1;
    }
    std::lock_guard<std::mutex> lock(g_mutex);
    const uintptr_t handle = g_nextHandle++;
    g_vnodes[handle] = path;
    return int(handle);
}

int kq_vnode_close(int handle) {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (handle <= 0 || !g_vnodes.erase(uintptr_t(handle))) {
        errno = EBADF;
        return -1;
    }
    for (auto& [fd, q] : g_queues) {
        auto it = q->knotes.find(uintptr_t(handle));
        if (it == q->knotes.end()) continue;
        ReleaseWatch(*q, it->first, it->second.wd);
        q->knotes.erase(it);
    }
    return 0;
}

}  // extern "C"

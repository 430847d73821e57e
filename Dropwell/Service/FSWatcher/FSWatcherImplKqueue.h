// The kqueue implementation of the watcher: registrations of the vnode filter,
// and the read loop that turns what kqueue reports into change records.
#pragma once

#include "FSWatcherImpl.h"

#include <atomic>
#include <vector>

struct kevent;

namespace dwfs {

class wxFSWatcherImplKqueue : public wxFSWatcherImpl {
public:
    explicit wxFSWatcherImplKqueue(wxFileSystemWatcherBase* watcher);
    ~wxFSWatcherImplKqueue() override;

    bool Init() override;
    bool RemoveAll() override;
    // Runs turns of one second until StopWatch; returns true.
    bool ReadEvents() override;
    void StopWatch() override;
    int ReadEventsOnce(int timeoutMs) override;

protected:
    bool DoAdd(const EntryPtr& entry) override;
    bool DoRemove(const EntryPtr& entry) override;

private:
    // A record built under the watcher's lock and handed over after it, unless
    // the entry it came from has been removed meanwhile.
    struct PendingRecord {
        wxFileSystemWatcherEvent event;
        std::weak_ptr<wxFSWatchEntryKq> from;
        bool fromEndedWatch = false;  // the DELETE of a watch that ended with it
    };

    EntryPtr FindEntry(const struct kevent& event) const;
    void ProcessNativeEvent(const EntryPtr& entry, unsigned flags, std::vector<PendingRecord>& records);
    void FindChanges(const EntryPtr& entry, std::vector<PendingRecord>& records);
    int HandOver(const std::vector<PendingRecord>& records);  // how many were handed over

    int m_kfd = -1;
    std::atomic<bool> m_stop{false};
};

}  // namespace dwfs

// A lock shared by every process of one machine: a POSIX named semaphore
// together with an advisory file lock.
//
// The file lock is taken first and the kernel drops it when its holder dies,
// so a process that ends while holding the lock never lets two others in at
// once. The semaphore is waited on with a time-out: when it stays taken past
// the time-out while this process holds the file lock, its holder has died and
// this process takes the semaphore over; its unlock gives it back. Any user
// can lock the file, so the file lock too is waited for no longer than the
// time-out.
#pragma once

#include <semaphore.h>

#include <atomic>
#include <chrono>
#include <string>

#include <wx/string.h>

class named_mutex {
public:
    // Opens (creating with mode 0600 and initialCount) the semaphore of name on
    // this machine, see SystemName. lockFilePath is the file of the file lock;
    // empty means name + ".lock" in the store's "Dropwell" folder. A semaphore
    // that cannot be opened is logged, and the file lock alone is used.
    named_mutex(wxString name, int initialCount, const wxString& lockFilePath = wxString());
    virtual ~named_mutex();
    named_mutex(const named_mutex&) = delete;
    named_mutex& operator=(const named_mutex&) = delete;

    // True when both the file lock and the semaphore were taken. Otherwise the
    // failure is logged and the caller goes on under what could be taken.
    bool lock();
    // Releases what lock took; true when nothing failed.
    bool unlock();

    // The semaphore's name on this system: "/" + name when VEQ_ROOT is "/" or
    // unset, else "/" + name + "_" + a digest of the root's canonical path, so
    // that every root (a staged tree, a test's own folder) has its own lock.
    static std::string SystemName(const wxString& name);

    // How long lock waits for the file lock, and then for the semaphore (5 s each).
    static void SetWaitTimeout(std::chrono::milliseconds timeout);
    static std::chrono::milliseconds GetWaitTimeout();

private:
    bool LockFile();
    bool WaitForFileLock(int fd);
    bool WaitSemaphore(bool fileLocked);

    sem_t* m_semaphore;
    std::string m_systemName;
    std::string m_lockFilePath;
    // Set by the thread that holds the lock, read by its unlock; atomic since
    // the next thread of this process sets them once it gets the lock.
    std::atomic<int> m_lockFd{-1};              // the file lock's descriptor
    std::atomic<bool> m_semaphoreHeld{false};   // whether unlock posts the semaphore
};

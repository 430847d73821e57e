// The record of what the service itself has placed in mapped folders: each job
// file, page file and page folder by path, with its device, inode, size and
// modification time as placed. Only what is still exactly so counts as the
// service's: a user's file that bears a job's name, or a placed file the user
// has changed since, is never taken for a job's.
//
// The record lies in the service folder beside the mapping file, so it holds
// across restarts. It is written whole (temporary file, then rename, never
// through a link) by a thread of its own soon after a change, at most once per
// kWriteInterval (a busy sync changes it with every file), and at Flush. A
// crash loses at most the last changes: a job whose file is then missing from
// the record is fetched again and finds its file by its bytes. The record is
// read as untrusted input: bounded in size, line length and entries, and a
// line that does not parse is skipped.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include <wx/string.h>

#include "FileIdentity.h"

class PlacedFiles {
public:
    enum class Owner {
        Placed,   // recorded, and still the very file placed
        Changed,  // recorded, but what is there now differs (changed or replaced)
        Gone,     // recorded, and nothing (or a link) is there now
        Unknown,  // never placed by the service
    };

    // recordPath empty: kept in memory only.
    explicit PlacedFiles(const wxString& recordPath = wxString());
    ~PlacedFiles();  // flushes
    PlacedFiles(const PlacedFiles&) = delete;
    PlacedFiles& operator=(const PlacedFiles&) = delete;

    // Reads the record; a missing or unreadable record is an empty one.
    void Load();
    // Records what is at path now as placed. When nothing is there any more
    // (the user deleted the file the moment it was placed), the path counts as
    // placed and gone: nothing that comes there later is taken for it.
    void Note(const wxString& path);
    void Forget(const wxString& path);
    Owner Check(const wxString& path) const;
    // Forgets every recorded path directly inside folder or one folder below
    // it (page files) that is no longer the service's.
    void ForgetStaleIn(const wxString& folder);
    // Writes the record now when it has changes not yet written (at the stop).
    void Flush();

    // The record's text and its reading, for the tests.
    static std::string Format(const std::map<wxString, FileIdentity>& entries);
    static std::map<wxString, FileIdentity> Parse(const std::string& text);

    static constexpr size_t kMaxRecordBytes = 32u << 20;
    static constexpr size_t kMaxEntries = 200000;
    static constexpr size_t kMaxLineBytes = 16384;
    static constexpr std::chrono::milliseconds kWriteInterval{300};

private:
    // A change to be written (under m_lock).
    void SaveLocked();
    void RunWriter();
    // Writes the entries when changed since the last write; lock holds m_lock.
    void WriteIfChanged(std::unique_lock<std::mutex>& lock);

    wxString m_recordPath;
    mutable std::mutex m_lock;
    std::map<wxString, FileIdentity> m_entries;
    std::condition_variable m_changed;
    bool m_dirty = false;             // under m_lock
    bool m_stopping = false;          // under m_lock
    std::uint64_t m_version = 0;      // of the last text made; under m_lock
    std::uint64_t m_doneVersion = 0;  // the newest written (or passed over); under m_lock
    std::mutex m_writeLock;           // one write of the record at a time
    std::uint64_t m_writtenVersion = 0;  // under m_writeLock
    std::thread m_writer;             // started with the first change
};

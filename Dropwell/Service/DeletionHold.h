// Deletions seen in a watched folder wait here a moment before they are acted
// on. A whole folder deleted (rm -rf), moved, replaced or unmounted first shows
// as the deletion of each of its files; only after the hold can the folder be
// checked, so that such deletions are dropped instead of being taken for the
// user's deletions of single files. One thread hands each held deletion to the
// receiver when its time is up, in the order they were seen.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include <wx/string.h>

#include "FileIdentity.h"

struct HeldDeletion {
    wxString folder;        // the watched folder the file vanished from
    wxString fileName;
    FileIdentity identity;  // that folder as it was when it was watched
    std::chrono::steady_clock::time_point due;
};

class DeletionHold {
public:
    using Receiver = std::function<void(const HeldDeletion&)>;

    explicit DeletionHold(std::chrono::milliseconds hold);
    ~DeletionHold();  // stops
    DeletionHold(const DeletionHold&) = delete;
    DeletionHold& operator=(const DeletionHold&) = delete;

    void Start(Receiver receiver);
    // Ends the thread; deletions still held are dropped (their number is returned).
    size_t Stop();
    void Hold(const wxString& folder, const wxString& fileName, const FileIdentity& identity);
    // Drops the held deletions of folder and of the folders below it (the
    // folder itself went); their number.
    size_t DropIn(const wxString& folder);
    std::chrono::milliseconds Duration() const { return m_hold; }

    // Whether folder is still the very folder it was (same device and inode).
    static bool SameFolder(const wxString& folder, const FileIdentity& identity);

private:
    void Run();

    const std::chrono::milliseconds m_hold;
    Receiver m_receiver;
    std::mutex m_lock;
    std::condition_variable m_wake;
    std::deque<HeldDeletion> m_held;
    bool m_stop = false;
    std::thread m_thread;
};

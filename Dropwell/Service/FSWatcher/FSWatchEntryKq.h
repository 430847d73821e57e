// One watched path of the kqueue watcher: its watch information, its vnode
// handle (no open descriptor, so a watched folder can go at once) and, for a
// folder, the sorted names it held when last read.
#pragma once

#include "FSWatchTypes.h"

#include <string>
#include <vector>

namespace dwfs {

class wxFSWatchEntryKq {
public:
    explicit wxFSWatchEntryKq(const wxFSWatchInfo& info);
    ~wxFSWatchEntryKq();
    wxFSWatchEntryKq(const wxFSWatchEntryKq&) = delete;
    wxFSWatchEntryKq& operator=(const wxFSWatchEntryKq&) = delete;

    const wxFSWatchInfo& GetInfo() const { return m_info; }
    const wxString& GetPath() const { return m_info.path; }
    int GetFileDescriptor() const { return m_fd; }  // the vnode handle, -1 when not open
    bool IsOk() const { return m_fd != -1; }

    // Reads the folder's names again (empty for a file or an unreadable folder).
    void RefreshState();
    const std::vector<std::string>& GetSortedNames() const { return m_names; }
    // Counts name among the names last read, unless it is there already.
    void AddName(const std::string& name);

    bool Close();

private:
    wxFSWatchInfo m_info;
    int m_fd = -1;
    std::vector<std::string> m_names;
};

}  // namespace dwfs

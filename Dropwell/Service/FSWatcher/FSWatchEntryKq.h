// One watched path of the kqueue watcher: its watch information, its vnode
// handle (no open descriptor, so a watched folder can go at once) and, for a
// folder, the sorted names it held when last read together with the names of
// files being placed in it that no read has found yet.
#pragma once

#include "FSWatchTypes.h"

#include <set>
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

    // Reads the folder's names (empty for a file or an unreadable folder); a
    // name still coming counts as read. The first read follows the watch's
    // registration, so that no file comes unseen between the two.
    void RefreshState();
    const std::vector<std::string>& GetSortedNames() const { return m_names; }
    // A file about to be placed as name: it counts among the names from now
    // on, until a read finds it or EndComing.
    void AddComing(const std::string& name);
    // The placement of name is over. True when no read found the file and it
    // is not there now: then it was placed and went again unseen (when placed),
    // and it no longer counts among the names. A file that is there stays one.
    bool EndComing(const std::string& name);

    bool Close();

private:
    wxFSWatchInfo m_info;
    int m_fd = -1;
    std::vector<std::string> m_names;
    std::set<std::string> m_coming;  // noted by AddComing, not yet found by a read
};

}  // namespace dwfs

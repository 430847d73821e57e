#include "FSWatchEntryKq.h"

#include "DirectoryChanges.h"
#include "Logger.h"

#include "veq_kqueue/event.h"

#include <wx/filefn.h>

#include <sys/stat.h>

#include <algorithm>

namespace dwfs {

wxFSWatchEntryKq::wxFSWatchEntryKq(const wxFSWatchInfo& info) : m_info(info) {
    m_fd = kq_vnode_open(m_info.path.fn_str());
    if (m_fd == -1) VEQLOG(Error) << "Unble to open dir :" << m_info.path;
}

wxFSWatchEntryKq::~wxFSWatchEntryKq() { Close(); }

void wxFSWatchEntryKq::RefreshState() {
    m_names.clear();
    if (wxDirExists(m_info.path) && !ReadSortedNames(std::string(m_info.path.fn_str()), m_names))
        VEQLOG(Error) << "Unble to open dir :" << m_info.path;
    // A file still coming that this read did not find may have come and gone
    // already: it keeps counting until its placement is over (EndComing).
    for (auto coming = m_coming.begin(); coming != m_coming.end();) {
        const auto at = std::lower_bound(m_names.begin(), m_names.end(), *coming);
        if (at != m_names.end() && *at == *coming) {
            coming = m_coming.erase(coming);
        } else {
            m_names.insert(at, *coming);
            ++coming;
        }
    }
}

void wxFSWatchEntryKq::AddComing(const std::string& name) {
    m_coming.insert(name);
    const auto at = std::lower_bound(m_names.begin(), m_names.end(), name);
    if (at == m_names.end() || *at != name) m_names.insert(at, name);
}

bool wxFSWatchEntryKq::EndComing(const std::string& name) {
    if (!m_coming.erase(name)) return false;  // a read found it: its deletion shows in a later read
    struct stat st;
    const std::string path = std::string(wxFileName::DirName(m_info.path).GetPath(wxPATH_GET_SEPARATOR).fn_str()) + name;
    if (::lstat(path.c_str(), &st) == 0) return false;
    const auto at = std::lower_bound(m_names.begin(), m_names.end(), name);
    if (at != m_names.end() && *at == name) m_names.erase(at);
    return true;
}

bool wxFSWatchEntryKq::Close() {
    if (m_fd == -1) return false;
    if (kq_vnode_close(m_fd) != 0) VEQLOG(Error) << "Unable to close path :" << m_info.path;
    m_fd = -1;
    return true;
}

}  // namespace dwfs

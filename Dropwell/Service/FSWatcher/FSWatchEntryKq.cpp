#include "FSWatchEntryKq.h"

#include "DirectoryChanges.h"
#include "Logger.h"

#include "veq_kqueue/event.h"

#include <wx/filefn.h>

#include <algorithm>

namespace dwfs {

wxFSWatchEntryKq::wxFSWatchEntryKq(const wxFSWatchInfo& info) : m_info(info) {
    RefreshState();
    m_fd = kq_vnode_open(m_info.path.fn_str());
    if (m_fd == -1) VEQLOG(Error) << "Unble to open dir :" << m_info.path;
}

wxFSWatchEntryKq::~wxFSWatchEntryKq() { Close(); }

void wxFSWatchEntryKq::RefreshState() {
    m_names.clear();
    if (!wxDirExists(m_info.path)) return;
    if (!ReadSortedNames(std::string(m_info.path.fn_str()), m_names))
        VEQLOG(Error) << "Unble to open dir :" << m_info.path;
}

void wxFSWatchEntryKq::AddName(const std::string& name) {
    const auto at = std::lower_bound(m_names.begin(), m_names.end(), name);
    if (at == m_names.end() || *at != name) m_names.insert(at, name);
}

bool wxFSWatchEntryKq::Close() {
    if (m_fd == -1) return false;
    if (kq_vnode_close(m_fd) != 0) VEQLOG(Error) << "Unable to close path :" << m_info.path;
    m_fd = -1;
    return true;
}

}  // namespace dwfs

// What tells one file or folder from another that later takes its path: the
// device and inode, and for a file its size and modification time.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <optional>

#include <wx/string.h>

struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t mtimeNs = 0;
    bool folder = false;

    // The same object on disk, unchanged: a folder by device and inode alone
    // (its times change with every file placed in it).
    bool Matches(const FileIdentity& other) const {
        if (device != other.device || inode != other.inode || folder != other.folder) return false;
        return folder || (size == other.size && mtimeNs == other.mtimeNs);
    }
};

inline FileIdentity IdentityFromStat(const struct stat& st) {
    FileIdentity id;
    id.device = static_cast<std::uint64_t>(st.st_dev);
    id.inode = static_cast<std::uint64_t>(st.st_ino);
    id.folder = S_ISDIR(st.st_mode);
    id.size = id.folder ? 0 : static_cast<std::uint64_t>(st.st_size);
    id.mtimeNs = id.folder ? 0 : static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return id;
}

// The regular file or real folder at path itself (a link is not followed and
// counts as nothing).
inline std::optional<FileIdentity> EntryIdentity(const wxString& path) {
    struct stat st;
    if (::lstat(path.fn_str(), &st) != 0 || !(S_ISREG(st.st_mode) || S_ISDIR(st.st_mode))) return std::nullopt;
    return IdentityFromStat(st);
}

// The folder that path leads to now (links on the way followed, as the
// mapping's own path may hold them); none when it is no folder.
inline std::optional<FileIdentity> FolderIdentity(const wxString& path) {
    struct stat st;
    if (::stat(path.fn_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return std::nullopt;
    return IdentityFromStat(st);
}

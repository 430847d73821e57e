// Whole-file reading and replacing for the files of the store's folder, which
// other users can write: nothing here follows a symbolic link, and a replaced
// file appears under its name only once it is complete on disk.
#pragma once

#include <cstddef>
#include <string>

namespace DROPWELL {

enum class StoreReadResult { Read, Missing, Failed };

// Reads the regular file at path whole into data. Missing when nothing is
// there; Failed (logged) when it is a link, not a regular file, larger than
// maxSize, or unreadable.
StoreReadResult ReadStoreFile(const std::string& path, std::string& data, size_t maxSize = 64u << 20);

// Writes data whole through the shared whole-file writer (synced), then renames
// it over path (a link planted at path is replaced, never followed). False
// (logged) when any step fails; the old file at path is then left as it was.
bool WriteStoreFile(const std::string& path, const std::string& data);

// Replaces whatever is at path (a file, or a link, which is removed and never
// followed) with a new empty file, created exclusively so that nothing planted
// meanwhile is written through. False (logged) when it cannot be made.
bool RecreateEmptyStoreFile(const std::string& path);

}  // namespace DROPWELL

// The names of a folder and the differences between two sorted listings of it.
#pragma once

#include <string>
#include <vector>

namespace dwfs {

// Every name in folder (files, folders, hidden ones; not "." and ".."), sorted
// bytewise; false when the folder cannot be read.
bool ReadSortedNames(const std::string& folder, std::vector<std::string>& names);

struct NameChange {
    std::string name;
    int changeType;  // wxFSW_EVENT_CREATE or wxFSW_EVENT_DELETE
};

// Walks both sorted listings together: names only in before are deleted, names
// only in after created; the result is in name order.
std::vector<NameChange> CompareSortedNames(const std::vector<std::string>& before,
                                           const std::vector<std::string>& after);

}  // namespace dwfs

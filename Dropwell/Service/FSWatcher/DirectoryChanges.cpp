#include "DirectoryChanges.h"

#include "FSWatchTypes.h"

#include <dirent.h>

#include <algorithm>
#include <cstring>

namespace dwfs {

bool ReadSortedNames(const std::string& folder, std::vector<std::string>& names) {
    names.clear();
    DIR* dir = opendir(folder.c_str());
    if (!dir) return false;
    while (const dirent* entry = readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
        names.emplace_back(entry->d_name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return true;
}

std::vector<NameChange> CompareSortedNames(const std::vector<std::string>& before,
                                           const std::vector<std::string>& after) {
    std::vector<NameChange> changes;
    size_t o = 0, n = 0;
    while (o < before.size() && n < after.size()) {
        const int order = before[o].compare(after[n]);
        if (order == 0) {
            ++o;
            ++n;
        } else if (order < 0) {
            changes.push_back({before[o++], wxFSW_EVENT_DELETE});
        } else {
            changes.push_back({after[n++], wxFSW_EVENT_CREATE});
        }
    }
    for (; o < before.size(); ++o) changes.push_back({before[o], wxFSW_EVENT_DELETE});
    for (; n < after.size(); ++n) changes.push_back({after[n], wxFSW_EVENT_CREATE});
    return changes;
}

}  // namespace dwfs

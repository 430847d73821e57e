#include "FolderIcon.h"

#include <sys/stat.h>
#include <sys/xattr.h>

#include <cerrno>
#include <fstream>
#include <vector>

#include "VeqRoot.h"

namespace veqplatform {
namespace desktop {

const char* const kFolderIconAttribute = "user.veq.folder-icon";
const char* const kGenericFolderIconPath =
    "/System/Library/CoreServices/CoreTypes.bundle/Contents/Resources/GenericFolderIcon.icns";

namespace {

bool IsGenericFolderIcon(const std::string& iconPath) {
    return iconPath == kGenericFolderIconPath || iconPath == UnderRoot(kGenericFolderIconPath);
}

bool IsReadableFile(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    std::ifstream in(path, std::ios::binary);
    return in.good();
}

// True when path exists and carries no custom icon afterwards.
bool RemoveFolderIcon(const std::string& path) {
    if (::removexattr(path.c_str(), kFolderIconAttribute) == 0) return true;
    return errno == ENODATA;
}

}  // namespace

bool SetFolderIcon(const std::string& path, const std::string& iconPath) {
    bool removed = RemoveFolderIcon(path);
    if (IsGenericFolderIcon(iconPath)) return removed;
    if (!removed || !IsReadableFile(iconPath)) return false;
    return ::setxattr(path.c_str(), kFolderIconAttribute, iconPath.data(), iconPath.size(), 0) == 0;
}

std::string FolderIcon(const std::string& path) {
    ssize_t size = ::getxattr(path.c_str(), kFolderIconAttribute, nullptr, 0);
    if (size <= 0) return std::string();
    std::vector<char> value(static_cast<size_t>(size));
    size = ::getxattr(path.c_str(), kFolderIconAttribute, value.data(), value.size());
    if (size <= 0) return std::string();
    return std::string(value.data(), static_cast<size_t>(size));
}

}  // namespace desktop
}  // namespace veqplatform

// Custom folder icons: the icon of a folder is the extended attribute
// "user.veq.folder-icon" holding the icon file's path. Nothing is written inside
// the folder, so watchers of its contents see no change.
#pragma once

#include <string>

namespace veqplatform {
namespace desktop {

extern const char* const kFolderIconAttribute;

// The system's generic folder icon. Giving a folder this icon (as written here
// or under VEQ_ROOT) removes its custom icon.
extern const char* const kGenericFolderIconPath;

// Removes any custom icon of path, then gives it iconPath as its icon. False
// when path does not exist, the attribute cannot be written, or the icon file
// cannot be read (the folder is then left without a custom icon).
bool SetFolderIcon(const std::string& path, const std::string& iconPath);

// The icon file path stored on path; empty when it has no custom icon.
std::string FolderIcon(const std::string& path);

}  // namespace desktop
}  // namespace veqplatform

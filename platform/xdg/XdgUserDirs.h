// The user's well-known folders as the desktop defines them: the entries of
// "$XDG_CONFIG_HOME/user-dirs.dirs" (default "$HOME/.config/user-dirs.dirs"),
// or "$HOME/<English name>" for a folder the file does not name.
#pragma once

#include <string>

namespace veqplatform {
namespace xdg {

enum class UserDir { Desktop, Documents, Downloads, Music, Pictures, PublicShare, Templates, Videos };

// The user's home folder without a trailing separator ($HOME, else the
// password database); empty when neither knows it.
std::string HomeDir();

// The folder of the given kind, absolute and without a trailing separator;
// empty when the home folder is unknown. Read afresh on every call.
std::string UserDirPath(UserDir kind);

}  // namespace xdg
}  // namespace veqplatform

#include "XdgUserDirs.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

namespace veqplatform {
namespace xdg {

namespace {

struct DirNames {
    const char* key;       // the variable in user-dirs.dirs
    const char* fallback;  // the folder under $HOME when the file has none
};

DirNames NamesOf(UserDir kind) {
    switch (kind) {
        case UserDir::Desktop: return {"XDG_DESKTOP_DIR", "Desktop"};
        case UserDir::Documents: return {"XDG_DOCUMENTS_DIR", "Documents"};
        case UserDir::Downloads: return {"XDG_DOWNLOAD_DIR", "Downloads"};
        case UserDir::Music: return {"XDG_MUSIC_DIR", "Music"};
        case UserDir::Pictures: return {"XDG_PICTURES_DIR", "Pictures"};
        case UserDir::PublicShare: return {"XDG_PUBLICSHARE_DIR", "Public"};
        case UserDir::Templates: return {"XDG_TEMPLATES_DIR", "Templates"};
        case UserDir::Videos: return {"XDG_VIDEOS_DIR", "Videos"};
    }
    return {"", ""};
}

std::string WithoutTrailingSeparators(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

// home followed by a relative part that is empty or starts with '/'.
std::string UnderHome(const std::string& home, const std::string& rest) {
    if (home != "/") return home + rest;
    return rest.empty() ? home : rest;
}

std::string ConfigHome(const std::string& home) {
    const char* env = std::getenv("XDG_CONFIG_HOME");
    if (env && env[0] == '/') return env;
    return home + "/.config";
}

// The value of a line KEY="value", a backslash taking the next character as it is;
// false when the line is not of that form.
bool ParseAssignment(const std::string& line, const std::string& key, std::string& value) {
    std::size_t pos = line.find_first_not_of(" \t");
    if (pos == std::string::npos || line.compare(pos, key.size(), key) != 0) return false;
    pos += key.size();
    if (pos + 1 >= line.size() || line[pos] != '=' || line[pos + 1] != '"') return false;
    value.clear();
    for (pos += 2; pos < line.size(); ++pos) {
        char c = line[pos];
        if (c == '"') return true;
        if (c == '\\' && pos + 1 < line.size()) c = line[++pos];
        value += c;
    }
    return false;  // no closing quote
}

// The folder named in user-dirs.dirs for key; empty when absent or unusable
// (only "$HOME/..." and absolute paths are valid values).
std::string FromUserDirsFile(const std::string& home, const std::string& key) {
    std::ifstream in(ConfigHome(home) + "/user-dirs.dirs");
    std::string line, value, found;
    while (std::getline(in, line)) {
        if (!ParseAssignment(line, key, value)) continue;
        if (value == "$HOME" || value.compare(0, 6, "$HOME/") == 0) found = UnderHome(home, value.substr(5));
        else if (!value.empty() && value[0] == '/') found = value;
        // A later line for the same key wins, as when the shell sources the file.
    }
    return found.empty() ? found : WithoutTrailingSeparators(found);
}

}  // namespace

std::string HomeDir() {
    const char* env = std::getenv("HOME");
    if (env && *env) return WithoutTrailingSeparators(env);
    if (const passwd* pw = getpwuid(getuid())) {
        if (pw->pw_dir && *pw->pw_dir) return WithoutTrailingSeparators(pw->pw_dir);
    }
    return std::string();
}

std::string UserDirPath(UserDir kind) {
    const std::string home = HomeDir();
    if (home.empty()) return home;
    const DirNames names = NamesOf(kind);
    std::string path = FromUserDirsFile(home, names.key);
    if (path.empty()) path = UnderHome(home, std::string("/") + names.fallback);
    return path;
}

}  // namespace xdg
}  // namespace veqplatform

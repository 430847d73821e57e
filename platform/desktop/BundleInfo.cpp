#include "BundleInfo.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>

#include "VeqRoot.h"

namespace veqplatform {
namespace desktop {

const char* const kMainApplicationBundle = "/Applications/Zelto/Veqora.app";

namespace {

bool IsRegularFile(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string ParentOf(const std::string& path) {
    std::string::size_type slash = path.find_last_of('/');
    if (slash == std::string::npos || slash == 0) return std::string();
    return path.substr(0, slash);
}

std::string BaseNameOf(const std::string& path) {
    std::string::size_type slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

std::string MainBundlePath() {
    char buffer[PATH_MAX];
    ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length > 0) {
        std::string macOS = ParentOf(std::string(buffer, static_cast<size_t>(length)));
        std::string contents = ParentOf(macOS);
        std::string bundle = ParentOf(contents);
        if (BaseNameOf(macOS) == "MacOS" && BaseNameOf(contents) == "Contents" && EndsWith(bundle, ".app"))
            return bundle;
    }
    return UnderRoot(kMainApplicationBundle);
}

std::string BundleInfoPlistPath(const std::string& bundlePath) {
    std::string base = bundlePath;
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    for (const char* relative : {"/Contents/Info.plist", "/Info.plist"}) {
        std::string candidate = base + relative;
        if (IsRegularFile(candidate)) return candidate;
    }
    return std::string();
}

}  // namespace desktop
}  // namespace veqplatform

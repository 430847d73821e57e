#include "VeqRoot.h"

#include <cstdlib>

namespace veqplatform {

const std::string& RootPrefix() {
    static const std::string prefix = [] {
        const char* env = std::getenv("VEQ_ROOT");
        std::string root = (env && *env) ? env : "/";
        while (root.size() > 1 && root.back() == '/') root.pop_back();
        return root == "/" ? std::string() : root;
    }();
    return prefix;
}

std::string UnderRoot(const std::string& absolutePath) {
    if (absolutePath.empty() || absolutePath.front() != '/') return absolutePath;
    return RootPrefix() + absolutePath;
}

}  // namespace veqplatform

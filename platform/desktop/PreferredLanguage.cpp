#include "PreferredLanguage.h"

#include <cstdlib>

namespace veqplatform {
namespace desktop {

namespace {

std::string FirstLocaleName() {
    for (const char* variable : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (!value || !*value) continue;
        std::string name(value);
        // LANGUAGE is a colon-separated list in order of preference.
        return name.substr(0, name.find(':'));
    }
    return std::string();
}

const char* ChineseScript(const std::string& region) {
    if (region == "CN" || region == "SG") return "Hans";
    if (region == "TW" || region == "HK" || region == "MO") return "Hant";
    return nullptr;
}

}  // namespace

std::string PreferredLanguage() {
    std::string name = FirstLocaleName();
    name = name.substr(0, name.find_first_of(".@"));
    if (name.empty() || name == "C" || name == "POSIX") return std::string();

    std::string::size_type underscore = name.find('_');
    if (underscore == std::string::npos) return name;
    std::string language = name.substr(0, underscore);
    std::string region = name.substr(underscore + 1);
    if (region.empty()) return language;
    if (language == "zh") {
        if (const char* script = ChineseScript(region)) return language + "-" + script + "-" + region;
    }
    return language + "-" + region;
}

}  // namespace desktop
}  // namespace veqplatform

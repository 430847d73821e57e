// The user's preferred language, from the environment as the C library reads
// it: the first of LANGUAGE (its first entry), LC_ALL, LC_MESSAGES and LANG
// that is set and not empty.
#pragma once

#include <string>

namespace veqplatform {
namespace desktop {

// The language as a tag: language, optional script and region joined by
// hyphens ("fr-CA", "de", "zh-Hans-CN"). The codeset and modifier of the locale
// name are dropped; Chinese regions carry their script (CN and SG simplified,
// TW, HK and MO traditional). Empty when no variable is set, or for the C and
// POSIX locales, which name no language.
std::string PreferredLanguage();

}  // namespace desktop
}  // namespace veqplatform

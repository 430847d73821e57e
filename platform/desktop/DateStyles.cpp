#include "DateStyles.h"

#include <ctime>
#include <limits>
#include <vector>

namespace veqplatform {
namespace desktop {

namespace {

const char* DatePattern(DateStyle style) {
    switch (style) {
        case DateStyle::None: return "";
        case DateStyle::Short: return "%x";
        case DateStyle::Medium: return "%d %b %Y";
        case DateStyle::Long: return "%d %B %Y";
        case DateStyle::Full: return "%A %d %B %Y";
    }
    return "";
}

const char* TimePattern(DateStyle style) {
    switch (style) {
        case DateStyle::None: return "";
        case DateStyle::Short: return "%H:%M";
        case DateStyle::Medium: return "%X";
        case DateStyle::Long: return "%X %Z";
        case DateStyle::Full: return "%X %z %Z";
    }
    return "";
}

// strftime of a non-empty pattern; the buffer grows until the text fits.
std::string Render(const std::string& pattern, const std::tm& local) {
    for (size_t size = 128; size <= 8192; size *= 2) {
        std::vector<char> buffer(size);
        size_t length = std::strftime(buffer.data(), buffer.size(), pattern.c_str(), &local);
        if (length > 0) return std::string(buffer.data(), length);
    }
    return std::string();
}

}  // namespace

std::string FormatDateStyles(unsigned long long seconds, DateStyle dateStyle, DateStyle timeStyle) {
    std::string pattern = DatePattern(dateStyle);
    std::string timePattern = TimePattern(timeStyle);
    if (!pattern.empty() && !timePattern.empty()) pattern += ' ';
    pattern += timePattern;
    if (pattern.empty()) return std::string();

    if (seconds > static_cast<unsigned long long>(std::numeric_limits<std::time_t>::max())) return std::string();
    std::time_t time = static_cast<std::time_t>(seconds);
    ::tzset();
    std::tm local{};
    if (!::localtime_r(&time, &local)) return std::string();
    return Render(pattern, local);
}

}  // namespace desktop
}  // namespace veqplatform

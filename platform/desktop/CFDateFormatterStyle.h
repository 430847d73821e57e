// The date-formatter styles of the desktop platform, as the kit's date texts
// name them, and their strftime renderings (DateStyles.h).
#pragma once

#include "DateStyles.h"

enum CFDateFormatterStyle {
    kCFDateFormatterNoStyle = 0,
    kCFDateFormatterShortStyle = 1,
    kCFDateFormatterMediumStyle = 2,
    kCFDateFormatterLongStyle = 3,
    kCFDateFormatterFullStyle = 4
};

namespace veqplatform {
namespace desktop {

inline DateStyle DateStyleOf(CFDateFormatterStyle style) {
    switch (style) {
    case kCFDateFormatterShortStyle: return DateStyle::Short;
    case kCFDateFormatterMediumStyle: return DateStyle::Medium;
    case kCFDateFormatterLongStyle: return DateStyle::Long;
    case kCFDateFormatterFullStyle: return DateStyle::Full;
    default: return DateStyle::None;
    }
}

}  // namespace desktop
}  // namespace veqplatform

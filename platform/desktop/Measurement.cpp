#include "Measurement.h"

#include <langinfo.h>

namespace veqplatform {
namespace desktop {

bool LocaleUsesMetricSystem() {
    // glibc answers 1 for metric and 2 for the US customary units.
    const char* value = ::nl_langinfo(_NL_MEASUREMENT_MEASUREMENT);
    return value && value[0] == 1;
}

}  // namespace desktop
}  // namespace veqplatform

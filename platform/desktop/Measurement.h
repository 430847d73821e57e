// The measurement system of the process locale (LC_MEASUREMENT).
#pragma once

namespace veqplatform {
namespace desktop {

// True when the locale measures in metric units; false for the US system or
// when the locale states none.
bool LocaleUsesMetricSystem();

}  // namespace desktop
}  // namespace veqplatform

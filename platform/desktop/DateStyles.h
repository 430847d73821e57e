// Date and time renderings in the process locale (LC_TIME) and time zone (TZ),
// in the platform's four styles, made with strftime.
#pragma once

#include <string>

namespace veqplatform {
namespace desktop {

// Short: the locale's numeric date ("%x"), hours and minutes.
// Medium: day, abbreviated month and year; the locale's time with seconds ("%X").
// Long: the full month name; the time with the zone's abbreviation.
// Full: the weekday as well; the time with the zone's offset and abbreviation.
enum class DateStyle { None, Short, Medium, Long, Full };

// seconds since 1970-01-01 00:00:00 UTC, rendered as the date in dateStyle and
// the time in timeStyle, joined by a blank. Empty when both styles are None or
// when the time has no local calendar date (beyond what the system can convert).
std::string FormatDateStyles(unsigned long long seconds, DateStyle dateStyle, DateStyle timeStyle);

}  // namespace desktop
}  // namespace veqplatform

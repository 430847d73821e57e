// The system's own log, as the platform keeps it for a program: one line on the
// standard error stream, after the program's name and process id.
#pragma once

#include <string>

namespace veqplatform {
namespace desktop {

void SystemLog(const std::string& line);

}  // namespace desktop
}  // namespace veqplatform

#include "SystemLog.h"

#include <errno.h>
#include <unistd.h>

#include <cstdio>

namespace veqplatform {
namespace desktop {

void SystemLog(const std::string& line) {
    std::fprintf(stderr, "%s[%ld] %s\n", program_invocation_short_name, static_cast<long>(::getpid()), line.c_str());
    std::fflush(stderr);
}

}  // namespace desktop
}  // namespace veqplatform

// "logconfig.json" as anyone with access to the configuration folder may write it.
#include <cstddef>
#include <cstdint>
#include <string>

#include "LogConfiguration.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    LogConfiguration config;
    ParseLogConfiguration(std::string(reinterpret_cast<const char*>(data), size), config);
    return 0;
}

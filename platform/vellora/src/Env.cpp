#include "Env.h"

#include <climits>
#include <cstdio>
#include <cstdlib>

namespace vellora {

namespace {

int PositiveNumber(const char* name) {
    const char* text = std::getenv(name);
    if (!text || !*text) return -1;
    char* end = nullptr;
    long v = std::strtol(text, &end, 10);
    if (*end != '\0' || v <= 0 || v > 1000000000L) return -1;
    return static_cast<int>(v);
}

}  // namespace

int ControllerPort(int requested) {
    if (requested > 0 && requested <= 65535) return requested;
    int fromEnv = PositiveNumber("VELLORA_PORT");
    return fromEnv > 0 && fromEnv <= 65535 ? fromEnv : kDefaultPort;
}

int EffectiveTimeoutMs(int requestedMs) {
    int forced = PositiveNumber("VELLORA_TIMEOUT_MS");
    return forced > 0 ? forced : requestedMs;
}

int SecondsToMs(int seconds) {
    if (seconds > INT_MAX / 1000) return INT_MAX;
    if (seconds < INT_MIN / 1000) return INT_MIN;
    return seconds * 1000;
}

void LogLine(const std::string& text) {
    std::fprintf(stderr, "vellora: %s\n", text.c_str());
    std::fflush(stderr);
}

}  // namespace vellora

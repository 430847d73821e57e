// Process settings of the library: the controller port, time-outs, log lines.
#pragma once

#include <string>

namespace vellora {

constexpr int kDefaultPort = 18630;
constexpr int kDefaultTimeoutMs = 60000;

// The port to connect to: requested when above 0, else VELLORA_PORT, else 18630.
// Read at each call, so that a process can move between controllers.
int ControllerPort(int requested);

// requestedMs, unless VELLORA_TIMEOUT_MS holds a positive number, which then
// replaces every time-out (so tests of callers that set 60 seconds run short).
int EffectiveTimeoutMs(int requestedMs);

// seconds as milliseconds, clamped to the largest int instead of overflowing.
int SecondsToMs(int seconds);

// One line on stderr, prefixed "vellora: ".
void LogLine(const std::string& text);

}  // namespace vellora

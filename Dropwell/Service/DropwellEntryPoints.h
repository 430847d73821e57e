// What libDropwell.so exports to the host process that loads it.
#pragma once

#include <atomic>

#define DROPWELL_EXPORT __attribute__((visibility("default")))

// Whether "ServiceStatus.xml" lets the service run.
DROPWELL_EXPORT bool CanStartService();
// Starts the service core (once per process).
DROPWELL_EXPORT void startDropwell();

extern "C" {
// Starts the service and runs the folder watcher's read loop on the calling
// thread until Stop; returns at once when the service already runs.
DROPWELL_EXPORT void Start();
// Stops the service: ends the read loop, after which Start's thread waits for
// the service's threads, closes every connection and uninitialises the widget
// library; returns when that is done.
DROPWELL_EXPORT void Stop();
// While paused, job events reported by the server are dropped.
DROPWELL_EXPORT void Pause();
DROPWELL_EXPORT void Resume();
}

// The service's state flags, one byte each as a bool; atomic, since the host
// may look at them from any of its threads while Start and Stop change them.
DROPWELL_EXPORT extern std::atomic<bool> bWxInit;
DROPWELL_EXPORT extern std::atomic<bool> bConThreadInitialized;
DROPWELL_EXPORT extern const char kApplicationName[];
DROPWELL_EXPORT extern const char kApplicationKey[];

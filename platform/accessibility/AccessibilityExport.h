// Visibility of the accessibility layer's types and functions: one copy of
// each (event types, class information, element code) in the process.
#pragma once

#define VEQ_ACCESSIBILITY_API __attribute__((visibility("default")))

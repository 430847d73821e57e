// Shared parts of the C entry points.
#pragma once

#include "Handles.h"
#include "Heap.h"

#include "vellora_wire/Codec.h"
#include "vellora_wire/Ops.h"

#include <string>

namespace vellora {

inline vwire::Writer Request(uint16_t op) { return vwire::Writer(vwire::Kind::Request, op, 0); }

inline std::string TextOrEmpty(const char* text) { return text ? text : ""; }

// Hands a copy of text out through *out: 0, or OUT_OF_MEMORY.
inline int GiveText(const std::string& text, char** out) {
    *out = HeapText(text);
    return *out ? VELLORA_OK : VELLORA_OUT_OF_MEMORY;
}

}  // namespace vellora

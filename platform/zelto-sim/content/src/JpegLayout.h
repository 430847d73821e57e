// A page's JPEG with the job's padding carried in application marker segments
// placed after the JFIF header, where decoders skip them.
#pragma once

#include <memory>
#include <string>

#include "Segment.h"

namespace zeltosim::detail {

// The padding markers take exactly paddingBytes bytes (4 when fewer are asked for).
SegmentPtr PaddedJpeg(std::shared_ptr<const std::string> jpeg, uint64_t paddingBytes);

}  // namespace zeltosim::detail

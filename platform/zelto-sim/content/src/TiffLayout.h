// Uncompressed baseline TIFF (little-endian, 100 dpi): one image file directory
// per page, each followed by its values, its strips of pixels and the page's
// padding, which no directory points at.
#pragma once

#include "JobContent.h"
#include "Segment.h"

namespace zeltosim::detail {

// Pages firstPage..lastPage (counted from 1) of the job; nullptr when the file
// would not fit the format's 32-bit offsets.
SegmentPtr TiffDocument(const JobSpec& spec, int firstPage, int lastPage);

}  // namespace zeltosim::detail

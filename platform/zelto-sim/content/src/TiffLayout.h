// Baseline TIFF (little-endian) as scanners write it: one image file directory
// per page, each followed by its values, the page's raster in one strip
// compressed with Deflate after horizontal differencing, and the page's padding,
// which no directory points at. The resolution is the job's.
#pragma once

#include "JobContent.h"
#include "Segment.h"

namespace zeltosim::detail {

// Pages firstPage..lastPage (counted from 1) of the job; the compact form carries
// the pages at half the resolution. nullptr when compression fails or the file
// would not fit the format's 32-bit offsets.
SegmentPtr TiffDocument(const JobSpec& spec, int firstPage, int lastPage, bool compact = false);

}  // namespace zeltosim::detail

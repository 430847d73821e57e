// PDF 1.4 with one image per page drawn over the whole page (its size from the
// raster and the resolution), compressed with Flate after horizontal
// differencing; the compact form carries the page at half the resolution. The
// job's padding is a stream of zeros per page that the page points at under a
// private key.
#pragma once

#include "JobContent.h"
#include "Segment.h"

namespace zeltosim::detail {

// Pages firstPage..lastPage (counted from 1) of the job; nullptr when
// compression fails or an offset would not fit the cross-reference table.
SegmentPtr PdfDocument(const JobSpec& spec, int firstPage, int lastPage, bool compact);

}  // namespace zeltosim::detail

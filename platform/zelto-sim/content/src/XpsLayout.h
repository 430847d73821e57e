// An XPS package: one fixed document whose fixed pages each show their page
// image over the whole page. The images are the pages' TIFF files (with the
// job's padding), at half the resolution in the compact form.
#pragma once

#include "JobContent.h"
#include "Segment.h"

namespace zeltosim::detail {

// Pages firstPage..lastPage (counted from 1) of the job; nullptr when an image
// cannot be made or the package would not fit a ZIP archive without ZIP64.
SegmentPtr XpsDocument(const JobSpec& spec, int firstPage, int lastPage, bool compact);

}  // namespace zeltosim::detail

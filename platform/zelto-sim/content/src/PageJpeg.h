// The JPEG encoding of a page picture (baseline, 100 dpi, fixed quality and
// tables, so the same picture always gives the same bytes). Recent encodings
// are kept, as every rendition that shows the page as JPEG uses the same bytes.
#pragma once

#include <memory>
#include <string>

#include "JobContent.h"
#include "PagePicture.h"

namespace zeltosim::detail {

// nullptr when the encoder fails.
std::shared_ptr<const std::string> EncodeJpeg(const PagePicture& picture);

// The page's JPEG, from the cache or encoded now.
std::shared_ptr<const std::string> PageJpeg(const JobSpec& spec, int page);

}  // namespace zeltosim::detail

// The JPEG encoding of a page picture (baseline, the job's resolution in the
// JFIF header, fixed quality and tables, so the same picture always gives the
// same bytes). Recent encodings are kept, so a page is encoded once.
#pragma once

#include <memory>
#include <string>

#include "JobContent.h"
#include "PagePicture.h"

namespace zeltosim::detail {

// nullptr when the encoder fails.
std::shared_ptr<const std::string> EncodeJpeg(const PagePicture& picture, int dpi);

// The page's JPEG, from the cache or encoded now.
std::shared_ptr<const std::string> PageJpeg(const JobSpec& spec, int page);

}  // namespace zeltosim::detail

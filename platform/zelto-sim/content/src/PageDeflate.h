// A page's raster compressed as scanners store it in PDF and TIFF: horizontal
// differencing (the TIFF predictor 2, which PDF's FlateDecode knows as /Predictor
// 2), then a zlib stream. The pictures' rows come in runs of identical rows, so
// every run is drawn and differenced once, and its rows are compressed in
// pieces that stand alone: a piece of a run is compressed once and repeated.
// Each page is compressed once and kept.
#pragma once

#include <memory>
#include <string>

#include "JobContent.h"
#include "PagePicture.h"

namespace zeltosim::detail {

// nullptr when zlib fails.
std::shared_ptr<const std::string> DeflateRaster(const PagePicture& picture);

// The compressed raster of page `page` of the job `image` (see ImageSpec).
std::shared_ptr<const std::string> PageDeflate(const JobSpec& image, int page);

}  // namespace zeltosim::detail

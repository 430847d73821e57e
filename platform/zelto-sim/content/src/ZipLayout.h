// A ZIP archive whose entries are stored (not compressed), with every header
// and the central directory computed from the entries' sizes and CRCs, so the
// entries' bytes are never gathered.
#pragma once

#include <string>
#include <vector>

#include "Segment.h"

namespace zeltosim::detail {

struct ZipEntry {
    std::string name;
    SegmentPtr data;
};

// nullptr when the archive would need ZIP64 (over 4 GiB or 65535 entries).
SegmentPtr ZipArchive(const std::vector<ZipEntry>& entries);

}  // namespace zeltosim::detail

// What the service takes from a job's attribute list: its name, format and pages.
#pragma once

#include "ServiceRecords.h"

struct ScanAttributes;

namespace JobAttributes {

// Reads name, format and page count from the job's attributes into details:
// the UTF-8 name when there is one, else the plain name; the format "JPEG" for
// a JPEG job, else the default format (PDF when none is named) when the job
// offers it, else the first offered one (details keep their format when none is
// offered). The name is made safe for a path ("Job_<id>" when nothing is left).
void Read(const ScanAttributes* attributes, int jobId, DROPWELL::stJobDetails& details);

}  // namespace JobAttributes
